#!/usr/bin/env bash
# shellcheck disable=SC2119 # e2e_launch_app takes optional program arguments
# A screen reader hears the alarm: at zero the program shows a notification object with
# the alarm line on the accessibility bus (AT-SPI), which is what screen readers speak
# wherever the focus is. A listener stands in for the screen reader.
#
# usage: test_screen_reader.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
e2e_start_session

# The accessibility bus comes from the session bus, as on a desktop.
dbus-daemon --session --nofork --nopidfile --address="unix:path=$E2E_TMP/bus" --print-address=3 \
    3>"$E2E_TMP/bus.addr" >"$E2E_TMP/dbus.log" 2>&1 &
e2e_track $!
e2e_wait_until 5 test -s "$E2E_TMP/bus.addr" || e2e_die "no session bus"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_TMP/bus.addr")
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_TMP/atspi.log" 2>&1 &
e2e_track $!
a11y_bus() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null | grep -q unix
}
e2e_wait_until 10 a11y_bus || e2e_die "the accessibility bus did not come up"

/usr/bin/python3 "$(dirname "$0")/atspi_listen.py" 20 notification >"$E2E_TMP/heard.txt" 2>"$E2E_TMP/listener.log" &
listener=$!
e2e_track "$listener"
e2e_wait_until 10 grep -q READY "$E2E_TMP/heard.txt" || e2e_die "the listener did not start: $(cat "$E2E_TMP/listener.log")"

# As with a screen reader running: Qt turns its accessibility on.
unset NO_AT_BRIDGE
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_write_settings 2 0 0
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear"
for _ in 1 2; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "nothing is announced before zero" e2e_not e2e_wait_until 1 grep -q '^notification' "$E2E_TMP/heard.txt"
e2e_expect_caption "the alarm comes" "$win" "Lumiroka - 00:00:00" 4 "*"
e2e_check "a notification object appears on the accessibility bus" \
    e2e_wait_until 5 grep -q '^notification' "$E2E_TMP/heard.txt"
e2e_expect_eq "it says the alarm line" "ねーねー、時間だよっ！" "$(awk -F'\t' '$1 == "notification" { print $2; exit }' "$E2E_TMP/heard.txt")"
e2e_finish

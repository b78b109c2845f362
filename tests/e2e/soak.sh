#!/usr/bin/env bash
# Soak: the real program under Xvfb for LUMIROKA_SOAK_SECONDS (default ten minutes) of a
# running count with random clicks on every control but END, bounded in number and time.
# At the end it must be alive, responsive, and its memory flat: RSS at the end within 5%
# of RSS after the first minute.
#   soak.sh BINARY
source "$(dirname "$0")/lib.sh"
duration=${LUMIROKA_SOAK_SECONDS:-600}
export E2E_BUDGET_S=$((duration + 90))
e2e_init "$1"
e2e_start_session
e2e_write_settings 0 0 0 # stay on screen: the clicks need the window
e2e_launch_app
win=$(e2e_main_window) || e2e_die "no main window"

dialog_open() { xdotool search --all --onlyvisible --pid "$APP_PID" --name '^OPTION$' >/dev/null 2>&1; }
close_one() { wmctrl -F -c OPTION 2>/dev/null; sleep 0.2; ! dialog_open; }
close_options() { e2e_wait_until 3 dialog_open && e2e_wait_until 5 close_one; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status"; }
points=("$E2E_PT_STARTSTOP" "$E2E_PT_RESET" "$E2E_PT_CHARACTER" "$E2E_PT_HOUR_UP" "$E2E_PT_HOUR_DOWN"
        "$E2E_PT_MIN_UP" "$E2E_PT_MIN_DOWN" "$E2E_PT_SEC_UP" "$E2E_PT_SEC_DOWN" "$E2E_PT_OPTION")
RANDOM=${LUMIROKA_SOAK_SEED:-4242}
e2e_log "seed ${LUMIROKA_SOAK_SEED:-4242}, ${duration}s"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
start=$(date +%s)
clicks=0
baseline=""
while (($(date +%s) - start < duration && clicks < 20000)); do
    e2e_require_app
    point=${points[RANDOM % ${#points[@]}]}
    e2e_click_at "$win" "$point"
    clicks=$((clicks + 1))
    if [[ "$point" == "$E2E_PT_OPTION" ]]; then
        # The options dialog is modal: close it the way a user would.
        close_options || e2e_fail "the options dialog did not close"
    fi
    [[ -z "$baseline" ]] && (($(date +%s) - start >= 60 || duration < 60)) && baseline=$(rss_kib) &&
        e2e_log "RSS after the first minute: $baseline KiB"
    sleep "0.$((RANDOM % 9 + 1))"
done
e2e_require_app
final=$(rss_kib)
e2e_log "$clicks clicks; RSS at the end: $final KiB"
e2e_expect_between "RSS growth after the first minute (per mille)" $(((final - baseline) * 1000 / baseline)) -1000 50

# Still responsive: the options dialog answers a click at once.
e2e_click_at "$win" "$E2E_PT_OPTION"
e2e_check "OPTION still opens its dialog" e2e_wait_until 3 dialog_open
e2e_check "the dialog closes again" close_options
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END still ends the program" e2e_wait_app_exit 5
e2e_finish

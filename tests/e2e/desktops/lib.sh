# shellcheck shell=bash
# Real desktops' window managers and tray hosts, headless, for the end-to-end checks of
# the alarm: GNOME's window manager (mutter), KDE's (KWin) and Xfce's (xfwm4 with
# xfce4-panel, whose tray is a StatusNotifier host). Builds on ../lib.sh (helpers, private
# HOME, clean-up by PID) and replaces its openbox+trayer session.
#
#   source "$(dirname "$0")/lib.sh"
#   desk_init BINARY      # e2e_init, logs kept for a person to read
#   desk_start DESKTOP    # mutter | kwin | xfce; exports DISPLAY and the session bus
#
# Each session has its own X display (from :111 on) and its own D-Bus session bus, and a
# notification service (xfce4-notifyd) whose calls are recorded (desk_notify_log).

# shellcheck source=../lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

DESK=""
DESK_TRAY=""  # none | sni
DESK_SCREEN_W=1280
DESK_SCREEN_H=800
DESK_NOTIFY_LOG=""

desk_init() {
    E2E_BUDGET_S=${E2E_BUDGET_S:-150}
    e2e_init "$1"
    E2E_NAME="${E2E_NAME}@${2:-?}"
    # The window manager's, the panel's and the program's output, for a failed run.
    DESK_LOGS=$E2E_ARTIFACTS/logs-$E2E_NAME
    rm -rf "$DESK_LOGS"
    mkdir -p "$DESK_LOGS"
    e2e_at_exit 'cp "$E2E_TMP"/*.log "$DESK_LOGS"/ 2>/dev/null'
    # e2e_init unset these; the desktops need their usual values.
    export XDG_DATA_DIRS=/usr/local/share:/usr/share
    export XDG_CONFIG_DIRS=/etc/xdg
    export LIBGL_ALWAYS_SOFTWARE=1
    export NO_AT_BRIDGE=1 GTK_A11Y=none
}

# A private session bus (dbus-daemon --nofork, tracked by PID).
desk_start_dbus() {
    local addr_file="$E2E_TMP/dbus.addr"
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$E2E_TMP/bus" \
        --print-address=3 3>"$addr_file" >"$E2E_TMP/dbus.log" 2>&1 &
    e2e_track $!
    e2e_wait_until 5 test -s "$addr_file" || e2e_die "no session bus"
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$addr_file")
    export DBUS_SESSION_BUS_ADDRESS
}

# The window manager's name as it announces it (_NET_WM_NAME of the check window).
desk_wm_name() {
    local check
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # *//p')
    [[ -n "$check" ]] || return 1
    xprop -id "$check" _NET_WM_NAME 2>/dev/null | sed -n 's/.*= *"\(.*\)"/\1/p'
}
desk_wm_is() { [[ "$(desk_wm_name)" == "$1" ]]; }

# desk_run_wm NAME_ANNOUNCED TIMEOUT_S COMMAND...
desk_run_wm() {
    local want=$1 timeout=$2
    shift 2
    "$@" >"$E2E_TMP/wm.log" 2>&1 &
    e2e_track $!
    e2e_wait_until "$timeout" desk_wm_is "$want" || {
        tail -20 "$E2E_TMP/wm.log" >&2
        e2e_die "$want did not come up within ${timeout}s (announced: '$(desk_wm_name)')"
    }
}

# Records every call to the notification service and starts Xfce's, the one service
# that runs outside its own desktop without ceremony.
desk_start_notifications() {
    DESK_NOTIFY_LOG=$E2E_TMP/notify.log
    dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications'" \
        "type='signal',interface='org.freedesktop.Notifications'" >"$DESK_NOTIFY_LOG" 2>&1 &
    e2e_track $!
    /usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd >"$E2E_TMP/notifyd.log" 2>&1 &
    e2e_track $!
    e2e_wait_until 15 desk_bus_has org.freedesktop.Notifications || e2e_die "xfce4-notifyd did not come up"
}

# desk_start mutter | kwin | xfce
desk_start() {
    DESK=$1
    local t0
    t0=$(e2e_now_ms)
    desk_start_dbus
    # Composite and GLX for the compositing window managers.
    e2e_start_xvfb 111 119 "${DESK_SCREEN_W}x${DESK_SCREEN_H}" +extension GLX +extension Composite ||
        e2e_die "no free display in :111..:119"
    case $DESK in
    mutter)
        desk_run_wm Mutter 30 mutter --x11 --replace --sm-disable
        DESK_TRAY=none
        ;;
    kwin)
        desk_run_wm KWin 40 env QT_QPA_PLATFORM=xcb kwin_x11 --replace
        DESK_TRAY=none
        ;;
    xfce)
        desk_xfce_config
        desk_run_wm Xfwm4 30 xfwm4 --replace --compositor=off --sm-client-disable
        xfce4-panel --disable-wm-check >"$E2E_TMP/panel.log" 2>&1 &
        DESK_PANEL_PID=$!
        e2e_track "$DESK_PANEL_PID"
        e2e_wait_until 30 desk_sni_host_registered || { tail -20 "$E2E_TMP/panel.log" >&2; e2e_die "xfce4-panel registered no tray host"; }
        e2e_wait_until 10 desk_xfce_panel_up || e2e_die "xfce4-panel shows no panel window"
        DESK_TRAY=sni
        ;;
    *) e2e_die "unknown desktop $DESK" ;;
    esac
    # Services the bus starts on demand must find the display.
    dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_DATA_DIRS HOME >/dev/null 2>&1
    desk_start_notifications
    e2e_log "desktop $DESK up after $(($(e2e_now_ms) - t0)) ms: DISPLAY=$DISPLAY WM='$(desk_wm_name)' tray=$DESK_TRAY"
}

desk_bus_has() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# ------------------------------------------------------------------ StatusNotifier items

desk_watcher_prop() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}

desk_sni_host_registered() { desk_watcher_prop IsStatusNotifierHostRegistered | grep -q 'boolean true'; }

# The registered items, one "service/path" a line.
desk_sni_items() { desk_watcher_prop RegisteredStatusNotifierItems | sed -n 's/^ *string "\(.*\)"/\1/p'; }

# The program's item: "service path" of the one registered by APP_PID, or nothing.
desk_sni_app_item() {
    local item svc path pid
    while read -r item; do
        [[ -n "$item" ]] || continue
        svc=${item%%/*}
        path=/${item#*/}
        [[ "$item" == */* ]] || path=/StatusNotifierItem
        pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:$svc" 2>/dev/null | awk '/uint32/ { print $2 }')
        [[ "$pid" == "$APP_PID" ]] && { echo "$svc $path"; return 0; }
    done < <(desk_sni_items)
    return 1
}

desk_sni_has_app_item() { desk_sni_app_item >/dev/null; }

# ------------------------------------------------------------------ notifications

# desk_notify_count METHOD: how many calls of METHOD the notification service received.
desk_notify_count() { grep -c "member=$1\$" "$DESK_NOTIFY_LOG" 2>/dev/null; }

# ------------------------------------------------------------------ Xfce panel config

desk_xfce_panel_up() {
    local id
    for id in $(xdotool search --onlyvisible --class '^Xfce4-panel$' 2>/dev/null); do return 0; done
    return 1
}

# A panel along the top: the task list, a spacer and the notification area. Without a
# configuration the panel asks which one to use, with a dialog.
desk_xfce_config() {
    local dir="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$dir"
    cat >"$dir/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="false"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
        <value type="int" value="3"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="tasklist"/>
    <property name="plugin-2" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-3" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
EOF
    cat >"$dir/xfwm4.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="use_compositing" type="bool" value="false"/>
  </property>
</channel>
EOF
}

# ------------------------------------------------------------------ observations

# One line about a window: map and ICCCM state, _NET_WM_STATE, stacking, active window.
desk_describe() {
    local win=$1 other=${2:-}
    printf 'win=0x%x map=%s wm_state=%s net_state=[%s] stack=%s' "$win" "$(e2e_map_state "$win")" \
        "$(e2e_wm_state "$win")" "$(e2e_net_wm_state "$win" | tr -d ' ')" "$(e2e_stack_index "$win")"
    [[ -n "$other" ]] && printf ' other_stack=%s' "$(e2e_stack_index "$other")"
    printf ' active=0x%x\n' "$(e2e_active_window || echo 0)"
}

# The window manager's frame of a client (the child of the root holding it).
desk_frame_of() {
    local w=$1 parent
    while true; do
        parent=$(xwininfo -children -id "$w" 2>/dev/null | awk '/Parent window id:/ { print $4 }')
        [[ -z "$parent" ]] && { echo "$w"; return; }
        xwininfo -children -id "$parent" 2>/dev/null | grep -q 'Parent window id: .*(the root window)' && {
            printf '%d\n' "$parent"
            return
        }
        xwininfo -id "$parent" 2>/dev/null | grep -q '(the root window)' && { echo "$w"; return; }
        w=$parent
    done
}

# desk_x_above A B: A's frame lies above B's in the X server's own stacking order, a
# second opinion beside the window manager's _NET_CLIENT_LIST_STACKING.
desk_x_above() {
    local fa fb
    fa=$(printf '0x%x' "$(desk_frame_of "$1")")
    fb=$(printf '0x%x' "$(desk_frame_of "$2")")
    xwininfo -root -children 2>/dev/null | awk -v a="$fa" -v b="$fb" '
        $1 == a { ia = NR } $1 == b { ib = NR } END { exit !(ia && ib && ia < ib) }'
}

# desk_buttons_on_screen WIN TAG: the window's buttons, as the program painted them, are
# what the screen shows there: nothing covers them.
desk_buttons_on_screen() {
    local win=$1 tag=$2 x y own screen bw bh bx by
    read -r x y <<<"$(e2e_window_pos "$win")"
    own=$(e2e_shot_area "$win" "$E2E_AREA_BUTTONS" "$tag.own") || return 1
    e2e_screenshot root "$E2E_TMP/shots/$tag.screen.png" || return 1
    IFS='x+' read -r bw bh bx by <<<"$E2E_AREA_BUTTONS"
    screen="$E2E_TMP/shots/$tag.onscreen.png"
    e2e_crop "$E2E_TMP/shots/$tag.screen.png" "${bw}x${bh}+$((x + bx))+$((y + by))" "$screen" || return 1
    e2e_same_image "$own" "$screen"
}

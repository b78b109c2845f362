# shellcheck shell=bash
# Wayland compositors headless, for the alarm's end-to-end checks: sway (wlroots, which
# focuses every window it maps) with waybar as tray host, and KWin. Builds on ../lib.sh
# (helpers, private HOME and XDG_RUNTIME_DIR, clean-up by PID).
#
#   source "$(dirname "$0")/wayland.sh"
#   wl_init BINARY NAME       # e2e_init; a session user where the test runs as root
#   wl_start sway|kwin        # the compositor, its session bus, a notification service
#
# Everything of the session runs as one ordinary user (sway refuses to run as root): the
# test's own user, or, under root, `lumiroka-wl` (made when missing). Input comes from
# the compositor's own virtual devices: wtype and a wlroots virtual pointer on sway,
# KWin's fake input; what the compositor shows is read from the compositor itself.

# shellcheck source=../lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

WL_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WL_USER=""
WL_COMPOSITOR=""
WL_SCREEN_W=1280
WL_SCREEN_H=800
WL_NOTIFY_LOG=""

wl_init() {
    E2E_BUDGET_S=${WL_BUDGET_S:-150}
    e2e_init "$1"
    E2E_NAME="${E2E_NAME}@$2"
    WL_LOGS=$E2E_ARTIFACTS/logs-$E2E_NAME
    rm -rf "$WL_LOGS"
    mkdir -p "$WL_LOGS" "$E2E_ARTIFACTS/wayland"
    e2e_at_exit 'cp "$E2E_TMP"/*.log "$WL_LOGS"/ 2>/dev/null'
    export XDG_DATA_DIRS=/usr/local/share:/usr/share XDG_CONFIG_DIRS=/etc/xdg
    export NO_AT_BRIDGE=1 GTK_A11Y=none LIBGL_ALWAYS_SOFTWARE=1 XDG_SESSION_TYPE=wayland
    if (($(id -u) == 0)); then
        WL_USER=lumiroka-wl
        id "$WL_USER" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$WL_USER" ||
            e2e_die "cannot make the session user $WL_USER"
        # The program and its files must be readable by the session user.
        chown -R "$WL_USER:" "$E2E_TMP"
        chmod 755 "$E2E_TMP"
    fi
}

# wl_run COMMAND...: runs COMMAND as the session user, in the session's environment.
wl_run() {
    if [[ -n "$WL_USER" ]]; then
        setpriv --reuid="$WL_USER" --regid="$WL_USER" --clear-groups "$@"
    else
        "$@"
    fi
}

# wl_bg LOG COMMAND...: wl_run in the background, tracked; sets WL_PID.
wl_bg() {
    local log=$1
    shift
    # Not through the wl_run function: $! must be the program's own id (setpriv execs it).
    if [[ -n "$WL_USER" ]]; then
        setpriv --reuid="$WL_USER" --regid="$WL_USER" --clear-groups "$@" >"$log" 2>&1 &
    else
        "$@" >"$log" 2>&1 &
    fi
    WL_PID=$!
    e2e_track "$WL_PID"
}

wl_start_dbus() {
    wl_bg "$E2E_TMP/dbus.log" dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus"
    e2e_wait_until 5 test -S "$XDG_RUNTIME_DIR/bus" || e2e_die "no session bus"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
}

wl_bus_has() {
    wl_run dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# Records every call to the notification service and its signals.
wl_watch_notifications() {
    WL_NOTIFY_LOG=$E2E_TMP/notify.log
    wl_bg "$WL_NOTIFY_LOG" dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications'" \
        "type='signal',interface='org.freedesktop.Notifications'"
}
wl_notify_count() { grep -c "member=$1\$" "$WL_NOTIFY_LOG" 2>/dev/null; }

# ------------------------------------------------------------------ sway

wl_start_sway() {
    local conf=$E2E_TMP/sway.conf sock
    cat >"$conf" <<EOF
output HEADLESS-1 resolution ${WL_SCREEN_W}x${WL_SCREEN_H} position 0 0 bg #336699 solid_color
xwayland enable
default_border normal
for_window [app_id=".*"] floating enable
for_window [class=".*"] floating enable
EOF
    chmod 644 "$conf"
    wl_bg "$E2E_TMP/sway.log" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        WLR_HEADLESS_OUTPUTS=1 sway -c "$conf"
    e2e_wait_until 20 bash -c 'ls "$XDG_RUNTIME_DIR" | grep -qE "^wayland-[0-9]+$"' ||
        { tail "$E2E_TMP/sway.log" >&2; e2e_die "sway made no Wayland socket"; }
    WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls | grep -E '^wayland-[0-9]+$' | head -1)
    export WAYLAND_DISPLAY
    e2e_wait_until 10 bash -c 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1' || e2e_die "sway made no IPC socket"
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -1)
    export SWAYSOCK
    # sway's XWayland starts with its first X client; the display is in sway's environment.
    sock=$E2E_TMP/sway-display
    wl_run swaymsg exec "echo \$DISPLAY > $sock" >/dev/null
    e2e_wait_until 5 test -s "$sock" || e2e_die "sway did not say its X display"
    WL_X_DISPLAY=$(cat "$sock")
}

# The sway tree as one line per window: "APP<TAB>NAME<TAB>focused<TAB>urgent<TAB>visible",
# stacking order bottom to top (floating windows).
wl_sway_windows() {
    wl_run swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n):
    if n.get("type") in ("con", "floating_con") and not n.get("nodes") and (n.get("app_id") or n.get("window_properties")):
        app = n.get("app_id") or (n.get("window_properties") or {}).get("class") or ""
        print("\t".join([app, n.get("name") or "", str(n["focused"]), str(n["urgent"]), str(n.get("visible"))]))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
# wl_sway_field PREFIX N: field N (1 app, 2 name, 3 focused, 4 urgent, 5 visible) of the
# first window whose name starts with PREFIX.
wl_sway_field() { wl_sway_windows | awk -F'\t' -v p="$1" -v n="$2" 'index($2, p) == 1 { print $n; exit }'; }
wl_sway_lumi_is() { [[ "$(wl_sway_field Lumiroka "$1")" == "$2" ]]; }
wl_sway_title() { wl_sway_field Lumiroka 2; }
wl_sway_title_matches() { [[ "$(wl_sway_title)" =~ $1 ]]; }

# wl_sway_keys WTYPE-ARGS...: keys and text through sway's virtual keyboard (wtype drops
# the first key of each call: an F20 goes first).
wl_sway_keys() { wl_run wtype -k F20 "$@"; }

wl_tray_host_registered() {
    wl_run dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:IsStatusNotifierHostRegistered 2>/dev/null | grep -q "boolean true"
}

wl_start_waybar() {
    local conf=$E2E_TMP/waybar.json
    printf '%s\n' '{ "layer": "top", "position": "top", "height": 26, "modules-left": ["sway/workspaces"],' \
        '"modules-right": ["tray"], "tray": { "icon-size": 18, "spacing": 6 } }' >"$conf"
    chmod 644 "$conf"
    wl_bg "$E2E_TMP/waybar.log" waybar -c "$conf"
    e2e_wait_until 20 wl_tray_host_registered ||
        { tail "$E2E_TMP/waybar.log" >&2; e2e_die "waybar registered no tray host"; }
}

# ------------------------------------------------------------------ KWin

wl_start_kwin() {
    # KWin hands its fake input only to programs a desktop file names; KDE's service
    # cache must know the file before KWin starts.
    local apps=$E2E_TMP/share/applications
    export XDG_DATA_DIRS=$E2E_TMP/share:$XDG_DATA_DIRS
    mkdir -p "$apps"
    printf '[Desktop Entry]\nType=Application\nName=fake input (tests)\nExec=%s\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n' \
        "$(readlink -f /usr/bin/python3)" >"$apps/lumiroka-tests-input.desktop"
    [[ -n "$WL_USER" ]] && chown -R "$WL_USER:" "$E2E_TMP/share"
    sleep 1 # the cache must be newer than the folder it lists, to the second
    wl_run kbuildsycoca5 --noincremental >"$E2E_TMP/kbuildsycoca.log" 2>&1
    # /usr/bin/kwin_wayland carries a file capability some containers refuse to exec.
    cp /usr/bin/kwin_wayland "$E2E_TMP/kwin_wayland"
    chmod 755 "$E2E_TMP/kwin_wayland"
    WAYLAND_DISPLAY=wayland-lumi
    export WAYLAND_DISPLAY
    # Now and then a KWin decides at its start that the cache names no program for its fake
    # input, and keeps to that: such a KWin is started again.
    local attempt
    for attempt in 1 2 3; do
        wl_bg "$E2E_TMP/kwin.log" env QT_QUICK_BACKEND=software XDG_CURRENT_DESKTOP=KDE "$E2E_TMP/kwin_wayland" \
            --virtual --width "$WL_SCREEN_W" --height "$WL_SCREEN_H" --socket "$WAYLAND_DISPLAY" --no-lockscreen \
            --no-global-shortcuts
        WL_KWIN_PID=$WL_PID
        e2e_wait_until 40 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ||
            { tail "$E2E_TMP/kwin.log" >&2; e2e_die "kwin_wayland made no Wayland socket"; }
        e2e_wait_until 20 wl_bus_has org.kde.KWin || e2e_die "KWin did not take its bus name"
        e2e_wait_until 5 wl_kwin_input keys F20 2>/dev/null && return 0
        e2e_log "KWin (start $attempt) grants no fake input; starting it again"
        kill "$WL_KWIN_PID"
        wait "$WL_KWIN_PID" 2>/dev/null
        e2e_untrack "$WL_KWIN_PID"
        e2e_wait_until 10 e2e_not test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
    done
    e2e_die "KWin grants no fake input"
}

# KWin's view of the normal windows, one a line, bottom to top:
# "CAPTION<TAB>active<TAB>demandsAttention<TAB>minimized" (a KWin script prints it).
wl_kwin_windows() {
    local f=$E2E_TMP/state.$RANDOM.js tag="STATE$RANDOM" id
    cat >"$f" <<EOF
var st = workspace.clientList().slice().sort(function (a, b) { return a.stackingOrder - b.stackingOrder; });
var out = [];
for (var i = 0; i < st.length; i++) { var c = st[i]; if (!c.normalWindow) continue;
    out.push([c.caption, c.active, c.demandsAttention, c.minimized].join("\\t")); }
print("$tag" + JSON.stringify(out));
EOF
    chmod 644 "$f"
    id=$(wl_run dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        "string:$f" "string:$tag" 2>/dev/null | awk '/int32/ { print $2 }')
    # KWin 5.27 names a loaded script's object by its number alone.
    wl_run dbus-send --session --print-reply --dest=org.kde.KWin "/$id" org.kde.kwin.Script.run >/dev/null 2>&1
    e2e_wait_until 2 grep -qa "$tag" "$E2E_TMP/kwin.log"
    wl_run dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.unloadScript \
        "string:$tag" >/dev/null 2>&1
    grep -a "$tag" "$E2E_TMP/kwin.log" | tail -1 | sed "s/.*$tag//" |
        python3 -c 'import json, sys; [print(l) for l in json.load(sys.stdin)]' 2>/dev/null
}
wl_kwin_field() { wl_kwin_windows | awk -F'\t' -v p="$1" -v n="$2" 'index($1, p) == 1 { print $n; exit }'; }
wl_kwin_lumi_is() { [[ "$(wl_kwin_field Lumiroka "$1")" == "$2" ]]; }
wl_kwin_title() { wl_kwin_field Lumiroka 1; }
wl_kwin_title_matches() { [[ "$(wl_kwin_title)" =~ $1 ]]; }

# KWin's fake input: keys by name, text, clicks (wl_kwin_input.py).
wl_kwin_input() { wl_run /usr/bin/python3 "$WL_DIR/wl_kwin_input.py" "$@"; }

# ------------------------------------------------------------------ GNOME Shell

# gnome-shell --wayland --headless without XWayland, read and driven through
# org.gnome.Shell.Eval (a small test extension turns on the unsafe mode it needs): its
# own view of the windows, Clutter's virtual keyboard, its message tray.
wl_start_gnome() {
    wl_bg "$E2E_TMP/sysbus.log" dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/sysbus"
    e2e_wait_until 5 test -S "$XDG_RUNTIME_DIR/sysbus" || e2e_die "no stand-in system bus"
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/sysbus"
    export GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
    local own="wl-eval@lumiroka.test" dir
    dir=$HOME/.local/share/gnome-shell/extensions/$own
    mkdir -p "$dir" "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf '{ "uuid": "%s", "name": "Eval for tests", "description": "test helper", "shell-version": ["43"] }\n' \
        "$own" >"$dir/metadata.json"
    cat >"$dir/extension.js" <<'EOF2'
const Main = imports.ui.main;
function init() {}
function enable() {
    global.context.unsafe_mode = true;
    if (Main.layoutManager._startingUp)
        Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
    else
        Main.overview.hide();
}
function disable() {}
EOF2
    printf "[org/gnome/shell]\nenabled-extensions=['%s']\nwelcome-dialog-last-shown-version='99.0'\n\n[org/gnome/desktop/interface]\nenable-animations=false\n" \
        "$own" >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
    [[ -n "$WL_USER" ]] && chown -R "$WL_USER:" "$HOME" "$XDG_CONFIG_HOME"
    WAYLAND_DISPLAY=wayland-lumi
    export WAYLAND_DISPLAY
    wl_bg "$E2E_TMP/gnome-shell.log" gnome-shell --wayland --headless --no-x11 \
        --virtual-monitor "${WL_SCREEN_W}x${WL_SCREEN_H}" --wayland-display="$WAYLAND_DISPLAY" --sm-disable
    e2e_wait_until 40 eval '[[ "$(wl_gnome_eval "1+1")" == 2 ]]' ||
        { tail "$E2E_TMP/gnome-shell.log" >&2; e2e_die "gnome-shell does not answer (Eval)"; }
    sleep 1 # the start-up overview goes away
    wl_gnome_eval '
const Clutter = imports.gi.Clutter; const GLib = imports.gi.GLib; const Meta = imports.gi.Meta;
global._wl = {
  seat: Clutter.get_default_backend().get_default_seat(),
  win(prefix) { return global.display.list_all_windows().find(w => (w.get_title() || "").startsWith(prefix)); },
  // "TITLE<TAB>focus<TAB>attention<TAB>minimized", bottom to top
  windows() { return global.display.sort_windows_by_stacking(global.display.list_all_windows())
      .filter(w => w.get_window_type() == Meta.WindowType.NORMAL)
      .map(w => [w.get_title(), w.has_focus(), w.demands_attention, w.minimized].join(String.fromCharCode(9))).join(String.fromCharCode(10)); },
  key(keyval) { if (!this.kbd) this.kbd = this.seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
      this.kbd.notify_keyval(Clutter.CURRENT_TIME, keyval, Clutter.KeyState.PRESSED);
      this.kbd.notify_keyval(Clutter.CURRENT_TIME, keyval, Clutter.KeyState.RELEASED); },
  keys(names) { names.split(" ").forEach(n => this.key(Clutter["KEY_" + n])); },
  // Types TEXT in the shell main loop, a key every MS; `typed` counts what went out.
  type(text, ms) { this.typed = 0; let i = 0;
      GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => { if (i >= text.length) return false; const c = text[i++];
          this.key(c === " " ? Clutter.KEY_space : Clutter.unicode_to_keysym(c.charCodeAt(0))); this.typed++; return true; }); },
  notifications(part) { const found = [];
      imports.ui.main.messageTray.getSources().forEach(s => s.notifications.forEach(n => {
          if (((n.title || "") + " " + (n.bannerBodyText || "")).includes(part)) found.push(n); }));
      return found; },
};
"ok"' >/dev/null || e2e_die "cannot evaluate in gnome-shell"
    # The first events of a fresh virtual device can be lost: make the keyboard now.
    wl_gnome_eval 'global._wl.key(imports.gi.Clutter.KEY_Shift_L); "ok"' >/dev/null
}

# wl_gnome_eval JS: the value, as gnome-shell's Eval gives it (JSON), with the quotes of a
# string taken off.
wl_gnome_eval() {
    local out
    out=$(wl_run gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null) || return 1
    [[ "$out" == "(true, "* ]] || return 1
    out=${out#"(true, '"}
    out=${out%"')"}
    out=${out#\"}
    out=${out%\"}
    # GVariant's text doubles the backslashes of JSON's escapes.
    printf '%b\n' "${out//\\\\/\\}"
}
wl_gnome_windows() { wl_gnome_eval 'global._wl.windows()'; }
wl_gnome_field() { wl_gnome_windows | awk -F'\t' -v p="$1" -v n="$2" 'index($1, p) == 1 { print $n; exit }'; }
wl_gnome_lumi_is() { [[ "$(wl_gnome_field Lumiroka "$1")" == "$2" ]]; }
wl_gnome_title() { wl_gnome_field Lumiroka 1; }
wl_gnome_title_matches() { [[ "$(wl_gnome_title)" =~ $1 ]]; }
# wl_gnome_type TEXT: typed in the shell's main loop, a key every 100 ms; returns once all
# of it is typed.
wl_gnome_type() {
    local n=${#1}
    wl_gnome_eval "global._wl.type('$1', 100); 'ok'" >/dev/null
    e2e_wait_until 60 eval "(( \$(wl_gnome_eval 'global._wl.typed') >= $n ))"
}

# ------------------------------------------------------------------ both

wl_start() {
    WL_COMPOSITOR=$1
    local t0
    t0=$(e2e_now_ms)
    wl_start_dbus
    case $WL_COMPOSITOR in
    sway) wl_start_sway ;;
    kwin) wl_start_kwin ;;
    gnome) wl_start_gnome ;;
    *) e2e_die "unknown compositor $WL_COMPOSITOR" ;;
    esac
    wl_watch_notifications
    # GNOME Shell is its own notification service; elsewhere mako, started by hand: one
    # the bus would start lacks WAYLAND_DISPLAY.
    if [[ $WL_COMPOSITOR != gnome ]]; then
        wl_bg "$E2E_TMP/mako.log" mako
        e2e_wait_until 10 wl_bus_has org.freedesktop.Notifications || e2e_die "mako did not come up"
    fi
    e2e_log "$WL_COMPOSITOR up after $(($(e2e_now_ms) - t0)) ms: WAYLAND_DISPLAY=$WAYLAND_DISPLAY${WL_X_DISPLAY:+ X $WL_X_DISPLAY}"
}

# wl_launch native|xwayland: the program, as a native Wayland client or through XWayland.
wl_launch() {
    APP_LOG="$E2E_TMP/app.$1.$(date +%s%N).log"
    if [[ $1 == native ]]; then
        # The program's Wayland requests in its log, for a failed run.
        wl_bg "$APP_LOG" env QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$E2E_BIN"
    else
        wl_bg "$APP_LOG" env DISPLAY="$WL_X_DISPLAY" "$E2E_BIN"
    fi
    APP_PID=$WL_PID
    e2e_log "started lumiroka $1 (pid $APP_PID)"
}

# wl_end VAR: ends the process whose pid VAR holds, if any, and empties VAR.
wl_end() {
    local -n pid=$1
    [[ -n "${pid:-}" ]] || return 0
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    e2e_untrack "$pid"
    pid=""
}

wl_end_app() { wl_end APP_PID; }

# The other program a person types in (GTK, native Wayland); sets OTHER_PID, OTHER_TEXT.
wl_open_other() {
    OTHER_TEXT=$E2E_TMP/other-text.$(date +%s%N).txt
    wl_bg "$E2E_TMP/other.log" env GDK_BACKEND=wayland /usr/bin/python3 "$E2E_LIB_DIR/typing_target.py" "$OTHER_TEXT" other
    OTHER_PID=$WL_PID
    e2e_wait_until 10 test -e "$OTHER_TEXT" || e2e_die "the other program did not start"
}

wl_close_other() { wl_end OTHER_PID; }

# wl_start_typing SECONDS: words and spaces into whichever window has the keyboard, a key
# every 100 ms, for about SECONDS, in one go of the compositor's typist ($WL_TYPE_CMD TEXT):
# one keyboard map for all of it (wtype loses keys typed just after it changes its map).
# $E2E_TYPED holds the text; wl_stop_typing waits until all of it is typed.
wl_start_typing() {
    local words=(the quick brown fox jumps over the lazy dog and keeps on typing while time runs out) text="" i=0
    while ((${#text} < $1 * 10)); do
        text+="${words[i % ${#words[@]}]} "
        i=$((i + 1))
    done
    E2E_TYPED=$E2E_TMP/typed.$(date +%s%N).txt
    printf '%s' "$text" >"$E2E_TYPED"
    $WL_TYPE_CMD "$text" >"$E2E_TMP/typist.log" 2>&1 &
    E2E_TYPIST_PID=$!
    e2e_track "$E2E_TYPIST_PID"
}
wl_stop_typing() {
    [[ -n "${E2E_TYPIST_PID:-}" ]] || return 0
    wait "$E2E_TYPIST_PID" 2>/dev/null
    e2e_untrack "$E2E_TYPIST_PID"
    E2E_TYPIST_PID=""
}

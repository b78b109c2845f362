# shellcheck shell=bash disable=SC2034
# (SC2034: WS_REC_START is for the scripts that source this file.)
# A real sound server for the Windows program under Wine to ring into, and a recorder of
# what reaches it: PipeWire, WirePlumber and PipeWire's pulse server in the script's private
# runtime directory, with a D-Bus session of their own and a null sink as the default
# output. Wine's winepulse finds the server through XDG_RUNTIME_DIR, as on a desktop.
#
#   source winsound.sh   (after winlib.sh and e2e_init)
#   ws_server_up                      # or e2e_die
#   ws_record_start FILE ... ws_record_stop   # sets WS_REC_START (epoch s, decimal)

ws_have_tools() {
    local tool
    for tool in pipewire wireplumber pipewire-pulse pactl parec dbus-daemon python3; do
        command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; return 1; }
    done
}

ws_pulse_ready() { pactl info >/dev/null 2>&1; }
ws_sink_ready() { pactl list short sinks 2>/dev/null | grep -q lumiroka_null; }

ws_server_up() {
    ws_have_tools || return 1
    local bus="$XDG_RUNTIME_DIR/bus"
    # Only the server sees this bus: the program under test finds no session bus, as before.
    (
        export XDG_STATE_HOME="$E2E_TMP/state" XDG_DATA_HOME="$E2E_TMP/data"
        mkdir -p "$XDG_STATE_HOME" "$XDG_DATA_HOME"
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$bus"
        unset PULSE_SERVER PIPEWIRE_REMOTE
        dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >"$E2E_TMP/dbus.log" 2>&1 &
        echo $! >"$E2E_TMP/ws.pids"
        for _ in $(seq 50); do [[ -S "$bus" ]] && break; sleep 0.05; done
        pipewire >"$E2E_TMP/pipewire.log" 2>&1 &
        echo $! >>"$E2E_TMP/ws.pids"
        for _ in $(seq 50); do [[ -S "$XDG_RUNTIME_DIR/pipewire-0" ]] && break; sleep 0.05; done
        wireplumber >"$E2E_TMP/wireplumber.log" 2>&1 &
        echo $! >>"$E2E_TMP/ws.pids"
        pipewire-pulse >"$E2E_TMP/pipewire-pulse.log" 2>&1 &
        echo $! >>"$E2E_TMP/ws.pids"
    )
    # Ended after everything started later (the programs, the X session).
    while read -r pid; do e2e_track "$pid"; done <"$E2E_TMP/ws.pids"
    e2e_wait_until 10 ws_pulse_ready || { e2e_log "the pulse server did not answer"; return 1; }
    pactl load-module module-null-sink sink_name=lumiroka_null rate=48000 channels=2 \
        sink_properties=device.description=LumirokaNull >/dev/null || return 1
    e2e_wait_until 5 ws_sink_ready || return 1
    pactl set-default-sink lumiroka_null
    e2e_log "sound server: $(pactl info | sed -n 's/^Server Name: //p'), default sink $(pactl get-default-sink)"
}

# What reaches the sink, as 48 kHz 16-bit stereo. The recording's start is worked out
# from its end and its length: parec's own start-up delay does not count then.
ws_record_start() {
    WS_REC_FILE=$1
    parec -d lumiroka_null.monitor --file-format=wav --format=s16le --rate=48000 --channels=2 \
        --latency-msec=20 "$WS_REC_FILE" 2>"$E2E_TMP/parec.log" &
    WS_REC_PID=$!
    e2e_track "$WS_REC_PID"
    sleep 0.5
}

ws_record_stop() {
    kill -INT "$WS_REC_PID" 2>/dev/null
    wait "$WS_REC_PID" 2>/dev/null
    local end=$EPOCHREALTIME
    e2e_untrack "$WS_REC_PID"
    WS_REC_START=$(python3 "$(dirname "${BASH_SOURCE[0]}")/win_bursts.py" --start-of "$WS_REC_FILE" "$end")
}

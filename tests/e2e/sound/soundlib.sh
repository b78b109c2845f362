# shellcheck shell=bash
# A real sound server for the tests that listen to the alarm: PipeWire with WirePlumber and
# its PulseAudio server (pipewire-pulse), on a private D-Bus session bus and in a private
# runtime directory, with a null sink as the default output; and a recording of what reaches
# that sink (its monitor, through parec), with the wall-clock time of its first sample.
# Needs: pipewire pipewire-pulse wireplumber dbus-daemon pulseaudio-utils (pactl, parec), sox.
#
#   source tests/e2e/sound/soundlib.sh
#   snd_up "$dir" || exit 1       # starts the server under $dir; PULSE_SERVER for clients
#   snd_record_start "$dir/rec.wav"
#   ... the program rings, with PULSE_SERVER="$SND_PULSE_SERVER" (or XDG_RUNTIME_DIR="$SND_RUNTIME")
#   snd_record_stop                # sets SND_REC_T0: epoch seconds of the recording's first sample
#   snd_down                       # ends only what snd_up started
#
# Nothing here touches a sound server of the person running the tests.

SND_DIR=""
SND_RUNTIME=""
SND_PULSE_SERVER=""
SND_PIDS=()
SND_REC_PID=""
SND_REC_FILE=""
SND_REC_T0=""
readonly SND_SINK=lumiroka_null
readonly SND_RATE=48000

# The server's private environment, as a command prefix: "${SND_ENV[@]}" COMMAND... (an array
# rather than a function, so that a command started in the background is that command's own
# process, which a signal reaches).
SND_ENV=()

# Runs a command with the server's private environment.
snd_env() { "${SND_ENV[@]}" "$@"; }

# snd_up DIR: starts the server; returns 1 (with its logs on stderr) if it does not answer.
snd_up() {
    SND_DIR=$1
    SND_RUNTIME=$SND_DIR/runtime
    SND_PULSE_SERVER=unix:$SND_RUNTIME/pulse/native
    SND_ENV=(env -u WAYLAND_DISPLAY -u PIPEWIRE_REMOTE -u PULSE_SINK XDG_RUNTIME_DIR="$SND_RUNTIME"
        XDG_CONFIG_HOME="$SND_DIR/config" XDG_STATE_HOME="$SND_DIR/state" XDG_DATA_HOME="$SND_DIR/data"
        HOME="$SND_DIR/home" DBUS_SESSION_BUS_ADDRESS="unix:path=$SND_RUNTIME/bus" PULSE_SERVER="$SND_PULSE_SERVER")
    mkdir -p "$SND_RUNTIME" "$SND_DIR/config" "$SND_DIR/state" "$SND_DIR/data" "$SND_DIR/home"
    chmod 700 "$SND_RUNTIME"
    local prog
    for prog in dbus-daemon pipewire wireplumber pipewire-pulse pactl parec sox; do
        command -v "$prog" >/dev/null || { echo "soundlib: missing program: $prog" >&2; return 1; }
    done
    "${SND_ENV[@]}" dbus-daemon --session --address="unix:path=$SND_RUNTIME/bus" --nofork --nopidfile \
        >"$SND_DIR/dbus.log" 2>&1 &
    SND_PIDS+=($!)
    snd_wait 5 test -S "$SND_RUNTIME/bus" || { snd_logs; return 1; }
    "${SND_ENV[@]}" pipewire >"$SND_DIR/pipewire.log" 2>&1 &
    SND_PIDS+=($!)
    snd_wait 5 test -S "$SND_RUNTIME/pipewire-0" || { snd_logs; return 1; }
    "${SND_ENV[@]}" wireplumber >"$SND_DIR/wireplumber.log" 2>&1 &
    SND_PIDS+=($!)
    "${SND_ENV[@]}" pipewire-pulse >"$SND_DIR/pipewire-pulse.log" 2>&1 &
    SND_PIDS+=($!)
    snd_wait 10 snd_env pactl info || { snd_logs; return 1; }
    # Just after start the pulse server may still refuse to make a sink ("Not supported"): ask again.
    snd_wait 5 snd_env pactl load-module module-null-sink sink_name=$SND_SINK rate=$SND_RATE channels=2 \
        sink_properties=device.description=LumirokaNull || { snd_logs; return 1; }
    snd_wait 5 snd_sink_ready || { snd_logs; return 1; }
    snd_env pactl set-default-sink $SND_SINK
}

snd_sink_ready() { snd_env pactl list short sinks 2>/dev/null | grep -q "$SND_SINK"; }

# Ends the recording and the server, newest first.
snd_down() {
    [[ -n "$SND_REC_PID" ]] && snd_record_stop
    local i pid
    for ((i = ${#SND_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${SND_PIDS[i]}
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    SND_PIDS=()
}

snd_logs() {
    local f
    for f in "$SND_DIR"/*.log; do
        echo "--- $f" >&2
        tail -n 15 "$f" >&2
    done
}

# snd_wait TIMEOUT_S COMMAND...: polls every 100 ms.
snd_wait() {
    local n=$(($1 * 10))
    shift
    while ((n-- > 0)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# snd_record_start FILE: records the null sink's monitor, 16-bit stereo at 48 kHz. With a
# 50 ms buffer: with 10 ms, a loaded machine now and then lost a few samples of the recording.
snd_record_start() {
    SND_REC_FILE=$1
    "${SND_ENV[@]}" parec -d $SND_SINK.monitor --file-format=wav --format=s16le --rate=$SND_RATE --channels=2 \
        --latency-msec=50 "$SND_REC_FILE" 2>"$SND_DIR/parec.log" &
    SND_REC_PID=$!
    # Recording once the file has its first samples past the header.
    snd_wait 5 snd_recording || { snd_logs; return 1; }
}

snd_recording() { (($(stat -c %s "$SND_REC_FILE" 2>/dev/null || echo 0) > 4096)); }

# snd_record_stop: ends the recording; SND_REC_T0 is the wall-clock time (epoch seconds)
# of its first sample, worked out from the moment it ended and its length. The sink is
# clocked by the system clock, so that is good to a few milliseconds.
snd_record_stop() {
    [[ -n "$SND_REC_PID" ]] || return 0
    kill -INT "$SND_REC_PID" 2>/dev/null
    wait "$SND_REC_PID" 2>/dev/null
    local end
    end=$(date +%s.%N)
    SND_REC_PID=""
    local frames
    frames=$(soxi -s "$SND_REC_FILE" 2>/dev/null) || return 1
    SND_REC_T0=$(awk -v e="$end" -v n="$frames" -v r=$SND_RATE 'BEGIN { printf "%.4f", e - n / r }')
}

# snd_reference IN OUT: a sound file (the chime, a theme's .oga) as 16-bit 48 kHz WAV, for
# comparing with the recording.
snd_reference() { sox -q "$1" -b 16 -e signed-integer -r $SND_RATE "$2"; }

# snd_damaged_chimes GOOD DIR: the chime files that must not play as a chime, made from the
# good one: empty.wav, random.wav (1 KB of random bytes), huge-header.wav (a header claiming a
# 2 GiB data chunk, then a second of samples), ogg-renamed.wav (the chime as Ogg Vorbis).
snd_damaged_chimes() {
    local good=$1 dir=$2
    mkdir -p "$dir"
    : >"$dir/empty.wav"
    head -c 1024 /dev/urandom >"$dir/random.wav"
    /usr/bin/python3 - "$good" "$dir/huge-header.wav" <<'PY' || return 1
import struct, sys, wave
with wave.open(sys.argv[1]) as w:
    rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
    data = w.readframes(w.getnframes())
data += b'\0' * max(0, rate * channels * width - len(data))
claim = 2 ** 31
fmt = struct.pack('<HHIIHH', 1, channels, rate, rate * channels * width, channels * width, 8 * width)
head = b'RIFF' + struct.pack('<I', (36 + claim) & 0xffffffff) + b'WAVE' + b'fmt ' + struct.pack('<I', 16) + fmt
open(sys.argv[2], 'wb').write(head + b'data' + struct.pack('<I', claim) + data)
PY
    sox -q "$good" "$dir/chime.ogg" && mv "$dir/chime.ogg" "$dir/ogg-renamed.wav"
}

# snd_watch_captions WIN FILE: appends "EPOCH_SECONDS CAPTION" to FILE at every change of the
# window's caption, as the X server announces it (no polling); prints the watcher's pid.
snd_watch_captions() {
    xprop -spy -id "$1" _NET_WM_NAME 2>/dev/null |
        while IFS= read -r line; do printf '%s %s\n' "$(date +%s.%N)" "${line#*= }"; done >>"$2" &
    echo $!
}

# snd_caption_time FILE TEXT AFTER: the first time after AFTER (epoch seconds) that the caption
# read TEXT; fails if it has not yet.
snd_caption_time() {
    awk -v text="\"$2\"" -v after="$3" '$1 > after && substr($0, index($0, " ") + 1) == text { print $1; found = 1; exit }
        END { exit !found }' "$1"
}

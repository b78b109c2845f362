#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2016 # helpers run through e2e_check; eval of quoted tests
# The alarm as a person hears it: the Windows program under Wine rings into a real sound
# server (PipeWire's pulse server, reached through winepulse), and what reaches its sink is
# recorded and compared with the sound that should ring.
# - The chime: three alarms in one run, each one whole chime a second from zero until
#   START・STOP, and nothing after it but the chime already playing.
# - A chime file whose data chunk claims 2 GiB with a second of data behind it: the count
#   goes on, START・STOP works, and the system's default sound rings each second.
# - An empty file, random bytes, an Ogg file renamed, no file: the default sound each second.
# The prefix is given a sound scheme of its own, as every Windows has one: the default sound
# is a test tone made here, so what rings can be told from the chime.
#
# usage: test_win_sound.sh /path/to/lumiroka.exe
set -u
# shellcheck source=winlib.sh
source "$(dirname "$0")/winlib.sh"
# shellcheck source=winsound.sh
source "$(dirname "$0")/winsound.sh"
e2e_init "${1:-}"
CHIME=$(dirname "$E2E_BIN")/justtime.wav
[[ -f "$CHIME" ]] || e2e_die "no chime beside the program: $CHIME"
ws_server_up || e2e_die "the sound server did not come up"
e2e_start_session
e2e_write_settings 0 0 0

# ------------------------------------------------------------------ the files
TONE=$E2E_TMP/tone.wav
python3 - "$TONE" <<'PY'
import math, struct, sys, wave
# A two-note beep, nothing like the chime: 0.2 s of 1320 Hz, then 0.2 s of 990 Hz.
rate, frames, phase = 48000, [], 0.0
for n in range(19200):
    fade = min(1.0, n / 240, (19200 - n) / 240)
    phase += 2 * math.pi * (1320 if n < 9600 else 990) / rate
    frames.append(int(12000 * fade * math.sin(phase)))
w = wave.open(sys.argv[1], 'wb'); w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
w.writeframes(struct.pack('<%dh' % len(frames), *frames)); w.close()
PY
BAD=$E2E_TMP/bad
mkdir -p "$BAD"
: >"$BAD/empty.wav"
head -c 1024 /dev/urandom >"$BAD/random.wav"
sox "$CHIME" "$BAD/ogg.ogg" && mv "$BAD/ogg.ogg" "$BAD/ogg.wav"
python3 - "$BAD/lying.wav" <<'PY'
import struct, sys
# A 16-bit mono header whose RIFF and data sizes claim 2 GiB, and one second of silence.
claim = 2 ** 31
fmt = struct.pack('<HHIIHH', 1, 1, 48000, 96000, 2, 16)
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', 36 + claim) + b'WAVE' + b'fmt ' + struct.pack('<I', 16) +
                              fmt + b'data' + struct.pack('<I', claim) + bytes(96000))
PY

# The system's default sound, in the prefix's sound scheme; taken out again at the end.
tone_win=$(win_path "$TONE")
tone_win=${tone_win//\\/\\\\}
win_import_reg '[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\.Default\.Current]' "@=\"$tone_win\"" '' \
    '[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\SystemDefault\.Current]' "@=\"$tone_win\""
remove_scheme() {
    wine_quiet reg delete 'HKCU\AppEvents\Schemes\Apps\.Default\.Default' /f
    wine_quiet reg delete 'HKCU\AppEvents\Schemes\Apps\.Default\SystemDefault' /f
}

# start_in CASE [FILE]: the program from a folder of its own, with FILE as its chime.
start_in() {
    local dir=$E2E_TMP/app-$1
    mkdir -p "$dir"
    cp "$E2E_BIN" "$dir/"
    cp -r "$(dirname "$E2E_BIN")/gif" "$dir/"
    [[ -n "${2:-}" ]] && cp "$2" "$dir/justtime.wav"
    e2e_launch_app "$dir/$(basename "$E2E_BIN")"
    win=$(e2e_main_window 30) || e2e_die "$1: the main window did not appear"
}

# alarm SECONDS RING: a countdown of SECONDS, left ringing RING seconds from zero, then
# START・STOP. Appends "ZERO:STOP" (epoch seconds) to ALARMS; ZERO is when the caption first
# showed 00:00:00. The caption is read only until then: polling it while the alarm rings
# would take the processor from the sound on a small machine.
ALARMS=()
alarm() {
    local i zero="" stop deadline
    e2e_click_at "$win" "$E2E_PT_RESET"
    for ((i = 0; i < $1; i++)); do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    deadline=$((${EPOCHREALTIME%.*} + $1 + 3))
    while ((${EPOCHREALTIME%.*} < deadline)); do
        if [[ "$(e2e_caption "$win")" == "Lumiroka - 00:00:00" ]]; then
            zero=$EPOCHREALTIME
            break
        fi
        sleep 0.01
    done
    [[ -n "$zero" ]] || e2e_die "the countdown of $1 s did not reach zero"
    sleep "$(awk -v z="$zero" -v r="$2" -v now="$EPOCHREALTIME" 'BEGIN { d = z + r - now; print (d > 0 ? d : 0) }')"
    stop=$EPOCHREALTIME
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    ALARMS+=("$zero:$stop")
}

# heard CASE REF: the recording's bursts against REF; sets the A<n>_* figures.
heard() {
    local specs=() n end
    for ((n = 0; n < ${#ALARMS[@]}; n++)); do
        end=${ALARMS[n + 1]:-}
        end=${end%%:*}
        specs+=("${ALARMS[n]}:${end:-9999999999}")
    done
    python3 "$(dirname "$0")/win_bursts.py" "$REC" "$2" "$WS_REC_START" "${specs[@]}" >"$E2E_TMP/bursts-$1.txt"
    e2e_keep_text "$E2E_TMP/bursts-$1.txt" "bursts-$1"
    eval "$(grep '^A[0-9]*_' "$E2E_TMP/bursts-$1.txt" | tr ' ' '\n')"
}
e2e_keep_text() { cp "$1" "$E2E_ARTIFACTS/$E2E_NAME-$2.txt" 2>/dev/null || true; }

# expect_each_second WHAT N: alarm N rang one whole REF a second from zero to the click.
expect_each_second() {
    local what=$1 failures=$E2E_FAILURES
    fig() { local name="A${2}_$1"; echo "${!name}"; }
    local expected
    expected=$(fig EXPECTED "$2")
    e2e_expect_between "$what: a sound a second from zero to START・STOP ($expected expected)" \
        "$(fig CHIMES "$2")" $((expected - 1)) $((expected + 1))
    e2e_expect_between "$what: the first within 0.3 s of zero" "$(fig FIRST_MS "$2")" -50 300 ms
    e2e_expect_between "$what: one second apart" "$(fig GAP_MS "$2")" 0 100 ms
    e2e_expect_between "$what: each is the expected sound (correlation, thousandths)" "$(fig CORR "$2")" 980 1000
    e2e_expect_between "$what: ... to its end (correlation of the last 40 %)" "$(fig TAIL "$2")" 950 1000
    e2e_expect_between "$what: ... and none is cut short" "$(fig SHORT_MS "$2")" -20 20 ms
    e2e_expect_eq "$what: nothing starts after START・STOP" 0 "$(fig AFTER "$2")"
    # Wine's output now and then falls one server quantum (5 ms) behind inside a sound, most
    # often the first of an alarm, as its stream starts: the sound is all there, with a gap
    # (the correlations above are of the others). One an alarm is the player; more is not.
    e2e_expect_between "$what: at most one sound with silence inserted mid-way" "$(fig DROPOUTS "$2")" 0 1
    ((E2E_FAILURES == failures)) || cp "$REC" "$E2E_ARTIFACTS/$E2E_NAME-$(basename "$REC")"
}

# A case whose checks fail runs once more, and that run decides. Wine's sound output on a
# busy two-core machine now and then falls a server quantum (5 ms) behind inside a sound,
# which the recording shows as silence inserted mid-way (paplay did the same under that
# load); a fault of the program's (no sound, the wrong sound, a hang, a sound after
# START・STOP) fails both runs.
twice_if_failed() {
    local before=$E2E_FAILURES
    "$@"
    ((E2E_FAILURES == before)) && return
    e2e_log "$1: $((E2E_FAILURES - before)) check(s) failed; the case runs once more and that run decides"
    e2e_kill_app
    E2E_FAILURES=$before
    "$@"
}

# ================================================================== the chime, three alarms
chime_case() {
    start_in chime "$CHIME"
    REC=$E2E_TMP/rec-chime.wav
    ALARMS=()
    ws_record_start "$REC"
    for _ in 1 2 3; do alarm 2 4.5; sleep 1.2; done
    ws_record_stop
    heard chime "$CHIME"
    for n in 1 2 3; do expect_each_second "alarm $n" "$n"; done
    e2e_kill_app
}
twice_if_failed chime_case

# ================================================================== a file that lies
lying_case() {
    start_in lying "$BAD/lying.wav"
    REC=$E2E_TMP/rec-lying.wav
    ALARMS=()
    ws_record_start "$REC"
    alarm 1 3.5
    e2e_expect_caption "the lying file: the count went on after zero, up to the click" "$win" "Lumiroka - 00:00:03" 0.5
    e2e_check "... and START・STOP stopped it" e2e_caption_steady "$win" 1.2
    ws_record_stop
    heard lying "$TONE"
    expect_each_second "the lying file (the default sound)" 1
    e2e_kill_app
}
twice_if_failed lying_case

# ================================================================== other damaged files
damaged_case() {
    local kind=$1 file=$BAD/$1.wav
    [[ $kind == missing ]] && file=""
    start_in "$kind" "$file"
    REC=$E2E_TMP/rec-$kind.wav
    ALARMS=()
    ws_record_start "$REC"
    alarm 1 2.5
    sleep 1.5 # past the next second: a sound started after the click would be heard
    ws_record_stop
    heard "$kind" "$TONE"
    expect_each_second "$kind file (the default sound)" 1
    e2e_kill_app
}
for kind in empty random ogg missing; do twice_if_failed damaged_case "$kind"; done

remove_scheme
e2e_finish

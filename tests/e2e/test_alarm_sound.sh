#!/usr/bin/env bash
# shellcheck disable=SC2119 # e2e_launch_app takes optional arguments
# The alarm as a person hears it. A real sound server (PipeWire with its PulseAudio server, on
# a private bus, with a null sink) records what reaches it while the real program rings, and
# each sound heard is compared with the file it should be:
#   - a 10 s alarm: 10 chimes (one a second, the first at zero), each the whole chime file;
#     a second and a third alarm in the same run just as good; after START・STOP nothing new;
#   - a chime file that is empty, random bytes, a header claiming a 2 GiB data chunk, an Ogg
#     renamed .wav, or missing: the sound theme's alarm every second instead, no hang, no
#     message box;
#   - a wave file with an 18-byte format chunk, as some editors write it: heard as the chime;
#   - a different chime put in place afterwards: that one is heard, not the one cached before;
#   - no sound server at all: the desktop's bell every second, and nothing reaches the server;
#   - no chime, with the desktop's own sound theme: its alarm, played afresh every second.
# For the damaged files the sound theme is the tests' own (its alarm a sweep, which tells each
# restart from the next); the program finds it where it finds the desktop's, through
# XDG_DATA_DIRS. The last case has the desktop's own.
#
# usage: test_alarm_sound.sh /path/to/build/lumiroka
set -u
E2E_BUDGET_S=${E2E_BUDGET_S:-110} # ctest's TIMEOUT is 120
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=sound/soundlib.sh
source "$(dirname "$0")/sound/soundlib.sh"
e2e_init "${1:-}"
for tool in sox soxi parec pactl pipewire wireplumber pipewire-pulse; do
    command -v "$tool" >/dev/null || e2e_die "missing tool: $tool"
done
/usr/bin/python3 -c 'import numpy' 2>/dev/null || e2e_die "missing: python3-numpy"

# ------------------------------------------------------------------ the sounds
snd="$E2E_TMP/sound"
mkdir -p "$snd/ref" "$snd/bad"
assets=$(dirname "$E2E_BIN")
chime="$assets/justtime.wav"
snd_reference "$chime" "$snd/ref/chime.wav" || e2e_die "sox cannot convert the chime"
# Another chime, put in place late in the run: the first one a fifth higher.
sox -q "$chime" "$snd/other.wav" pitch 700 || e2e_die "sox cannot make the second chime"
snd_reference "$snd/other.wav" "$snd/ref/other.wav"
snd_damaged_chimes "$chime" "$snd/bad" || e2e_die "cannot make the damaged chimes"
# The chime as some editors write it, with the format chunk's 2-byte extension field (a wave
# file that plays on Windows; libcanberra alone plays nothing of it).
/usr/bin/python3 - "$chime" "$snd/format-18.wav" <<'PY' || e2e_die "cannot make the 18-byte format chunk"
import struct, sys, wave
with wave.open(sys.argv[1]) as w:
    rate, channels, data = w.getframerate(), w.getnchannels(), w.readframes(w.getnframes())
fmt = struct.pack('<IHHIIHHH', 18, 1, channels, rate, rate * channels * 2, channels * 2, 16, 0)
body = b'WAVE' + b'fmt ' + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[2], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
theme="$E2E_TMP/share/sounds/freedesktop"
mkdir -p "$theme/stereo"
printf '[Sound Theme]\nName=Tests\nDirectories=stereo\n\n[stereo]\nOutputProfile=stereo\n' >"$theme/index.theme"
sox -q -n -r 48000 -c 2 -b 16 "$theme/stereo/alarm-clock-elapsed.wav" synth 2 sine 300-1800 vol 0.4 fade 0.01 2 0.05
snd_reference "$theme/stereo/alarm-clock-elapsed.wav" "$snd/ref/theme.wav"

# The program in a folder of its own, where its chime can be changed.
app="$E2E_TMP/app"
mkdir -p "$app"
cp "$E2E_BIN" "$app/lumiroka" && cp -r "$assets/gif" "$app/" && cp "$chime" "$app/justtime.wav" ||
    e2e_die "cannot copy the program"
E2E_BIN="$app/lumiroka"

# ------------------------------------------------------------------ server, desktop, program
e2e_at_exit snd_down # also what a failed start left running
snd_up "$snd/server" || e2e_die "the sound server did not come up"
e2e_start_session
snd_record_start "$snd/rec.wav" || e2e_die "cannot record the sound server"
export PULSE_SERVER=$SND_PULSE_SERVER XDG_DATA_DIRS="$E2E_TMP/share" XDG_DATA_HOME="$E2E_TMP/data"
app_tmp="$E2E_TMP/app-tmp" # the program's temporary folder, looked into once it has ended
mkdir -p "$app_tmp"
TMPDIR=$app_tmp e2e_launch_app
win=$(e2e_main_window) || e2e_die "no main window"
captions="$E2E_TMP/captions.log"
e2e_track "$(snd_watch_captions "$win" "$captions")"

# alarm NAME SECONDS: a one-second countdown from a stopped, reset timer, its alarm silenced
# SECONDS after zero; then a moment for the last sound. Sets ZERO and STOP (epoch seconds).
ZERO="" STOP=""
alarm() {
    local name=$1 length=$2 start
    e2e_click_at "$win" "$E2E_PT_RESET"
    e2e_click_at "$win" "$E2E_PT_SEC_UP"
    start=$(date +%s.%N)
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    if ! e2e_wait_until 4 snd_caption_time "$captions" "Lumiroka - 00:00:00" "$start" >/dev/null; then
        e2e_fail "$name: the countdown did not reach zero (caption '$(e2e_caption "$win")')"
        ZERO=$start STOP=$start
        return 1
    fi
    ZERO=$(snd_caption_time "$captions" "Lumiroka - 00:00:00" "$start")
    sleep "$(awk -v z="$ZERO" -v l="$length" -v n="$(date +%s.%N)" 'BEGIN { d = z + l - n; print (d > 0 ? d : 0) }')"
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    STOP=$(date +%s.%N)
    e2e_caption_steady "$win" 1.2 || e2e_fail "$name: the count goes on after START・STOP"
}

ALARMS=()
# heard NAME REFERENCE EXPECTED_SOUNDS: queues the check of the last alarm against REFERENCE.
heard() { ALARMS+=("$1|$2|$3|$ZERO|$STOP|$(date +%s.%N)"); }

# ------------------------------------------------------------------ the alarms
alarm "first alarm" 9.5 && heard "first alarm" chime 10
alarm "second alarm" 4.5 && heard "second alarm" chime 5
alarm "third alarm" 4.5 && heard "third alarm" chime 5
for bad in empty random huge-header ogg-renamed missing; do
    if [[ $bad == missing ]]; then rm -f "$app/justtime.wav"; else cp "$snd/bad/$bad.wav" "$app/justtime.wav"; fi
    alarm "$bad chime" 1.5 && heard "$bad chime" theme 2
    e2e_require_app
done
cp "$snd/format-18.wav" "$app/justtime.wav"
alarm "18-byte format chunk" 2.5 && heard "18-byte format chunk" chime 3
cp "$snd/other.wav" "$app/justtime.wav"
alarm "another chime" 2.5 && heard "another chime" other 3

e2e_require_app
e2e_check "no window besides the main window (no message box)" \
    test "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | while read -r w; do
        xwininfo -id "$w" | grep -q 'Width: 1$' || echo "$w"; done | wc -l)" -le 1

# ------------------------------------------------------------------ no sound server
# The same program where no sound server answers (none at its address, none in its runtime
# directory): the desktop's bell, once a second.
e2e_kill_app
e2e_check "the ended program left nothing in its temporary folder (the chime's copy included)" \
    test -z "$(ls -A "$app_tmp")"
bells="$E2E_TMP/bells.log"
if [[ -x "${BELL_WATCH:-}" ]]; then
    "$BELL_WATCH" >"$bells" 2>&1 &
    e2e_track $!
    e2e_wait_until 5 grep -q ready "$bells" || e2e_fail "the bell watcher did not start"
    PULSE_SERVER=unix:$E2E_TMP/no-server e2e_launch_app
    win=$(e2e_main_window) || e2e_die "no main window without a sound server"
    e2e_track "$(snd_watch_captions "$win" "$captions")"
    alarm "no sound server" 3.5
    bell_zero=$ZERO bell_stop=$STOP
    e2e_require_app
    rung=$(awk -v z="$bell_zero" -v s="$bell_stop" '$1 + 0 >= z - 0.1 && $1 + 0 <= s + 0.15' "$bells" | wc -l)
    late=$(awk -v s="$bell_stop" '$1 + 0 > s + 0.15' "$bells" | wc -l)
    e2e_expect_between "no sound server: bells from zero to START・STOP (3.5 s)" "$rung" 3 5
    e2e_expect_eq "no sound server: bells after START・STOP" 0 "$late"
    heard "no sound server" chime -1
else
    e2e_fail "BELL_WATCH does not name the bell watcher (ctest sets it)"
fi

snd_record_stop
cp "$snd/rec.wav" "$E2E_ARTIFACTS/alarm_sound.wav" 2>/dev/null
REC_T0=$SND_REC_T0

# ------------------------------------------------------------------ the desktop's own theme
# The same program with the desktop's sound theme (Debian's sound-theme-freedesktop) and no
# chime, on a sound server of its own: a server's cache keeps one sound per event name, and
# the tests' theme had its alarm there. The theme's alarm-clock-elapsed rings for 6.1 s with
# a ring that comes back every 1.03 s, so one play alone would give six rings: eight in 7.5 s
# are eight plays. What follows START・STOP is not looked at here (the last play's rings go
# on, as they should).
real_theme=/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga
theme_entry=""
if [[ -f $real_theme ]]; then
    e2e_kill_app
    snd_down
    rm -f "$app/justtime.wav"
    sox -q -t ogg "$real_theme" -b 16 -e signed-integer -r "$SND_RATE" "$snd/ref/desktop-theme.wav" ||
        e2e_fail "sox cannot read the sound theme's alarm"
    snd_up "$snd/server2" || e2e_die "the second sound server did not come up"
    snd_record_start "$snd/rec2.wav" || e2e_die "cannot record the second sound server"
    # A cache of its own too: libcanberra keeps where it found each theme sound in
    # $XDG_CACHE_HOME, and would find the tests' theme there.
    mkdir -p "$E2E_TMP/cache2"
    PULSE_SERVER=$SND_PULSE_SERVER XDG_DATA_DIRS=/usr/local/share:/usr/share XDG_CACHE_HOME="$E2E_TMP/cache2" \
        e2e_launch_app
    win=$(e2e_main_window) || e2e_die "no main window with the desktop's theme"
    e2e_track "$(snd_watch_captions "$win" "$captions")"
    alarm "desktop's theme" 7.5
    theme_entry="desktop's theme|desktop-theme|8|$ZERO|$STOP|$STOP"
    e2e_require_app
    snd_record_stop
else
    e2e_fail "the desktop's sound theme is not installed ($real_theme; Debian: sound-theme-freedesktop)"
fi

# ------------------------------------------------------------------ what was heard
[[ -n $theme_entry ]] && ALARMS+=("$theme_entry|rec2.wav|$SND_REC_T0")
for entry in "${ALARMS[@]}"; do
    IFS='|' read -r name ref expect zero stop until rec t0 <<<"$entry"
    rec=${rec:-rec.wav} t0=${t0:-$REC_T0}
    quiet=()
    ((expect < 0)) && quiet=(--silent) # nothing may reach the server
    out=$(/usr/bin/python3 "$E2E_LIB_DIR/sound/chimes.py" "$snd/$rec" "$snd/ref/$ref.wav" --t0 "$t0" \
        --zero "$zero" --stop "$stop" --until "$until" --expect "$expect" --label "$name" "${quiet[@]}" 2>&1)
    rc=$?
    printf '%s\n' "$out"
    e2e_check "$name: $(tail -n 1 <<<"$out" | sed "s/^$name: //")" test "$rc" -eq 0
done
grep -i "lumiroka:" "$APP_LOG" | sort | uniq -c | sed 's/^/  program said: /'

e2e_finish

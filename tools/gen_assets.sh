#!/bin/sh
# Regenerate all Lumiroka artwork and the alarm chime, then check them.
# Needs Debian's Python with Pillow (package python3-pil).
set -e
PY=${PYTHON:-/usr/bin/python3}
TOOLS=$(cd "$(dirname "$0")" && pwd)
"$PY" "$TOOLS/gen_characters.py"
"$PY" "$TOOLS/gen_icons.py"
"$PY" "$TOOLS/gen_win_icon.py"
"$PY" "$TOOLS/gen_sound.py"
"$PY" "$TOOLS/check_assets.py"

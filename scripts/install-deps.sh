#!/usr/bin/env bash
# Installs the Debian 12 packages Lumiroka needs, only those still missing.
#   install-deps.sh run    build and run the program
#   install-deps.sh test   also everything the test layers need, with the window managers
#                          and tray hosts of GNOME, KDE and Xfce and the Wayland compositors
#                          sway (with waybar), KWin and GNOME Shell for the desktop checks, and
#                          clang with libFuzzer for the GIF reader's fuzz test
#   install-deps.sh windows the cross-compilers, Wine and NSIS for the Windows program
set -euo pipefail

mode=${1:-run}

build_pkgs=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools qt6-base-private-dev
            libgl-dev libfontconfig-dev libxcb1-dev libxcb-xinput-dev libwayland-dev wayland-protocols libcanberra-dev)
# The X11 and Wayland platform plugins, a Japanese font for the character's lines, and the
# alarm's sound: libcanberra with its back end for PulseAudio and PipeWire, and the desktop's
# sound theme, whose alarm rings when the chime file cannot play.
run_pkgs=(qt6-qpa-plugins qt6-wayland fonts-ipafont-gothic libcanberra0 libcanberra-pulse sound-theme-freedesktop)
test_pkgs=(libgtest-dev clang-format git xvfb xauth xdotool openbox trayer x11-utils x11-apps imagemagick wmctrl
           appstream desktop-file-utils dpkg-dev file dbus-daemon dbus-bin
           at-spi2-core gir1.2-atspi-2.0 python3-gi gir1.2-gtk-3.0
           mutter kwin-x11 xfwm4 xfce4-panel xfconf xfce4-notifyd
           sway xwayland waybar wtype grim mako-notifier kwin-wayland libkf5service-bin gnome-shell
           clang libclang-rt-14-dev
           pipewire pipewire-pulse wireplumber pulseaudio-utils sox libsox-fmt-base python3-numpy)

windows_pkgs=(cmake g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64 fonts-wine nsis zip
              fonts-ipafont-gothic
              # the sound server the alarm is heard through (winepulse), its recorder, and sox for an Ogg file
              pipewire pipewire-pulse wireplumber pulseaudio-utils sox libsox-fmt-base)

wanted=("${build_pkgs[@]}" "${run_pkgs[@]}")
if [ "$mode" = test ]; then
    wanted+=("${test_pkgs[@]}")
elif [ "$mode" = windows ]; then
    wanted=("${windows_pkgs[@]}" "${test_pkgs[@]}")
fi

# Sound needs a sound server; desktops bring PipeWire or PulseAudio. Add PulseAudio only
# where neither is installed, so an existing PipeWire set-up is left alone. The tests bring
# their own PipeWire (with pipewire-pulse, which PulseAudio would conflict with).
if ! dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q 'ok installed' &&
   ! dpkg-query -W -f='${Status}' pulseaudio 2>/dev/null | grep -q 'ok installed'; then
    [ "$mode" = run ] && wanted+=(pulseaudio)
fi

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

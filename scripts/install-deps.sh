#!/usr/bin/env bash
# Installs the Debian packages that building and testing Halomark needs. Idempotent: packages
# already present are not fetched again, and the package lists are refreshed only when
# something is missing.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    # The desktop adapters.
    qt6-base-dev libxcb1-dev libxcb-randr0-dev libxcb-xfixes0-dev libxcb-ewmh-dev
    libxcb-icccm4-dev libxcb-res0-dev
    # The performance measurements (tools/perf).
    libxcb-damage0-dev libxcb-xtest0-dev
    # The private desktop the adapter tests run on (scripts/xvfb-desktop.sh); setxkbmap changes
    # its layout in the keyboard tests.
    xvfb xauth dbus openbox picom tint2 xdotool xterm x11-utils x11-xserver-utils x11-xkb-utils
    imagemagick fonts-dejavu-core
    # The Wayland adapter and its private headless sway desktop (scripts/sway-desktop.sh).
    libwayland-dev wayland-protocols nlohmann-json3-dev sway grim wtype foot
    # Qt's own Wayland platform, for the tray icon, its menu and the dialogs on Wayland.
    qt6-wayland
    # The screen recorder of the demo (scripts/demo.sh).
    python3
    # The fuzz targets (scripts/fuzz.sh): clang with libFuzzer and the sanitizers.
    clang libclang-rt-14-dev
    # The Debian package and its checks (tests/package).
    dpkg-dev desktop-file-utils appstream lintian
)

# One query for all of them: the desktop scripts run this before every test desktop starts.
declare -A installed=()
while read -r package status; do
    [[ $status == "install ok installed" ]] && installed[$package]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
    if [[ -z ${installed[$package]:-} ]]; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Shared by the scripts: installs what a fresh Debian machine lacks, and builds.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Packages the build, the tests and the run under Xvfb need.
# qt6-translations-l10n: Qt's Chinese texts, which the build embeds.
# libxcb1-dev: the program asks the window manager itself to activate its window.
PACKAGES=(g++ make cmake qt6-base-dev libxcb1-dev qt6-translations-l10n fonts-arphic-uming xvfb xauth trayer imagemagick)

missing_packages() {
    local pkg
    for pkg in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
    done
}

ensure_packages() {
    local missing
    mapfile -t missing < <(missing_packages "$@")
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
    # Configuring again is quick, and picks up files added since.
    cmake -S "$ROOT" -B "$BUILD" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD" -j"$(nproc)" "$@" -- --no-print-directory
}

# Starts Xvfb on a free display and exports DISPLAY; stop_xvfb ends it.
# start_xvfb [WIDTHxHEIGHTxDEPTH]
start_xvfb() {
    local n=99 screen=${1:-1280x1024x24}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

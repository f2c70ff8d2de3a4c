#!/usr/bin/env bash
# Installs the Debian packages that are missing, builds a Release build in build/, then
#   run   starts the program
#   test  runs the whole test suite (Qt's offscreen platform, no display needed), then runs it
#         once more built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
#   deb   builds the Debian package build/calcolino_*.deb
# Re-running is quick: nothing is installed or rebuilt when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}

packages=(cmake g++ make qt6-base-dev libgl-dev fonts-liberation qt6-translations-l10n)
packages+=(libcups2-dev qt6-speech-dev qt6-declarative-dev)
case "$mode" in
  # Reading PDFs back, validating the desktop files, checking the Debian package and its manual
  # page, a private X session with a window manager and the accessibility bus, and watching the
  # program's system calls; headless Wayland compositors and Qt's Wayland platform.
  test) packages+=(poppler-utils desktop-file-utils appstream dpkg-dev file lintian man-db
                   xvfb openbox x11-utils x11-xserver-utils xdotool numlockx dbus-daemon dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 strace
                   qt6-wayland weston sway xwayland)
        packages+=(cups-daemon cups-client speech-dispatcher speech-dispatcher-espeak-ng qt6-speech-speechd-plugin)
        # the voice heard through a desktop's sound server, and kept by ALSA's file device on its way there
        packages+=(pulseaudio pulseaudio-utils libasound2-plugins) ;;
  deb)  packages+=(dpkg-dev file) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)"

case "$mode" in
  run)  exec build/src/calcolino ;;
  test)
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALCOLINO_SANITIZE=ON >/dev/null
    cmake --build build-asan --parallel "$(nproc)"
    cd build-asan
    # Any leak or undefined behaviour from our code fails the run. strstr is not checked: with the
    # check, libspeechd's reading of the voice list (a strstr per line) takes minutes.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_strstr=0 LSAN_OPTIONS=suppressions=$PWD/../scripts/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      QT_QPA_PLATFORM=offscreen ctest --output-on-failure -E '^packaging$'
    ;;
  deb)  cd build && cpack -G DEB ;;
  *)    echo "usage: $0 [run|test|deb]" >&2; exit 2 ;;
esac

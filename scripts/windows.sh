#!/usr/bin/env bash
# usage: scripts/windows.sh
#
# Builds Fraymark for 64-bit Windows on Debian 12 or 13 and runs every test of that build
# under Wine, ending with CTest's summary.
#  - installs MinGW-w64, Wine, CMake and Ninja (as root, or through sudo);
#  - fetches Debian's qt6-base source through a deb-src entry in a file of its own, removed
#    afterwards, and cross-builds Qt for Windows once into the cache folder
#    ($FRAYMARK_WINDOWS_CACHE, default ~/.cache/fraymark-windows); a change of the Qt
#    version or of the options below builds it again;
#  - builds Fraymark in ./build-windows with cmake/MinGW-w64.cmake, packs
#    build-windows/fraymark-windows-x86_64.zip and runs the tests under Wine.
# Not part of ./test.sh or CI: the first run takes about half an hour on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cache=${FRAYMARK_WINDOWS_CACHE:-$HOME/.cache/fraymark-windows}
triple=x86_64-w64-mingw32

# --- Packages ---------------------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
          wine wine64 libwine-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools
          dpkg-dev xz-utils zip xvfb xauth fonts-dejavu-core)
if [ "$(id -u)" -eq 0 ]; then
  as_root=(env DEBIAN_FRONTEND=noninteractive)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
else
  as_root=()
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ ${#as_root[@]} -eq 0 ]; then
    echo "windows: as root, install: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "windows: installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- Qt for Windows, built once -----------------------------------------------------------
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
# Where Debian keeps the host's Qt CMake files (no native compiler is needed to ask).
host_cmake=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)/cmake
qt_options=(
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_icu=OFF
  -DFEATURE_glib=OFF -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_freetype=ON)
stamp="$qt_version ${qt_options[*]} $(sha256sum cmake/MinGW-w64.cmake | cut -c1-16)"
qt_prefix=$cache/qt
mkdir -p "$cache"
if [ "$(cat "$cache/qt.stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "windows: building Qt $qt_version for Windows into $qt_prefix (once)"
  rm -rf "$cache/src" "$cache/qt-build" "$qt_prefix" "$cache/qt.stamp"
  mkdir -p "$cache/src"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  list=/etc/apt/sources.list.d/fraymark-qt-source.sources
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$codename" | "${as_root[@]}" tee "$list" >/dev/null
  trap '"${as_root[@]}" rm -f "$list"' EXIT
  "${as_root[@]}" apt-get update -qq
  (cd "$cache/src" && apt-get source -qq --download-only "qt6-base=$qt_version")
  "${as_root[@]}" rm -f "$list"
  "${as_root[@]}" apt-get update -qq
  trap - EXIT
  tar -C "$cache/src" -xf "$cache"/src/qt6-base_*.orig.tar.xz
  qt_source=$(echo "$cache"/src/qtbase-everywhere-src-*)
  # Debian's source leaves out the tablet headers; Wine's serve, with the two Wine macros
  # they need defined first.
  mkdir -p "$qt_source/src/3rdparty/wintab"
  cp /usr/include/wine/wine/windows/wintab.h "$qt_source/src/3rdparty/wintab/wine-wintab.h"
  cp /usr/include/wine/wine/windows/pktdef.h "$qt_source/src/3rdparty/wintab/"
  cat >"$qt_source/src/3rdparty/wintab/wintab.h" <<'WRAPPER'
#ifndef FRAYMARK_WINTAB_WRAPPER_H
#define FRAYMARK_WINTAB_WRAPPER_H
#include <windows.h>
#ifndef API
#define API WINAPI
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#endif
#include "wine-wintab.h"
#endif
WRAPPER
  cmake -G Ninja -S "$qt_source" -B "$cache/qt-build" \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/MinGW-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" "${qt_options[@]}" >"$cache/qt-configure.log"
  cmake --build "$cache/qt-build" --parallel "$jobs"
  cmake --install "$cache/qt-build" >/dev/null
  echo "$stamp" >"$cache/qt.stamp"
fi

# --- Fraymark for Windows, and its tests under Wine -----------------------------------
export WINEPREFIX=${WINEPREFIX:-$cache/wine}
export WINEDEBUG=-all
mingw_runtime=$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")
# Wine finds the DLLs through its PATH; the Qt plugins through QT_PLUGIN_PATH.
export WINEPATH="$qt_prefix/bin;$mingw_runtime;/usr/$triple/lib"
cmake -G Ninja -S . -B build-windows \
  -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$source_dir/scripts/wine-run.sh"
cmake --build build-windows --parallel "$jobs"
scripts/windows-zip.sh build-windows "$qt_prefix" "$(echo "$cache"/src/qtbase-everywhere-src-*)" \
  build-windows/fraymark-windows-x86_64.zip
# The offscreen platform the tests run on draws with these fonts; Qt for Windows ships none.
export QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu
(cd build-windows && ctest --output-on-failure -j "$jobs")

#!/usr/bin/env bash
# usage: scripts/windows.sh
#
# Builds Fraymark for 64-bit Windows on Debian 12 or 13 and runs every test of that build
# under Wine, ending with CTest's summary.
#  - installs MinGW-w64, Wine, CMake and Ninja (as root, or through sudo);
#  - fetches Debian's source of qt6-base and qrencode through a deb-src entry in a file of
#    its own, removed afterwards, and cross-builds each for Windows once into the cache folder
#    ($FRAYMARK_WINDOWS_CACHE, default ~/.cache/fraymark-windows); a change of a version
#    or of the options below builds that piece again;
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
          libqrencode-dev dpkg-dev xz-utils bzip2 zip xvfb xauth
          fonts-dejavu-core)
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

# --- Qt and libqrencode for Windows, each built once -------------------------------------
# Each is built from Debian's source of the version the host has, into the cache. A stamp
# of that version, the options and the toolchain file tells a later run whether it may
# reuse a piece.
source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
stale() { [ "$(cat "$cache/$1.stamp" 2>/dev/null)" != "$2" ]; }
toolchain_hash=$(sha256sum cmake/MinGW-w64.cmake | cut -c1-16)
# Where Debian keeps the host's Qt CMake files (no native compiler is needed to ask).
host_cmake=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)/cmake
mkdir -p "$cache"

qt_package=$(source_of qt6-base-dev)
qt_version=${qt_package#*=}
# Network serves the players' page; without TLS, so that no OpenSSL DLL is looked for.
qt_options=(
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
  -DFEATURE_network=ON -DFEATURE_ssl=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF
  -DFEATURE_brotli=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_fontconfig=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_freetype=ON)
qt_stamp="$qt_version ${qt_options[*]} $toolchain_hash"
qt_prefix=$cache/qt
qt_source_dir() { echo "$cache"/src/qtbase-everywhere-src-*; }

# libqrencode goes into the program, so no DLL of it is shipped; it needs neither libpng
# nor its command-line tool.
qrencode_package=$(source_of libqrencode-dev)
qrencode_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DWITH_TOOLS=OFF
                  -DWITHOUT_PNG=ON -DWITH_TESTS=OFF)
qrencode_stamp="${qrencode_package#*=} ${qrencode_options[*]} $toolchain_hash"
qrencode_prefix=$cache/qrencode
qrencode_source=$cache/qrencode-src

# Only the upstream tarball of each source package that must be built is fetched, through
# a deb-src entry in a file of its own that is removed again.
fetch=()
stale qt "$qt_stamp" && fetch+=("$qt_package")
stale qrencode "$qrencode_stamp" && fetch+=("$qrencode_package")
download=$cache/download
if [ ${#fetch[@]} -gt 0 ]; then
  echo "windows: fetching the source of ${fetch[*]}"
  rm -rf "$download"
  mkdir -p "$download"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  list=/etc/apt/sources.list.d/fraymark-windows-source.sources
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$codename" | "${as_root[@]}" tee "$list" >/dev/null
  trap '"${as_root[@]}" rm -f "$list"' EXIT
  "${as_root[@]}" apt-get update -qq
  fetched=true
  (cd "$download" && apt-get source -qq --tar-only "${fetch[@]}") || fetched=false
  "${as_root[@]}" rm -f "$list"
  "${as_root[@]}" apt-get update -qq
  trap - EXIT
  if ! $fetched; then
    echo "windows: could not fetch the source of ${fetch[*]} from Debian" >&2
    exit 1
  fi
fi
# The one upstream tarball of a source package in the download folder.
tarball() { local t=("$download/$1"_*.orig.tar.*); [ -f "${t[0]}" ] && echo "${t[0]}"; }
cmake_for_windows=(cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/MinGW-w64.cmake")

if stale qt "$qt_stamp"; then
  echo "windows: building Qt $qt_version for Windows into $qt_prefix (once)"
  start=$SECONDS
  rm -rf "$cache/src" "$cache/qt-build" "$qt_prefix" "$cache/qt.stamp"
  mkdir -p "$cache/src"
  tar -C "$cache/src" -xf "$(tarball qt6-base)"
  qt_source=$(qt_source_dir)
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
  "${cmake_for_windows[@]}" -S "$qt_source" -B "$cache/qt-build" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" "${qt_options[@]}" >"$cache/qt-configure.log"
  cmake --build "$cache/qt-build" --parallel "$jobs"
  cmake --install "$cache/qt-build" >/dev/null
  echo "$qt_stamp" >"$cache/qt.stamp"
  echo "windows: Qt built in $(( (SECONDS - start) / 60 )) min"
fi

if stale qrencode "$qrencode_stamp"; then
  echo "windows: building libqrencode ${qrencode_package#*=} for Windows into $qrencode_prefix (once)"
  start=$SECONDS
  rm -rf "$qrencode_source" "$cache/qrencode-build" "$qrencode_prefix" "$cache/qrencode.stamp"
  mkdir -p "$qrencode_source"
  tar -C "$qrencode_source" --strip-components=1 -xf "$(tarball qrencode)"
  # -Wno-dev: its own FindIconv's name warning, which says nothing about this build.
  "${cmake_for_windows[@]}" -S "$qrencode_source" -B "$cache/qrencode-build" -Wno-dev \
    -DCMAKE_INSTALL_PREFIX="$qrencode_prefix" "${qrencode_options[@]}" \
    >"$cache/qrencode-configure.log"
  cmake --build "$cache/qrencode-build" --parallel "$jobs"
  cmake --install "$cache/qrencode-build" >/dev/null
  echo "$qrencode_stamp" >"$cache/qrencode.stamp"
  echo "windows: libqrencode built in $(( SECONDS - start )) s"
fi
rm -rf "$download"

# --- Fraymark for Windows, and its tests under Wine -----------------------------------
export WINEPREFIX=${WINEPREFIX:-$cache/wine}
export WINEDEBUG=-all
mingw_runtime=$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")
# Wine finds the DLLs through its PATH; the Qt plugins through QT_PLUGIN_PATH.
export WINEPATH="$qt_prefix/bin;$mingw_runtime;/usr/$triple/lib"
# The toolchain lets find_path and find_library look only below its roots: libqrencode's
# prefix is one more root.
cmake -G Ninja -S . -B build-windows \
  -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -DCMAKE_FIND_ROOT_PATH="$qrencode_prefix" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$source_dir/scripts/wine-run.sh"
cmake --build build-windows --parallel "$jobs"
scripts/windows-zip.sh build-windows "$qt_prefix" "$(qt_source_dir)" \
  build-windows/fraymark-windows-x86_64.zip "$qrencode_source"
# The offscreen platform the tests run on draws with these fonts; Qt for Windows ships none.
export QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu
(cd build-windows && ctest --output-on-failure -j "$jobs")

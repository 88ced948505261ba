#!/usr/bin/env bash
# usage: scripts/windows-zip.sh <build folder> <Qt for Windows prefix> <Qt source folder> <zip>
#          [<libqrencode source folder>]
# Packs the Windows build for a user: fraymark.exe, every DLL it needs beyond Windows' own
# (found by walking the imports), the platform and style plugins, and the licence texts of
# all of it. Called by scripts/windows.sh.
set -euo pipefail
build=$1 qt=$2 qt_source=$3 zip=$(realpath -m "$4") qrencode_source=${5:-}
cd "$(dirname "$0")/.."
triple=x86_64-w64-mingw32
runtime=$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$qt/bin" "$runtime" "/usr/$triple/lib")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/fraymark
mkdir -p "$root/platforms" "$root/styles" "$root/licenses/qt-third-party"
cp "$build/src/app/fraymark.exe" "$root/"
cp "$qt/plugins/platforms/qwindows.dll" "$root/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$root/styles/"
# Plugins beside the program; nothing looked for where Qt was built.
printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$root/qt.conf"

# Every DLL the program and its plugins import that one of our folders holds; those that
# none holds are Windows' own.
declare -A shipped=()
pending=("$root/fraymark.exe" "$root/platforms/qwindows.dll" "$root/styles/qwindowsvistastyle.dll")
while [ ${#pending[@]} -gt 0 ]; do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  while read -r dll; do
    [ -n "${shipped[$dll]:-}" ] && continue
    for folder in "${search[@]}"; do
      if [ -f "$folder/$dll" ]; then
        shipped[$dll]=$folder/$dll
        cp "$folder/$dll" "$root/"
        pending+=("$root/$dll")
        break
      fi
    done
  done < <($triple-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done

# A user needs no debugging symbols.
find "$root" -name '*.exe' -o -name '*.dll' | xargs $triple-strip --strip-unneeded

# Licences: ours, Qt's and those of the libraries built into it, and the Debian copyright
# file of each package a runtime DLL comes from.
cp LICENSE "$root/licenses/fraymark.txt"
cp "$qt_source"/LICENSES/{LGPL-3.0-only,GPL-2.0-only,GPL-3.0-only,BSD-3-Clause,MIT,BSL-1.0,Apache-2.0,CC0-1.0}.txt \
  "$root/licenses/" 2>/dev/null || true
parts=(blake2 double-conversion easing freetype harfbuzz-ng icc libpng md4c md5 pcre2 rfc6234 sha1
       sha3 tinycbor zlib)
# Qt Network carries the Public Suffix List, with libpsl's reader of it, and MD4.
if [ -n "${shipped[Qt6Network.dll]:-}" ]; then
  parts+=(libpsl md4)
  for file in "$qt_source/src/network/kernel"/{qt_attribution.json,PSL-LICENSE.txt}; do
    cp "$file" "$root/licenses/qt-third-party/publicsuffix-$(basename "$file")"
  done
fi
for part in "${parts[@]}"; do
  for file in "$qt_source/src/3rdparty/$part"/{qt_attribution.json,LICENSE*,COPYING*,*LICENSE*.txt,docs/FTL.TXT,src/LICENSE*}; do
    [ -f "$file" ] && cp "$file" "$root/licenses/qt-third-party/$part-$(basename "$file")"
  done
done
# libqrencode is linked into the program, so its symbols tell whether it is there.
with_qrencode=false
if $triple-nm "$build/src/app/fraymark.exe" | grep ' T QRcode_encode' >/dev/null; then
  [ -f "$qrencode_source/COPYING" ] || { echo "windows-zip: no libqrencode source for its licence" >&2; exit 1; }
  cp "$qrencode_source/COPYING" "$root/licenses/libqrencode-LGPL-2.1.txt"
  with_qrencode=true
fi
for dll in "${!shipped[@]}"; do
  case ${shipped[$dll]} in "$qt"/*) continue ;; esac
  package=$(dpkg -S "${shipped[$dll]}" 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$package" ] && cp -L "/usr/share/doc/$package/copyright" "$root/licenses/$package.copyright.txt"
done

version=$(sed -n 's/^project(Fraymark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
qt_version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")/\1/p' "$qt/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake")
holds="Qt $qt_version and the MinGW-w64 runtime"
$with_qrencode && holds="Qt $qt_version, libqrencode and the MinGW-w64 runtime"
sed 's/$/\r/' >"$root/README.txt" <<README
Fraymark $version for Windows (64-bit)

Fraymark keeps the roster, fighting order and notes of a d20 combat. Unzip this
folder anywhere and start fraymark.exe; nothing is installed and nothing else is
needed. Combat files are the same on Windows and Linux, byte for byte.

The keys a game master uses most:
  F5  order the fight            F6 / Shift+F6  next / previous turn
  F8  hit or heal (a target bar) F9  a condition for some rounds
  F3 / F4  roll attack / damage  Ctrl+F5  roll initiative
  F7  the players' window        Ctrl+Z / Ctrl+Y  undo / redo
  Ctrl+S / Ctrl+L  save / load   Ctrl+Shift+L  add combatants from a file
  Ctrl+F6 / Ctrl+Shift+F6  delay / ready   F12  act now (before the current one)
  Ctrl+G  go to a row's field    Ctrl+I  type or roll the initiative still missing
Every command is also in the menus, with its key beside it.

While a fight is open, Fraymark keeps a copy of it in %LOCALAPPDATA%\\fraymark,
so that a crash or a closed window costs nothing: the next start offers it back.

Share with Players (Ctrl+F7) serves the players' view to phones on your network.
The first time, Windows Firewall asks whether fraymark.exe may accept connections:
allow it on private networks only (home or club), not public ones, or the phones
cannot reach it. To allow it later, or for a fixed port set in the panel:
Windows Security > Firewall & network protection > Allow an app through firewall,
and tick fraymark.exe under "Private". Anyone on the network who has the address
can look; Stop Sharing (or quitting) closes every connection.

The folder holds $holds, which Fraymark needs.
Their licences, and Fraymark's, are in the folder "licenses".
README

rm -f "$zip"
(cd "$stage" && zip -qr -9 "$zip" fraymark)
echo "windows: $(du -k "$zip" | cut -f1) KiB in $zip (${#shipped[@]} DLLs)"

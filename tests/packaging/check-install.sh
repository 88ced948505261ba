#!/usr/bin/env bash
# usage: check-install.sh <cmake> <build-dir> <project-version>
# Runs `cmake --install` into a scratch prefix and checks the installed
# program, desktop file, icon and AppStream metainfo, and that they name
# each other consistently.
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 <cmake> <build-dir> <project-version>" >&2
  exit 2
fi
cmake_cmd=$1
build_dir=$2
version=$3

scratch=$(mktemp -d "${TMPDIR:-/tmp}/fraymark-install.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() {
  echo "ok:   $*"
}

# Value of a key in the [Desktop Entry] group.
desktop_key() {
  sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$1"'=//p}' "$2" | head -n 1
}

if ! "$cmake_cmd" --install "$build_dir" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install $build_dir failed (is the fraymark target built?)"
  exit 1
fi

# Every installed file must land under the prefix: an absolute DESTINATION
# would write into the real system instead.
manifest=$build_dir/install_manifest.txt
if [ ! -s "$manifest" ]; then
  fail "no install manifest at $manifest"
else
  outside=$(grep -v -F "$prefix/" "$manifest" || true)
  if [ -n "$outside" ]; then
    fail "installed outside the prefix: $outside"
  else
    pass "all $(grep -c "" "$manifest") installed files are under the prefix"
  fi
fi

exe=$prefix/bin/fraymark
if [ -x "$exe" ]; then pass "bin/fraymark"; else fail "bin/fraymark missing or not executable"; fi

# The desktop file's name must be the application id the program gives Qt.
desktop=$prefix/share/applications/fraymark.desktop
if [ ! -f "$desktop" ]; then
  fail "share/applications/fraymark.desktop missing"
else
  pass "share/applications/fraymark.desktop"
  name=$(desktop_key Name "$desktop")
  exec_line=$(desktop_key Exec "$desktop")
  icon=$(desktop_key Icon "$desktop")
  categories=$(desktop_key Categories "$desktop")
  [ "$name" = "Fraymark" ] || fail "desktop Name is '$name', not 'Fraymark'"
  exec_prog=${exec_line%% *}
  if [ "$exec_prog" != "fraymark" ]; then
    fail "desktop Exec runs '$exec_prog', not the installed fraymark"
  fi
  case ";$categories" in
    *";Game;"*) ;;
    *) fail "desktop Categories '$categories' lack Game" ;;
  esac
  # Icon is a theme name: the file must be in the hicolor theme under it.
  icon_file=$prefix/share/icons/hicolor/scalable/apps/$icon.svg
  if [ -z "$icon" ]; then
    fail "desktop file has no Icon"
  elif [ ! -f "$icon_file" ]; then
    fail "icon '$icon' not installed as share/icons/hicolor/scalable/apps/$icon.svg"
  elif ! grep -q '<svg[[:space:]]' "$icon_file"; then
    fail "$icon.svg is not an SVG image"
  elif command -v xmllint >/dev/null 2>&1 && ! xmllint --noout "$icon_file"; then
    fail "$icon.svg is not well-formed XML"
  else
    pass "icon share/icons/hicolor/scalable/apps/$icon.svg"
  fi
  if command -v desktop-file-validate >/dev/null 2>&1; then
    if desktop-file-validate "$desktop"; then
      pass "desktop-file-validate"
    else
      fail "desktop-file-validate rejects fraymark.desktop"
    fi
  else
    echo "skip: desktop-file-validate not installed (desktop-file-utils)"
  fi
fi

shopt -s nullglob
metainfos=("$prefix"/share/metainfo/*.metainfo.xml)
shopt -u nullglob
if [ ${#metainfos[@]} -ne 1 ]; then
  fail "expected one share/metainfo/*.metainfo.xml, found ${#metainfos[@]}"
else
  metainfo=${metainfos[0]}
  base=$(basename "$metainfo" .metainfo.xml)
  pass "share/metainfo/$base.metainfo.xml"
  cid=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo" | head -n 1)
  launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
  binary=$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo")
  newest=$(sed -n 's:.*<release [^>]*version="\([^"]*\)".*:\1:p' "$metainfo" | head -n 1)
  [ "$cid" = "$base" ] || fail "metainfo id '$cid' differs from its file name '$base'"
  [ "$launchable" = "fraymark.desktop" ] || fail "metainfo launchable is '$launchable', not fraymark.desktop"
  [ "$binary" = "fraymark" ] || fail "metainfo provides binary '$binary', not fraymark"
  [ "$newest" = "$version" ] || fail "newest metainfo release is '$newest', the project is $version"
  if command -v appstreamcli >/dev/null 2>&1; then
    if appstreamcli validate --no-net "$metainfo"; then
      pass "appstreamcli validate"
    else
      fail "appstreamcli validate rejects $base.metainfo.xml"
    fi
  else
    echo "skip: appstreamcli not installed (appstream)"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures install layout check(s) failed"
  exit 1
fi
echo "install layout is complete"

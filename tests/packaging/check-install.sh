#!/usr/bin/env bash
# usage: check-install.sh <cmake> <build-dir> <project-version>
# Runs `cmake --install` into a scratch prefix and checks the installed
# program, desktop file, icon and AppStream metainfo, and that they name
# each other consistently; the manual page, the copyright and the changelogs,
# compressed and named as Debian expects.
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

# A game's program goes to games/, as Debian's /usr/games.
exe=$prefix/games/fraymark
if [ -x "$exe" ]; then pass "games/fraymark"; else fail "games/fraymark missing or not executable"; fi
[ -e "$prefix/bin/fraymark" ] && fail "bin/fraymark installed besides games/fraymark"

# The desktop file is named after the AppStream id (the metainfo checks below
# tie the two together) and starts the installed program.
app_id=io.github.fraymark.Fraymark
desktop=$prefix/share/applications/$app_id.desktop
if [ ! -f "$desktop" ]; then
  fail "share/applications/$app_id.desktop missing"
else
  pass "share/applications/$app_id.desktop"
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
      fail "desktop-file-validate rejects $app_id.desktop"
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
  [ "$launchable" = "$cid.desktop" ] || fail "metainfo launchable is '$launchable', not $cid.desktop"
  [ "$launchable" = "$(basename "$desktop")" ] || fail "metainfo launchable '$launchable' is not the installed desktop file"
  [ "$binary" = "fraymark" ] || fail "metainfo provides binary '$binary', not fraymark"
  [ "$newest" = "$version" ] || fail "newest metainfo release is '$newest', the project is $version"
  # Debian 12's appstreamcli accepts what Debian 13's rejects (no homepage, the
  # old developer_name), so the form both need is checked here, the same on each.
  homepage=$(sed -n 's:.*<url type="homepage">\(.*\)</url>.*:\1:p' "$metainfo" | head -n 1)
  owner=$(echo "$cid" | sed -n 's/^io\.github\.\([^.]*\)\..*/\1/p')
  case $homepage in
    "https://github.com/$owner/"?* | "https://$owner.github.io"*)
      pass "metainfo homepage $homepage belongs to the id $cid" ;;
    *) fail "metainfo homepage '$homepage' is not under https://github.com/$owner/ as the id $cid says" ;;
  esac
  if grep -q '<developer_name>' "$metainfo"; then
    fail "metainfo uses the deprecated developer_name; use <developer id=...><name>"
  elif ! grep -q '<developer id="[^"]\{1,\}">' "$metainfo" ||
       ! sed -n '/<developer /,/<\/developer>/p' "$metainfo" | grep -q '<name>[^<]\{1,\}</name>'; then
    fail "metainfo lacks <developer id=...> with a <name>"
  else
    pass "metainfo developer with an id and a name"
  fi
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

# gzip -9n leaves no file name and a zero time stamp in the header, so that
# the package builds the same twice (lintian: package-contains-timestamped-gzip).
check_gzip() { # <file> <what>
  local header
  if [ ! -f "$1" ]; then
    fail "$2 missing"
    return 1
  fi
  if ! gzip -t "$1" 2>/dev/null; then
    fail "$2 is not gzip data"
    return 1
  fi
  header=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
  case $header in
    1f8b080[01]00000000) pass "$2" ;; # flags: at most FTEXT; no FNAME; MTIME 0
    *) fail "$2 carries a file name or time stamp (header $header); compress with gzip -9n" ;;
  esac
}

# The manual page of a game is in section 6 and names this release.
man_page=$prefix/share/man/man6/fraymark.6.gz
if check_gzip "$man_page" "share/man/man6/fraymark.6.gz"; then
  th=$(gzip -dc "$man_page" | grep -m1 '^\.TH ')
  case $th in
    '.TH FRAYMARK 6 '*"\"Fraymark $version\""*) pass "manual page header: $th" ;;
    *) fail "manual page header '$th' is not section 6 of Fraymark $version" ;;
  esac
fi

doc=$prefix/share/doc/fraymark
copyright=$doc/copyright
if [ ! -f "$copyright" ]; then
  fail "share/doc/fraymark/copyright missing"
else
  if head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'; then
    pass "share/doc/fraymark/copyright in the machine-readable format"
  else
    fail "share/doc/fraymark/copyright lacks the copyright-format 1.0 Format line"
  fi
  # Its licence text is LICENSE's, in the format's indented form.
  license=$(cd "$(dirname "$0")/../.." && pwd)/LICENSE
  expected=$(sed -n '/^Permission is hereby granted/,$p' "$license")
  actual=$(sed -n '/^License: Expat$/,$p' "$copyright" | sed -n '/^ Permission is hereby granted/,/^[^ ]/p' |
    sed -n 's/^ \.$//p; t; s/^ //p')
  if [ -n "$expected" ] && [ "$expected" = "$actual" ]; then
    pass "copyright carries the licence text of LICENSE"
  else
    fail "the licence text in share/doc/fraymark/copyright differs from LICENSE"
  fi
fi

# The upstream changelog starts with this release; the Debian one with its
# first packaging.
if check_gzip "$doc/changelog.gz" "share/doc/fraymark/changelog.gz"; then
  newest=$(gzip -dc "$doc/changelog.gz" | sed -n 's/^## \([^ ]*\).*/\1/p' | head -n 1)
  [ "$newest" = "$version" ] || fail "newest entry of changelog.gz is '$newest', the project is $version"
fi
if check_gzip "$doc/changelog.Debian.gz" "share/doc/fraymark/changelog.Debian.gz"; then
  first=$(gzip -dc "$doc/changelog.Debian.gz" | head -n 1)
  case $first in
    "fraymark ($version-"[0-9]*") "*) pass "changelog.Debian.gz: $first" ;;
    *) fail "changelog.Debian.gz starts '$first', not fraymark ($version-N)" ;;
  esac
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures install layout check(s) failed"
  exit 1
fi
echo "install layout is complete"

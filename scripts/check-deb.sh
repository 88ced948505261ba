#!/usr/bin/env bash
# usage: scripts/check-deb.sh [--keep] [build-dir]
#
# Builds the Debian package from a configured build directory (default:
# build), checks it with lintian (any error or warning fails), installs it
# with apt-get, checks the installed /usr/games/fraymark with hardening-check,
# starts it on a private Xvfb display, waits for its main window, closes it
# through File > Exit and removes the package again (unless --keep is given or
# the package was installed before). Needs root; installs lintian and
# devscripts when they are missing. Exits non-zero on any failure.
set -uo pipefail

keep=0
build_dir=build
for arg in "$@"; do
  case $arg in
    --keep) keep=1 ;;
    -h|--help) sed -n '2,11s/^# \{0,1\}//p' "$0"; exit 0 ;;
    -*) echo "check-deb: unknown option $arg" >&2; exit 2 ;;
    *) build_dir=$arg ;;
  esac
done

# Every wait below is bounded by one of these (seconds).
XVFB_START_TIMEOUT=15
WINDOW_TIMEOUT=60
MENU_TIMEOUT=10
EXIT_TIMEOUT=15
XDOTOOL_TIMEOUT=10

log() { echo "check-deb: $*"; }
die() {
  echo "check-deb: FAILED: $*" >&2
  exit 1
}

scratch=
xvfb_pid=
app_pid=
installed_by_us=0

cleanup() {
  local rc=$?
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null
    sleep 1
    kill -9 "$app_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  # On failure, leave the system as it was found.
  if [ "$rc" -ne 0 ] && [ "$installed_by_us" -eq 1 ] && [ "$keep" -eq 0 ]; then
    log "removing the package after the failure"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq fraymark >/dev/null 2>&1
  fi
  if [ -n "$scratch" ]; then
    rm -rf "$scratch"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

package_installed() {
  dpkg-query -W -f='${Status}' fraymark 2>/dev/null | grep -q 'install ok installed'
}

# Number of mapped windows that belong to the running program.
app_windows() {
  timeout "$XDOTOOL_TIMEOUT" xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l
}

app_log_tail() {
  if [ -s "$scratch/fraymark.log" ]; then
    echo "--- output of fraymark ---" >&2
    tail -n 20 "$scratch/fraymark.log" >&2
  fi
}

# --- preconditions -----------------------------------------------------------
[ "$(id -u)" -eq 0 ] || die "must run as root (it installs and removes the package with apt-get)"

bash "$(dirname "$0")/setup.sh" --packaging || die "could not install the packages the check needs"
missing=()
for cmd in cmake cpack dpkg-deb dpkg-query apt-get Xvfb xdotool timeout lintian hardening-check; do
  command -v "$cmd" >/dev/null 2>&1 || missing+=("$cmd")
done
[ ${#missing[@]} -eq 0 ] ||
  die "missing commands: ${missing[*]} (Debian packages: cmake dpkg-dev apt xvfb xdotool coreutils lintian devscripts)"
command -v dpkg-shlibdeps >/dev/null 2>&1 ||
  log "dpkg-shlibdeps not found (dpkg-dev): the package lists its dependencies by hand"

[ -f "$build_dir/CPackConfig.cmake" ] ||
  die "$build_dir has no CPackConfig.cmake; configure it first: cmake -S . -B $build_dir"
build_dir=$(cd "$build_dir" && pwd)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/fraymark-deb.XXXXXX") || die "cannot make a scratch directory"
# apt-get reads the local .deb as its unprivileged _apt user.
chmod 755 "$scratch"

# --- build the package -------------------------------------------------------
log "building fraymark in $build_dir"
cmake --build "$build_dir" --target fraymark fraymark_docs -j "$(nproc 2>/dev/null || echo 2)" >"$scratch/build.log" 2>&1 ||
  { tail -n 30 "$scratch/build.log" >&2; die "building the fraymark target failed"; }
grep -q '^CMAKE_BUILD_TYPE:STRING=\(Release\|RelWithDebInfo\)$' "$build_dir/CMakeCache.txt" ||
  die "$build_dir is not a Release or RelWithDebInfo build: the package would not be hardened"

log "running cpack -G DEB"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { tail -n 30 "$scratch/cpack.log" >&2; die "cpack -G DEB failed"; }

shopt -s nullglob
debs=("$scratch"/out/fraymark_*.deb)
shopt -u nullglob
[ ${#debs[@]} -eq 1 ] || die "expected one fraymark_*.deb from cpack, found ${#debs[@]}"
deb=${debs[0]}
chmod 644 "$deb"
chmod 755 "$scratch/out"

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
log "package $(basename "$deb")"
log "Section: $(dpkg-deb -f "$deb" Section)"
log "Depends: $depends"
log "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || die "the package is not in section games"
case ", $(dpkg-deb -f "$deb" Recommends)," in
  *", qt6-wayland,"*) ;;
  *) die "the package does not recommend qt6-wayland" ;;
esac
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqrencode4; do
  case ", $depends" in
    *", $lib "*|*", $lib,"*|*", $lib") ;;
    *) die "Depends does not name $lib" ;;
  esac
done
dpkg-deb -c "$deb" >"$scratch/contents" || die "dpkg-deb cannot list $(basename "$deb")"
for path in ./usr/games/fraymark ./usr/share/applications/io.github.fraymark.Fraymark.desktop \
            ./usr/share/icons/hicolor/scalable/apps/fraymark.svg \
            ./usr/share/metainfo/io.github.fraymark.Fraymark.metainfo.xml \
            ./usr/share/man/man6/fraymark.6.gz ./usr/share/doc/fraymark/copyright \
            ./usr/share/doc/fraymark/changelog.gz ./usr/share/doc/fraymark/changelog.Debian.gz; do
  grep -q " $path\$" "$scratch/contents" || die "the package lacks $path"
done

# --- lintian -----------------------------------------------------------------
# Informational tags are shown too; only errors and warnings fail the check.
log "lintian $(lintian --version | sed 's/^Lintian v//')"
lintian --display-info --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1
lintian_rc=$?
sed 's/^/  /' "$scratch/lintian.log"
if [ "$lintian_rc" -ne 0 ] || grep -q '^[EW]: ' "$scratch/lintian.log"; then
  die "lintian reports errors or warnings (exit $lintian_rc)"
fi
log "lintian: no error, no warning"

# --- install -----------------------------------------------------------------
was_installed=0
package_installed && was_installed=1

log "installing with apt-get"
(cd "$scratch/out" && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$(basename "$deb")") \
  >"$scratch/apt.log" 2>&1 ||
  { tail -n 30 "$scratch/apt.log" >&2; die "apt-get install of $(basename "$deb") failed"; }
[ "$was_installed" -eq 1 ] || installed_by_us=1

package_installed || die "dpkg does not list fraymark as installed"
installed_version=$(dpkg-query -W -f='${Version}' fraymark)
[ "$installed_version" = "$version" ] ||
  die "installed version is $installed_version, the package is $version"
[ -x /usr/games/fraymark ] || die "/usr/games/fraymark is missing after the install"

# --- hardening -----------------------------------------------------------------
# PIE, stack protector, RELRO and immediate binding must show in the installed
# program. Three more are checked where they can be seen:
# - fortify: hardening-check looks for __*_chk calls, which the compiler emits
#   only where a buffer's size is known at compile time; Fraymark's remaining
#   memcpy/memmove calls (from the C++ library's containers) have none, so it
#   reports "only unprotected functions". Every compile must carry the flag.
# - control flow: the linker marks a program IBT/SHSTK only when every object
#   is marked, the C library's start files included; Debian 12 builds glibc
#   without CET, so no program linked there is marked. Our objects must be.
# - stack clash: probes appear only in frames over a page, which Fraymark
#   does not have; hardening-check then says "unknown".
hardening-check /usr/games/fraymark >"$scratch/hardening.log" 2>&1
sed 's/^/  /' "$scratch/hardening.log"
hardening-check --nofortify --nocfprotection /usr/games/fraymark >/dev/null 2>&1 ||
  die "hardening-check finds PIE, stack protector, RELRO or immediate binding missing in /usr/games/fraymark"

unfortified=$(awk '/"command":/ { fortified = /-D_FORTIFY_SOURCE=2/ && /-O[123s]/ }
                   /"file":/ && /\/src\// && !fortified { print }' "$build_dir/compile_commands.json")
[ -z "$unfortified" ] || die "compiled without -O and -D_FORTIFY_SOURCE=2: $unfortified"
log "every compile of src/ has -D_FORTIFY_SOURCE=2 with optimisation"

if ! grep -q 'Control flow integrity: yes' "$scratch/hardening.log"; then
  start_file=$(c++ -print-file-name=Scrt1.o)
  readelf -n "$start_file" | grep -q 'x86 feature: IBT, SHSTK' &&
    die "the C library's $start_file is CET-marked, but /usr/games/fraymark is not"
  unmarked=0
  objects=0
  while IFS= read -r object; do
    objects=$((objects + 1))
    readelf -n "$object" | grep -q 'x86 feature: IBT, SHSTK' || { log "not CET-marked: $object"; unmarked=$((unmarked + 1)); }
  done < <(find "$build_dir/src" -name '*.o')
  [ "$objects" -gt 0 ] && [ "$unmarked" -eq 0 ] ||
    die "$unmarked of the $objects objects of src/ lack -fcf-protection's IBT/SHSTK marking"
  log "all $objects objects of src/ are CET-marked; $start_file of Debian's glibc is not, so the program cannot be"
fi

# --- start the installed program ---------------------------------------------
# Xvfb picks a free display itself and writes its number once it accepts clients.
: >"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
  3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for ((i = 0; i < XVFB_START_TIMEOUT * 10; i++)); do
  display=$(tr -dc '0-9' <"$scratch/display")
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$display" ] || { cat "$scratch/xvfb.log" >&2; die "Xvfb did not start within ${XVFB_START_TIMEOUT}s"; }
export DISPLAY=:$display
log "Xvfb on display $DISPLAY"

mkdir -m 700 "$scratch/runtime"
XDG_RUNTIME_DIR=$scratch/runtime QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8 \
  /usr/games/fraymark >"$scratch/fraymark.log" 2>&1 &
app_pid=$!

window=
for ((i = 0; i < WINDOW_TIMEOUT * 10; i++)); do
  window=$(timeout "$XDOTOOL_TIMEOUT" xdotool search --onlyvisible --name '^Fraymark v1\.9' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || { app_log_tail; die "fraymark ended before its window appeared"; }
  sleep 0.1
done
[ -n "$window" ] || { app_log_tail; die "no window titled 'Fraymark v1.9...' within ${WINDOW_TIMEOUT}s"; }
log "window up: \"$(timeout "$XDOTOOL_TIMEOUT" xdotool getwindowname "$window")\""

# --- close it as a user would: File > Exit -----------------------------------
timeout "$XDOTOOL_TIMEOUT" xdotool windowfocus --sync "$window" ||
  die "could not give the window the keyboard focus"
windows_before=$(app_windows)
timeout "$XDOTOOL_TIMEOUT" xdotool key --clearmodifiers alt+f || die "xdotool could not press Alt+F"
menu_open=0
for ((i = 0; i < MENU_TIMEOUT * 10; i++)); do
  if [ "$(app_windows)" -gt "$windows_before" ]; then
    menu_open=1
    break
  fi
  sleep 0.1
done
[ "$menu_open" -eq 1 ] || die "Alt+F did not open the File menu within ${MENU_TIMEOUT}s"
timeout "$XDOTOOL_TIMEOUT" xdotool key --clearmodifiers x || die "xdotool could not press X"

for ((i = 0; i < EXIT_TIMEOUT * 10; i++)); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && die "fraymark still runs ${EXIT_TIMEOUT}s after File > Exit"
wait "$app_pid"
app_rc=$?
app_pid=
[ "$app_rc" -eq 0 ] || { app_log_tail; die "fraymark exited with status $app_rc"; }
log "fraymark closed through File > Exit with status 0"

# --- remove it again ---------------------------------------------------------
if [ "$keep" -eq 1 ]; then
  log "keeping fraymark $version installed (--keep)"
elif [ "$was_installed" -eq 1 ]; then
  log "fraymark was installed before; leaving version $version in place"
else
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -q fraymark >"$scratch/apt.log" 2>&1 ||
    { tail -n 30 "$scratch/apt.log" >&2; die "apt-get remove fraymark failed"; }
  installed_by_us=0
  package_installed && die "fraymark is still installed after apt-get remove"
  [ -e /usr/games/fraymark ] && die "/usr/games/fraymark is still there after apt-get remove"
  log "package removed"
fi

log "OK: fraymark $version builds as a lintian-clean, hardened .deb, installs, starts and closes"

#!/usr/bin/env bash
# usage: scripts/check-chroot.sh <suite> <dir> root|user
#
# Tries the README's two commands on a bare Debian as a new user would. As
# root on a Debian machine with debootstrap: makes <dir> a bare
# `debootstrap --variant=minbase <suite>` system if it is not one yet, puts a
# clean clone of this repository's HEAD into it and runs, inside it,
#   root  ./test.sh as root (JOBS=2), ending with CTest's summary;
#   user  ./run.sh as a user "tester" with sudo (NOPASSWD) on a display of
#         Xvfb: it passes when Fraymark's window comes up.
# A run installs packages, so give each a bare system of its own (cp -a one).
# A later run in the same system checks HEAD out in the clone it left, builds
# kept, as a user pulling would. Two runs at once must use separate displays:
# chroots share the X servers' socket names, so run their test.sh one by one.
# proc, sys and dev are mounted for the run and unmounted after it.
# The mirror is $MIRROR (default http://deb.debian.org/debian).
set -euo pipefail

if [ $# -ne 3 ] || [[ $3 != root && $3 != user ]]; then
  sed -n '2,16s/^# \{0,1\}//p' "$0" >&2
  exit 2
fi
suite=$1
dir=$(realpath -m "$2")
mode=$3
mirror=${MIRROR:-http://deb.debian.org/debian}
repo=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$repo" rev-parse HEAD)

if [ "$(id -u)" -ne 0 ]; then
  echo "check-chroot: needs root (debootstrap, chroot, mount)" >&2
  exit 1
fi
if [ ! -x "$dir/usr/bin/apt-get" ]; then
  debootstrap --variant=minbase "$suite" "$dir" "$mirror"
fi
for m in proc sys dev; do
  if mountpoint -q "$dir/$m"; then
    echo "check-chroot: $dir/$m is mounted already; is another check running?" >&2
    exit 1
  fi
done

unmount() {
  umount -R "$dir/dev" 2>/dev/null || true
  umount -R "$dir/sys" 2>/dev/null || true
  umount -R "$dir/proc" 2>/dev/null || true
}
trap unmount EXIT
mount -t proc proc "$dir/proc"
# Slaves, so that nothing mounted inside reaches the machine's own /dev.
mount --rbind /sys "$dir/sys" && mount --make-rslave "$dir/sys"
mount --rbind /dev "$dir/dev" && mount --make-rslave "$dir/dev"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$dir/dev/shm"

# A bare system's environment: nothing of the caller's comes along.
in_chroot() { # <user> <home> <command...>
  local user=$1 home=$2
  shift 2
  chroot "$dir" /usr/sbin/runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games TERM=dumb JOBS=2 "$@"
}

clone_to() { # <home inside> <owner>
  local dest=$dir$1/fraymark
  if [ -d "$dest/.git" ]; then
    # A second run updates the clone as a user pulling would; its builds stay.
    git -c safe.directory='*' -C "$dest" fetch -q "$repo" HEAD
    git -c safe.directory='*' -C "$dest" checkout -q "$commit"
  else
    git clone -q --no-hardlinks "$repo" "$dest"
    git -C "$dest" checkout -q "$commit"
  fi
  chroot "$dir" chown -R "$2:" "$1/fraymark"
}

echo "check-chroot: Debian $(cat "$dir/etc/debian_version") in $dir, $mode, commit $commit"
if [ "$mode" = root ]; then
  clone_to /root root
  in_chroot root /root bash -c 'cd ~/fraymark && ./test.sh'
  exit
fi

if ! chroot "$dir" id tester >/dev/null 2>&1; then
  chroot "$dir" useradd -m -s /bin/bash tester
fi
if [ ! -x "$dir/usr/bin/sudo" ]; then
  chroot "$dir" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  chroot "$dir" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo
fi
# As an installed system has it; sudo warns about a host name it cannot find.
grep -qw "$(hostname)" "$dir/etc/hosts" 2>/dev/null || echo "127.0.1.1 $(hostname)" >>"$dir/etc/hosts"
echo 'tester ALL=(ALL) NOPASSWD: ALL' >"$dir/etc/sudoers.d/tester"
chmod 0440 "$dir/etc/sudoers.d/tester"
clone_to /home/tester tester

# X servers of every chroot (and of the machine) share the abstract socket
# names: take a display number none of them listens on.
n=99
while grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix; do n=$((n + 1)); done

# run.sh installs Xvfb itself; start it as soon as it is there, then wait for
# run.sh to become Fraymark (it execs the program) and for its window.
in_chroot tester /home/tester DISPLAY=":$n" bash -c '
  cd ~/fraymark
  ( until [ -x /usr/bin/Xvfb ]; do sleep 2; done; exec Xvfb "$DISPLAY" -nolisten tcp ) >/dev/null 2>&1 &
  xvfb=$!
  ./run.sh </dev/null &
  run=$!
  while kill -0 $run 2>/dev/null && [ "$(cat /proc/$run/comm 2>/dev/null)" != fraymark ]; do sleep 2; done
  status=1
  if ! kill -0 $run 2>/dev/null; then
    wait $run
    echo "run.sh ended (exit $?) without starting Fraymark"
  elif win=$(timeout 30 xdotool search --sync --onlyvisible --name "^Fraymark" 2>/dev/null | head -n 1) &&
       [ -n "$win" ]; then
    echo "run.sh: Fraymark is running as $(id -un): window \"$(xdotool getwindowname "$win")\""
    status=0
  else
    echo "run.sh: Fraymark started but no window came up"
  fi
  kill $run $xvfb 2>/dev/null
  wait 2>/dev/null
  exit $status
'

#!/usr/bin/env bash
# Kills in-place saves of a 4 MB combat file that has a name in each of two folders (a/ and
# b/) at random moments (kill -9), then, taking turns, does one of these before loading it
# through the real loader:
#   plain    nothing: the next load is through the name the killed save used
#   reused   both names removed and a new file written in the folder, which may be given
#            the freed inode; the new file is loaded and must hold what was written
#   saved    a whole save of another combat through the other folder's name; the load
#            through the first name must find that combat
#   written  another program writes another combat into the file (as cp over it does,
#            keeping the inode); the load must find that combat
# Then starts two saves of the file through its two names at once, in pairs: each must say
# the truth, and the file must hold one of the two combats whole.
# Counts torn loads, wrong put-backs and leftovers, which should all be 0. Journals live in
# the state folder the script gives ($XDG_STATE_HOME). Run by hand, never by CTest.
# Usage: scripts/kill-save-loop.sh [kills=200] [pairs=300] [build dir=build] [parent folder=/tmp]
set -euo pipefail
kills=${1:-200}
pairs=${2:-300}
build=${3:-build}
tool=$build/bench/files/save_kill
[[ -x $tool ]] || { echo "build the save_kill target first: cmake --build $build --target save_kill" >&2; exit 2; }
dir=$(mktemp -d "${4:-/tmp}/fraymark-kill.XXXXXX")
trap 'rm -rf "$dir"' EXIT
export XDG_STATE_HOME=$dir/state
mkdir -p "$dir/a" "$dir/b"
a=$dir/a/combat.ini b=$dir/b/combat.ini

twoNames() {
    "$tool" once "$a" A >/dev/null
    ln -f "$a" "$b"
}
journals() { find "$XDG_STATE_HOME/fraymark" -maxdepth 1 -name 'journal-*' 2>/dev/null | wc -l; }

twoNames
torn=0 wrong=0 putBack=0 setAside=0 leftovers=0 cutWrites=0 reusedInodes=0 orphaned=0
declare -A count=()
cases=(plain reused saved written)
for ((i = 1; i <= kills; i++)); do
    case=${cases[i % 4]}
    count[$case]=$((${count[$case]:-0} + 1))
    "$tool" save "$a" & pid=$!
    if (((i / 4) % 2)); then
        # Into the write itself, which lasts a few ms: as soon as a journal appears (looked
        # for without starting a process), or a moment after.
        for ((t = 0; t < 200000; t++)); do compgen -G "$XDG_STATE_HOME/fraymark/journal-*" >/dev/null && break; done
        for ((t = RANDOM % 3000; t > 0; t--)); do :; done
    else
        # 0 to 0.6 s: past the start-up, into the journal, the writing and the clearing.
        sleep "0.$(printf '%03d' $((RANDOM % 600)))"
    fi
    kill -9 "$pid"; wait "$pid" 2>/dev/null || true
    [[ $(journals) -gt 0 ]] && cutWrites=$((cutWrites + 1))
    loaded=$a expected=
    case $case in
    reused)
        inode=$(stat -c %i "$a")
        rm -f "$a" "$b"
        loaded=$dir/a/copy.ini expected=C
        "$tool" write "$loaded" C
        [[ $(stat -c %i "$loaded") == "$inode" ]] && reusedInodes=$((reusedInodes + 1))
        ;;
    saved)
        expected=C
        [[ $("$tool" once "$b" C) == ok ]] || { echo "kill $i: the whole save through b/ failed" >&2; exit 1; }
        ;;
    written)
        expected=C
        "$tool" write "$a" C
        ;;
    esac
    read -r which back aside beside left < <("$tool" check "$loaded")
    [[ $which == torn ]] && torn=$((torn + 1))
    if [[ -n $expected && $which != "$expected" ]]; then
        wrong=$((wrong + 1))
        echo "kill $i ($case): loaded $which, expected ${expected:-A or B}"
    fi
    putBack=$((putBack + back)) setAside=$((setAside + aside))
    leftovers=$((leftovers + beside))
    # A journal of a file removed for good stays: nothing can tell its file any more.
    if [[ $case == reused ]]; then
        orphaned=$((orphaned + left))
        rm -f "$XDG_STATE_HOME"/fraymark/journal-*
        mv "$loaded" "$a" && ln -f "$a" "$b"
    else
        leftovers=$((leftovers + left))
    fi
done
echo "kills: $kills (plain ${count[plain]:-0}, reused ${count[reused]:-0}, saved ${count[saved]:-0}," \
     "written ${count[written]:-0}); kills that cut a write: $cutWrites; freed inodes given to the new file:" \
     "$reusedInodes; torn loads: $torn; wrong put-backs: $wrong; put back: $putBack; set aside: $setAside;" \
     "leftovers: $leftovers; journals of removed files: $orphaned"

twoNames
pairTorn=0 untrue=0 busy=0
for ((j = 1; j <= pairs; j++)); do
    "$tool" once "$a" C >/dev/null
    "$tool" once "$a" A >"$dir/said-a" & first=$!
    "$tool" once "$b" B >"$dir/said-b" & second=$!
    wait "$first" || true
    wait "$second" || true
    saidA=$(cat "$dir/said-a") saidB=$(cat "$dir/said-b")
    read -r which back aside beside left < <("$tool" check "$a")
    for said in "$saidA" "$saidB"; do
        [[ $said == ok ]] && continue
        if [[ $said == *"another save of this file is still under way"* ]]; then
            busy=$((busy + 1))
        else
            untrue=$((untrue + 1)); echo "pair $j: $said"
        fi
    done
    case $which in
    A) [[ $saidA == ok ]] || { untrue=$((untrue + 1)); echo "pair $j: A is in the file, its save said: $saidA"; } ;;
    B) [[ $saidB == ok ]] || { untrue=$((untrue + 1)); echo "pair $j: B is in the file, its save said: $saidB"; } ;;
    C) [[ $saidA != ok && $saidB != ok ]] || { untrue=$((untrue + 1)); echo "pair $j: a save said ok, the file is as before"; } ;;
    *) pairTorn=$((pairTorn + 1)); echo "pair $j: the file holds $which" ;;
    esac
    leftovers=$((leftovers + beside + left))
done
echo "pairs: $pairs; torn: $pairTorn; untrue results: $untrue; busy (nothing written, told so): $busy;" \
     "leftovers in all: $leftovers"

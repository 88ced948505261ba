#!/usr/bin/env bash
# The players' page end to end: the built program in a private X server shares a loaded
# fight, and a headless Chromium opens the address Copy Address put on the clipboard. The
# page names the shown combatants in order with their health words, never the hidden one
# nor a hit point number, and follows Next Turn within two seconds; a wrong token is
# refused, an unknown path is not found, and Stop Sharing closes the port.
#
#   players_page.sh <path to the fraymark binary> <folder for players-phone.png>
#
# Exit codes: 0 passed, 1 failed, 77 skipped (Xvfb, xdotool, xclip, curl, chromium or
# chromedriver not installed).
set -u -o pipefail

readonly app_bin=${1:?usage: players_page.sh <path to fraymark> <folder for the screenshot>}
readonly shot_dir=${2:?usage: players_page.sh <path to fraymark> <folder for the screenshot>}

for tool in Xvfb xdotool xclip curl chromium chromedriver; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

readonly here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly rows=19 share_title='Share with Players' max_delay=2000
if [[ ! -x $app_bin ]]; then
    echo "FAIL: no program at $app_bin"
    exit 1
fi
mkdir -p -- "$shot_dir" || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/fraymark-page.XXXXXX") || exit 1
readonly work
step='setting up'
xvfb_pid=''
app_pid=''
source "$here/xserver.sh"
source "$here/browser.sh"

cleanup() {
    local pid
    browser_stop
    for pid in $app_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

fail() {
    echo "FAIL during step '$step': $*"
    [[ -n $browser_error ]] && echo "Browser: $browser_error"
    if [[ -n ${DISPLAY:-} ]]; then
        echo "Keyboard focus: $(xdotool getwindowfocus getwindowname 2>&1)"
        echo "Windows shown: $(xdotool search --onlyvisible --name . 2>/dev/null |
            while read -r id; do printf '"%s" ' "$(xdotool getwindowname "$id")"; done)"
    fi
    if [[ -s $work/app.log ]]; then
        echo '--- program output ---'
        cat -- "$work/app.log"
    fi
    exit 1
}

# wait_for <what> <seconds> <command...>: polls the command until it succeeds; the
# program's death ends the wait at once.
wait_for() {
    local what=$1 limit=$2
    local deadline=$(($(browser_now_ms) + limit * 1000))
    shift 2
    until "$@"; do
        if [[ -n $app_pid ]] && ! kill -0 "$app_pid" 2>/dev/null; then
            fail "the program ended while waiting for $what"
        fi
        (($(browser_now_ms) < deadline)) || fail "no $what within $limit s"
        sleep 0.05
    done
}

title_re() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[].[^$*+?(){}|\\]/\\&/g')"; }
window_of() { xdotool search --onlyvisible --name "$(title_re "$1")" 2>/dev/null | head -n 1; }
window_shown() { [[ -n $(window_of "$1") ]]; }
window_gone() { [[ -z $(window_of "$1") ]]; }
has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
# No window manager hands the focus on: it is given, then checked.
focus_window() { # <id> <what>
    xdotool windowfocus "$1" 2>/dev/null
    wait_for "keyboard focus on $2" 5 has_focus "$1"
}

# --- The fight: six combatants, Shade hidden from the players, the goblin at a quarter of
# its hit points. Hit points and initiatives are numbers no other text on the page holds.
combat_row() { # <row> <name> <hp> <ini> <note>
    printf '[Info%d]\r\nName=%s\r\nHP=%s\r\nAC=%s\r\nIni=%s\r\nNote=%s\r\n' "$1" "$2" "$3" "${2:+15}" "$4" "$5"
    printf '%s=\r\n' Will Fort Rex Attack Damage
    printf 'Check=1\r\nGeneralNote=Ford\r\n'
}
fight=('Aldric|31/31|19|[PC]' 'Sela|24/28|17|[PC]' 'Borin|47|15|[PC]' 'Goblin|3/12|13|'
       'Wolf|13|9|prowls' 'Shade|22|6|[Hidden] waits in the reeds')
for ((r = 0; r < rows; r++)); do
    IFS='|' read -r name hp ini note <<<"${fight[r]:-}"
    combat_row "$r" "$name" "$hp" "$ini" "$note"
done >"$work/fight.ini"
readonly order_shown=$'current|Aldric · Unhurt\n|Sela · Hurt\n|Borin · Unhurt\n|Goblin · Bloodied\n|Wolf · Unhurt'

# --- The program ------------------------------------------------------------------
step='starting Xvfb'
start_xvfb "$work" || { cat -- "$work/xvfb.log"; fail 'Xvfb could not be started'; }

step='starting the program'
mkdir -p -- "$work/config" "$work/state" "$work/data"
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION \
    -u QT_SCALE_FACTOR XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" \
    QT_QPA_PLATFORM=xcb "$app_bin" >"$work/app.log" 2>&1 &
app_pid=$!
main_shown() { [[ -n $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null) ]]; }
wait_for 'the main window' 20 main_shown
main_win=$(xdotool search --onlyvisible --pid "$app_pid" | head -n 1)
focus_window "$main_win" 'the main window'

step='loading the fight'
xdotool key ctrl+l
wait_for 'dialog "Load Combat"' 10 window_shown 'Load Combat'
focus_window "$(window_of 'Load Combat')" 'dialog "Load Combat"'
xdotool key ctrl+a
xdotool type --delay 5 -- "$work/fight.ini"
xdotool key Return
wait_for 'the load dialog to close' 10 window_gone 'Load Combat'

step='round 1'
focus_window "$main_win" 'the main window'
xdotool key --delay 50 F5 F6

# --- Sharing ----------------------------------------------------------------------
step='opening Share with Players'
xdotool key ctrl+F7
wait_for "window \"$share_title\"" 10 window_shown "$share_title"
share_win=$(window_of "$share_title")
focus_window "$share_win" "window \"$share_title\""
# The server may still be starting at the first press: pressed until an address comes.
address_copied() {
    xdotool key alt+c
    sleep 0.1
    address=$(xclip -o -selection clipboard 2>/dev/null)
    [[ $address =~ ^http://([0-9]+\.){3}[0-9]+:[0-9]+/[^/]+/$ ]]
}
wait_for 'an address on the clipboard' 10 address_copied
echo "Address: $address"
token=${address%/}
token=${token##*/}
origin=${address%"$token/"}
# A guess one letter off the token, as long as it.
wrong=${token:0:-1}$([[ ${token: -1} == x ]] && echo y || echo x)

step='opening the page'
browser_start "$work" || fail 'no browser session'
browser_open "$address" || fail "the page at $address did not open"
browser_wait_text turn '^Round 1 — Aldric$' 5000 >/dev/null || fail 'the page shows no first turn'
page_list() { # each item as "<class>|<text>", one a line
    browser_string_of 'Array.prototype.map.call(document.querySelectorAll("#order > li"),
        function (li) { return li.className + "|" + li.innerText; }).join("\n")'
}
list=$(page_list) || fail 'the page has no order'
[[ $list == "$order_shown" ]] || fail $'the order reads\n'"$list"$'\nnot\n'"$order_shown"
next=$(browser_text next) || fail 'the page has no next line'
[[ $next == 'Next: Sela' ]] || fail "the next line reads \"$next\""
text=$(browser_text) || fail 'the page has no text'
html=$(browser_html) || fail 'the page has no markup'
[[ $text$html == *Shade* || $text$html == *reeds* ]] && fail 'the page names the hidden Shade'
# The round is the one number the players see.
[[ ${text//Round 1/} == *[0-9]* ]] && fail $'a number other than the round shows:\n'"$text"
[[ $(browser_string_of 'document.title') == 'Fraymark — Players' ]] || fail 'the page has another title'
# Nor does the message behind it, which any player can read off the socket.
read_socket='var done = arguments[0], ws = new WebSocket(location.href.replace(/^http/, "ws") + "ws");
    ws.onmessage = function (e) { ws.close(); done(btoa(unescape(encodeURIComponent(e.data)))); };
    ws.onerror = function () { done(""); };'
browser_call POST "/session/$browser_session/execute/async" "{\"args\":[],\"script\":$(browser_json_string "$read_socket")}" ||
    fail 'no second socket'
message=$(browser_value | base64 -d)
[[ $message == *Aldric* ]] || fail "the socket said \"$message\""
[[ $message == *Shade* || $message == *reeds* ]] && fail "the socket names the hidden Shade: $message"
numbers=${message//Round 1/}
numbers=${numbers/'"v":1'/}
[[ $numbers == *[0-9]* ]] && fail "the socket carries a number besides the version and the round: $message"

step='following Next Turn'
for expected in Sela Borin; do
    focus_window "$main_win" 'the main window'
    start=$(browser_now_ms)
    xdotool key --window "$main_win" F6
    delay=$(browser_wait_text turn "^Round 1 — $expected\$" 10000 "$start") ||
        fail "the page did not show the turn of $expected"
    echo "page updated in $delay ms"
    ((delay <= max_delay)) || fail "the page took $delay ms to show the turn of $expected, more than $max_delay"
done
list=$(page_list) || fail 'the page has no order'
[[ $list == *$'\ncurrent|Borin · Unhurt\n'* ]] || fail $'the order does not mark Borin:\n'"$list"

step='the picture'
browser_screenshot "$shot_dir/players-phone.png" || fail 'no picture of the page'

step='what the server refuses'
status_of() { curl -s --noproxy '*' --max-time 5 -o /dev/null -w '%{http_code}' "$1"; }
code=$(status_of "$origin$wrong/")
[[ $code == 403 ]] || fail "a wrong token got $code, not 403"
code=$(status_of "$address""nothing-here")
[[ $code == 404 ]] || fail "an unknown path under the token got $code, not 404"
for served in '' icon.svg; do
    code=$(status_of "$address$served")
    [[ $code == 200 ]] || fail "${served:-the page} got $code"
done

step='stopping the sharing'
focus_window "$share_win" "window \"$share_title\""
xdotool key alt+s
refused() {
    curl -s --noproxy '*' --max-time 2 -o /dev/null "$address"
    (($? == 7))
}
wait_for 'the port to close' 5 refused
# The page is told, and shows no fight any more.
browser_wait_text waiting 'stopped sharing' 5000 >/dev/null || fail "the page was not told: $browser_error"
[[ -z $(browser_text turn) ]] || fail 'the page still shows a turn after sharing stopped'
browser_stop

echo "PASS: the page at $address showed round 1 in order, hid Shade and every hit point, followed two turns, refused a wrong token and closed with Stop Sharing, which the page said; picture in $shot_dir/players-phone.png"

# Sourced by the end-to-end scripts: a headless Chromium driven through chromedriver's
# WebDriver HTTP API, with curl alone. Texts come back from the browser base64-encoded,
# so no JSON string ever has to be unescaped here.
#
#   browser_start <work folder>       chromedriver on a free port, one headless session
#                                     at phone size (390×844) with a private profile
#   browser_open <url>                navigates and waits for the page to load
#   browser_text [<id>]               document.body.innerText, or the element's innerText
#   browser_html                      the document's markup as it is now
#   browser_wait_text <id> <regex> <timeout ms> [<start ms>]
#                                     polls the element's text until it matches (bash
#                                     extended regex); prints the ms since <start ms>
#                                     (default: the call) and fails on the timeout
#   browser_screenshot <png file>     the viewport as a PNG
#   browser_stop                      ends the session and chromedriver
#
# Failures return 1 with the reason in browser_error. browser_driver_pid holds
# chromedriver's pid for a clean-up trap; browser_stop is safe to call twice.

browser_driver_pid=''
browser_driver_url=''
browser_session=''
browser_folder=''
browser_error=''
browser_reply=''

browser_now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# The text as a JSON string, quotes included.
browser_json_string() {
    local s=$1
    s=${s//\\/\\\\}
    s=${s//\"/\\\"}
    s=${s//$'\n'/\\n}
    s=${s//$'\r'/\\r}
    s=${s//$'\t'/\\t}
    printf '"%s"' "$s"
}

# browser_call <method> <path> [<json body>]: the reply in browser_reply; fails when the
# driver cannot be reached or answers with an error.
browser_call() {
    local method=$1 path=$2 body=${3:-}
    local args=(-sS --noproxy '*' --max-time 30 -X "$method" -H 'Content-Type: application/json; charset=utf-8')
    [[ -n $body ]] && args+=(--data-binary "$body")
    if ! browser_reply=$(curl "${args[@]}" "$browser_driver_url$path" 2>&1); then
        browser_error="chromedriver did not answer $method $path: $browser_reply"
        return 1
    fi
    if [[ $browser_reply == *'"error":'* ]]; then
        browser_error="chromedriver refused $method $path: ${browser_reply:0:400}"
        return 1
    fi
}

# The string value of the reply ({"value":"..."}), for values without escapes (base64).
browser_value() {
    local v=${browser_reply#*\"value\":\"}
    [[ $v != "$browser_reply" ]] || return 1
    printf '%s' "${v%%\"*}"
}

browser_start() {
    local folder=${1:?usage: browser_start <work folder>} binary port i
    browser_folder=$(mktemp -d "$folder/browser.XXXXXX") || { browser_error='no folder for the browser'; return 1; }
    binary=${BROWSER_BINARY:-$(command -v chromium || command -v chromium-browser)}
    [[ -n $binary ]] || { browser_error='no chromium'; return 1; }
    # Port 0: chromedriver takes a free port and says which.
    chromedriver --port=0 >"$browser_folder/chromedriver.log" 2>&1 &
    browser_driver_pid=$!
    for ((i = 0; i < 200; i++)); do
        port=$(sed -n 's/.*started successfully on port \([0-9]*\).*/\1/p' "$browser_folder/chromedriver.log" 2>/dev/null)
        [[ -n $port ]] && break
        kill -0 "$browser_driver_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [[ -z $port ]]; then
        browser_error="chromedriver did not start: $(cat -- "$browser_folder/chromedriver.log")"
        return 1
    fi
    browser_driver_url=http://127.0.0.1:$port
    local options
    options=$(printf '"--%s",' headless=new no-sandbox disable-gpu window-size=390,844 no-first-run \
        no-default-browser-check disable-extensions disable-background-networking disable-sync \
        disable-component-update no-proxy-server force-device-scale-factor=1 hide-scrollbars \
        "user-data-dir=$browser_folder/profile")
    browser_call POST /session "{\"capabilities\":{\"alwaysMatch\":{\"browserName\":\"chrome\",
        \"goog:chromeOptions\":{\"binary\":$(browser_json_string "$binary"),\"args\":[${options%,}],
        \"mobileEmulation\":{\"deviceMetrics\":{\"width\":390,\"height\":844,\"pixelRatio\":1,\"mobile\":true,\"touch\":true}}}}}}" ||
        return 1
    browser_session=$(printf '%s' "$browser_reply" | grep -o '"sessionId":"[^"]*"' | head -n 1 | cut -d'"' -f4)
    [[ -n $browser_session ]] || { browser_error="no session in: ${browser_reply:0:400}"; return 1; }
}

browser_open() {
    browser_call POST "/session/$browser_session/url" "{\"url\":$(browser_json_string "$1")}"
}

# browser_script <javascript function body>: runs it in the page; the reply in browser_reply.
browser_script() {
    browser_call POST "/session/$browser_session/execute/sync" "{\"script\":$(browser_json_string "$1"),\"args\":[]}"
}

# The result of a JavaScript expression giving a string (or null), as UTF-8 text.
browser_string_of() {
    browser_script "var t = ($1); return t === null || t === undefined ? null :
        btoa(unescape(encodeURIComponent(String(t))));" || return 1
    if [[ $browser_reply == *'"value":null'* ]]; then
        browser_error="nothing for $1"
        return 1
    fi
    browser_value | base64 -d
}

browser_text() {
    if (($# == 0)); then
        browser_string_of 'document.body.innerText'
    else
        browser_string_of "(function (e) { return e && e.innerText; })(document.getElementById($(browser_json_string "$1")))"
    fi
}

browser_html() {
    browser_string_of 'document.documentElement.outerHTML'
}

browser_wait_text() {
    local id=$1 pattern=$2 limit=$3 start=${4:-$(browser_now_ms)} text now
    while :; do
        text=$(browser_text "$id") || text=''
        now=$(browser_now_ms)
        if [[ $text =~ $pattern ]]; then
            echo $((now - start))
            return 0
        fi
        if ((now - start > limit)); then
            browser_error="#$id reads \"$text\" after $((now - start)) ms, not /$pattern/"
            return 1
        fi
        sleep 0.02
    done
}

browser_screenshot() {
    browser_call GET "/session/$browser_session/screenshot" || return 1
    browser_value | base64 -d >"$1" && [[ -s $1 ]] || { browser_error="no picture in $1"; return 1; }
}

browser_stop() {
    if [[ -n $browser_session ]]; then
        browser_call DELETE "/session/$browser_session" >/dev/null 2>&1
        browser_session=''
    fi
    if [[ -n $browser_driver_pid ]]; then
        kill "$browser_driver_pid" 2>/dev/null && wait "$browser_driver_pid" 2>/dev/null
        browser_driver_pid=''
    fi
    [[ -n $browser_folder ]] && rm -rf -- "$browser_folder"
    browser_folder=''
    return 0
}

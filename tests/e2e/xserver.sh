# Sourced by the end-to-end scripts: a private X server for one run.
# start_xvfb <work folder>: sets XDG_RUNTIME_DIR when unset, starts Xvfb on a display
# number nobody holds (it writes the number once it is ready, so a run never drives
# another run's server; chroots share the servers' socket names), and sets xvfb_pid and
# DISPLAY. Fails, leaving the server's words in <work>/xvfb.log, when none comes up.
start_xvfb() {
    local folder=$1 displayfd n
    if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
        export XDG_RUNTIME_DIR=$folder/runtime
        mkdir -m 0700 -- "$XDG_RUNTIME_DIR"
    fi
    exec {displayfd}<> <(:)
    Xvfb -displayfd "$displayfd" -nolisten tcp -noreset -screen 0 1600x1000x24 >"$folder/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r -t 20 -u "$displayfd" n || n=''
    exec {displayfd}>&-
    [[ -n $n ]] && kill -0 "$xvfb_pid" 2>/dev/null || return 1
    export DISPLAY=":$n"
}

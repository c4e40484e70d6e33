# Sourced by test.sh, bench/run.sh and the scripts in tools/: installing missing packages,
# starting a private Xvfb display and finding the vinca window on it.

# installPackages PACKAGE...: installs the Debian packages named (the caller lists the
# missing ones); without root it names them and stops.
installPackages() {
    [ $# -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "These packages are needed; install them as root: apt-get install $*" >&2
        exit 1
    fi
    echo "Installing: $*"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

# startXvfb [XVFB-ARGS...]: Xvfb on a free display number, DISPLAY exported, XVFB_PID set.
# -noreset: a server that resets when its last client leaves drops a client connecting
# just then.
startXvfb() {
    local displayFile
    displayFile=$(mktemp)
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp "$@" \
        3>"$displayFile" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$displayFile" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$displayFile")"
    rm -f "$displayFile"
}

# vincaWindow: prints the id of the mapped vinca window, waiting up to 10 s; nothing if none.
# The title is all the window carries that names it (no WM_CLASS, no _NET_WM_PID);
# tests/docs_test.cpp holds it to the program's.
vincaWindow() {
    local window=
    for _ in $(seq 1 100); do
        window=$(xdotool search --onlyvisible --name '^Tavrel. CAD. Vinca de puerto.$' \
            2>/dev/null | tail -n 1) || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    echo "$window"
}

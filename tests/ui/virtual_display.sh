# Sourced by the scripts that run the app on a virtual X display: a temporary folder and the
# processes started, removed and stopped on exit; Xvfb on a free display; a private session bus.

# Exits 77 (skipped) unless every tool named is installed.
require_tools() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is missing"
            exit 77
        fi
    done
}

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb on a display of its own, ready to draw on; exports DISPLAY.
start_display() {
    local display=":$((100 + RANDOM % 800))"
    Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
    export DISPLAY="$display"
}

# A dbus-daemon of our own, its address exported in the variable named (a session or system bus).
start_bus() {
    local pid_file="$work/bus-$1.pid"
    local address
    address="$(dbus-daemon --session --print-address --fork --print-pid=3 3>"$pid_file")"
    pids+=("$(cat "$pid_file")")
    export "$1=$address"
}

# The app's folders, inside the temporary one.
use_private_home() {
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" \
        XDG_CACHE_HOME="$work/cache"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

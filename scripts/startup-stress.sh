#!/bin/bash
# Starts the program many times on a virtual display and ends each start in
# turn: the window closed as a window manager asks, SIGTERM once the window
# shows, SIGTERM or SIGINT at a random moment of start-up; every fifth start
# begins a moment before the display itself. Prints how the
# starts ended and keeps the standard error of every unexpected end.
#   scripts/startup-stress.sh BUILD/bin/pravik [RUNS] [DISPLAY]
# Needs Xvfb and xdotool.
set -u
bin=${1:?usage: startup-stress.sh PRAVIK [RUNS] [DISPLAY]}
runs=${2:-300}
display=${3:-:57}

work=$(mktemp -d /tmp/pravik-stress-XXXXXX)
cp "$bin" "$work/pravik"
cp "$(dirname "$bin")/main.ini" "$work/main.ini"
export XDG_CACHE_HOME=$work/cache
export DISPLAY=$display
xvfb=
start_display() {
    Xvfb "$display" -screen 0 1280x800x24 >>"$work/xvfb.log" 2>&1 &
    xvfb=$!
    [ "${1:-}" = nowait ] && return 0
    for ((try = 0; try < 50; try++)); do
        [ -S "/tmp/.X11-unix/X${display#:}" ] && return 0
        sleep 0.1
    done
    echo "the virtual display $display did not start (in use?)" >&2
    exit 2
}
# Only the script itself ends the display, not the subshells that inherit the trap.
trap '[ "$BASHPID" = "$$" ] && kill $xvfb 2>/dev/null' EXIT
start_display
display_restarts=0

# Asks the window to close (WM_DELETE_WINDOW), as a window manager does.
close_window() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]
d = x.XOpenDisplay(None)
window = int(sys.argv[1])
event = ClientMessage()
event.type = 33  # ClientMessage
event.window = window
event.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
event.format = 32
event.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XSendEvent(d, window, 0, 0, ctypes.byref(event))
x.XFlush.argtypes = [ctypes.c_void_p]
x.XFlush(d)
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
x.XCloseDisplay(d)
PY
}

# Background jobs of a shell without job control ignore SIGINT.
set -m
declare -A ended
unexpected=0
for ((i = 1; i <= runs; i++)); do
    way=$((i % 5))
    # Something outside this test may end the display; that is no failure
    # of the program's.
    if ! kill -0 "$xvfb" 2>/dev/null; then
        wait "$xvfb" 2>/dev/null
        echo "run $i: the virtual display ended with status $?" >>"$work/xvfb.log"
        display_restarts=$((display_restarts + 1))
        start_display
    fi
    if [ $way = 4 ]; then
        kill "$xvfb"
        wait "$xvfb" 2>/dev/null
    fi
    started=$(date +%s.%N)
    "$work/pravik" >"$work/out" 2>"$work/err" &
    pid=$!
    if [ $way = 4 ]; then
        # The display comes up a moment after the program, as when both are
        # started together.
        sleep "0.$((RANDOM % 300))"
        start_display nowait
    fi
    expect=0
    case $way in
    0 | 1 | 4)
        # A display that resets after its last client refuses the search for
        # a moment too: look again until the window shows or 30 s pass.
        window=
        for ((look = 0; look < 600; look++)); do
            window=$(xdotool search --onlyvisible --pid "$pid" --name '^Pravik$' 2>/dev/null | head -1)
            [ -n "$window" ] || ! kill -0 "$pid" 2>/dev/null && break
            sleep 0.05
        done
        if [ -z "$window" ]; then
            kill -KILL "$pid" 2>/dev/null
            expect=none
        elif [ $way != 1 ]; then
            close_window "$window"
        else
            kill -TERM "$pid"; expect=143
        fi ;;
    2) sleep "0.$((RANDOM % 400))"; kill -TERM "$pid" 2>/dev/null; expect=143 ;;
    3) sleep "0.$((RANDOM % 400))"; kill -INT "$pid" 2>/dev/null; expect=130 ;;
    esac
    ( sleep 30; kill -KILL "$pid" 2>/dev/null ) &
    watchdog=$!
    wait "$pid"
    status=$?
    kill "$watchdog" 2>/dev/null
    wait "$watchdog" 2>/dev/null
    # A start ended by a signal before the program could see it is fine too.
    key="way$way:$status"
    ended[$key]=$(( ${ended[$key]:-0} + 1 ))
    if [ "$status" != "$expect" ] && ! { [ $way -ge 2 ] && [ "$status" = 0 ]; }; then
        unexpected=$((unexpected + 1))
        took=$(echo "$(date +%s.%N) - $started" | bc)
        cp "$work/err" "$work/unexpected-$i-way$way-status$status-${took}s.err"
    fi
done

echo "ways: 0 window closed, 1 SIGTERM after the window showed, 2 SIGTERM during start-up, 3 SIGINT during start-up, 4 started just before the display, window closed"
for key in "${!ended[@]}"; do echo "$key ${ended[$key]}"; done | sort
echo "unexpected ends: $unexpected (standard error kept in $work)"
echo "virtual display restarted: $display_restarts"
ls "$work"/cache/pravik 2>/dev/null && echo "crash log: $work/cache/pravik/crash.log"
[ "$unexpected" = 0 ]

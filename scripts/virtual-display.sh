# Sourced by the scripts that drive the program's windows.

# Starts a virtual X display of its own (the first free number from 99),
# exports DISPLAY and sets `xvfb` to its process id, for the caller to end.
start_virtual_display() {
  local display=99
  while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
}

# Prints the id of a visible window whose title matches the pattern, once
# there is one; fails after half a minute.
window_named() {
  local id
  for _ in $(seq 60); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)" && [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.5
  done
  echo "no window \"$1\"" >&2
  return 1
}

#!/usr/bin/env bash
# Starts or stops the Wine that runs a Windows build's tests:
#   wine-session.sh start BUILD_DIR   makes the private prefix BUILD_DIR/wine-prefix
#                                     and keeps Wine running for the tests
#   wine-session.sh stop BUILD_DIR    ends every Wine process of that prefix
# Wine's processes get /dev/null for all their standard streams, so none of
# them holds a pipe that ctest waits on.
set -euo pipefail
action="$1"
build="$(cd "$2" && pwd)"
export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY

# Ends Wine as a whole, then any process of this prefix that was still
# starting while Wine ended and so was not attached to it (seen with a
# device host during the first boot of a prefix).
end_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid="${environ#/proc/}"; pid="${pid%/environ}"
    [[ "$pid" != "$$" && "$(readlink "/proc/$pid/exe" 2>/dev/null)" == /usr/lib/wine/* ]] || continue
    if tr '\0' '\n' <"$environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      kill "$pid" 2>/dev/null || true
    fi
  done
}

case "$action" in
start)
  mkdir -p "$WINEPREFIX"
  # The boot that makes or updates a prefix leaves two service managers
  # running in Wine 8.0; neither can then start RpcSs, and every activation
  # of a local COM server hangs. So make the prefix, end that Wine, and start
  # it again on the finished prefix, with RpcSs up before the first test.
  wine wineboot -i </dev/null >/dev/null 2>&1
  end_wine
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
  wine net start RpcSs </dev/null >/dev/null 2>&1 || true
  # A printer for the runs that need a current printer: Wine takes the
  # machine's printers from CUPS, and a test machine may have none. The
  # spooler lists the printers of this key; the default is "Device".
  printer='Pravik Test Printer'
  key="HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$printer"
  {
    wine reg add "$key" /v Name /d "$printer" /f
    wine reg add "$key" /v Port /d 'FILE:' /f
    wine reg add "$key" /v 'Printer Driver' /d 'Wine PostScript Driver' /f
    wine reg add "$key" /v Attributes /t REG_DWORD /d 64 /f
    wine reg add 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device \
      /d "$printer,winspool,FILE:" /f
    # Where SetDefaultPrinterW looks the name up, as Word's ActivePrinter uses it.
    wine reg add 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices' /v "$printer" \
      /d 'winspool,FILE:' /f
  } </dev/null >/dev/null 2>&1
  keeper="$build/bin/wine_keeper.exe"
  if [[ -f "$keeper" ]]; then
    # In its own session: it must outlive the shell that started it. A
    # prefix just made may not take a window yet; try again until it stays.
    for attempt in 1 2 3 4 5; do
      setsid -f wine "$keeper" </dev/null >/dev/null 2>&1
      sleep 2
      pgrep -f "$keeper" >/dev/null && break
    done
  fi
  ;;
stop)
  end_wine
  ;;
*)
  echo "usage: $0 start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac

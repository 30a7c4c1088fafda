#!/usr/bin/env bash
# Runs a command with one virtual X server and one Wine prefix, both stopped
# when the command ends, whatever its outcome. Output of Xvfb and the Wine
# server goes to files under the prefix's parent folder, never the terminal.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=${VANDREL_WINE_ROOT:-$here/../build/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# A free display number, chosen by Xvfb itself.
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$root/display" >"$root/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$root/display" ] && break
  sleep 0.1
done
if [ ! -s "$root/display" ]; then
  echo "with-wine: Xvfb did not start (see $root/xvfb.log)" >&2
  kill "$xvfb_pid" 2>/dev/null
  exit 1
fi
export DISPLAY=":$(head -n1 "$root/display")"

cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$root/wineboot.log" 2>&1
fi
wineserver -p >"$root/wineserver.log" 2>&1
export VANDREL_WINE_READY=1
"$@"

#!/usr/bin/env bash
# Runs a command with one virtual X server and one Wine prefix, both stopped
# when the command ends, whatever its outcome. Output of Xvfb and the Wine
# server goes to files under the prefix's parent folder, never the terminal.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/deps.sh"
vandrel_x86_mode || exit 1
root=${VANDREL_WINE_ROOT:-$here/../build/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)

# Where 32-bit programs are not run, every Wine call goes to the 64-bit
# loader: /usr/bin/wine (and wineboot, winepath, ..., which go through
# wine-stable) would start the 32-bit one whenever wine32 is installed, and
# on a machine that cannot execute it nothing runs at all, x64 included.
if [ "$VANDREL_RUN_X86" != yes ]; then
  [ -x /usr/lib/wine/wine64 ] || { echo "with-wine: /usr/lib/wine/wine64 is missing (package wine64)" >&2; exit 1; }
  # Scripts, not links: the loader finds its own files from the name it was
  # started by, and a link named "wine" makes it look for "wine64" beside it.
  mkdir -p "$root/bin64"
  for name in wine wine64 wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$root/bin64/$name"
    chmod +x "$root/bin64/$name"
  done
  export PATH=$root/bin64:$PATH WINELOADER=/usr/lib/wine/wine64
fi
export WINEPREFIX=${WINEPREFIX:-$root/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
# Non-ASCII file names need a UTF-8 locale that the machine has.
export LC_ALL=C.UTF-8
# Wine's Recycle Bin is $XDG_DATA_HOME/Trash: one of the run's own, not the user's.
export XDG_DATA_HOME=${XDG_DATA_HOME:-$root/xdg-data}
mkdir -p "$XDG_DATA_HOME"

# A free display number, chosen by Xvfb itself (the file is emptied first so
# that a number left by an earlier run is not read before Xvfb writes its own).
rm -f "$root/display"
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

scratch=
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  if [ -n "$scratch" ]; then
    rm -f "$WINEPREFIX/dosdevices/d:" "$WINEPREFIX/dosdevices/e:" "$WINEPREFIX/dosdevices/f:"
    umount -l "$scratch.ro" 2>/dev/null
    rm -rf "$scratch" "$scratch.ro"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A prefix made before 32-bit Wine was installed cannot run the x86 build
# ("could not load kernel32.dll"): make it anew where the x86 build is run.
if [ "$VANDREL_RUN_X86" = yes ] && [ -f "$WINEPREFIX/system.reg" ] &&
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$root/wineboot.log" 2>&1
  # Creating the prefix started Wine's background processes, which read the
  # drive list once: stop them, so the drives below are seen when they start.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
fi

# Two extra drives for the tests: D: on another file system (a fresh folder
# in /dev/shm, so a move from C: is a copy and a delete) and E:, whose folder
# does not exist (a drive that is not ready). Windows programs see these
# variables too (tests/support/win/temp_files.h).
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
# The folder's name carries this script's process id; folders left by runs
# that were killed (their process is gone) are removed first.
for old in "$shm"/vandrel-d.*; do
  [ -d "$old" ] || continue
  pid=${old#"$shm"/vandrel-d.}
  pid=${pid%%.*}
  case "$pid" in '' | *[!0-9]*) continue ;; esac
  kill -0 "$pid" 2>/dev/null || { umount -l "$old" 2>/dev/null; rm -rf "$old"; }
done
scratch=$(mktemp -d "$shm/vandrel-d.$$.XXXXXX")
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$scratch" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$scratch.missing" "$WINEPREFIX/dosdevices/e:"
export VANDREL_SCRATCH_DRIVE=D: VANDREL_SCRATCH_UNIX=$scratch VANDREL_MISSING_DRIVE=E:

# Where root may mount: drive F:, a folder nobody can write (a read-only bind
# mount of D:\readonly, through which tests put files there).
mkdir -p "$scratch/readonly" "$scratch.ro"
if mount --bind "$scratch/readonly" "$scratch.ro" 2>/dev/null; then
  if mount -o remount,bind,ro "$scratch.ro" 2>/dev/null; then
    ln -sfn "$scratch.ro" "$WINEPREFIX/dosdevices/f:"
    export VANDREL_READONLY_DRIVE=F: VANDREL_READONLY_SOURCE='D:\readonly'
  else
    umount "$scratch.ro"
  fi
fi

wineserver -p >"$root/wineserver.log" 2>&1

# Two settings of the prefix, made once:
# - Xvfb has no window manager, and Wine waits up to 2 s for one each time a
#   managed window is hidden or destroyed; unmanaged windows go at once.
# - A program that crashes ends at once with its exception code as exit code
#   (tests see it) instead of waiting on winedbg: the debugger named here
#   does not exist.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
  ! grep -q '^"Debugger"="no-debugger"' "$WINEPREFIX/system.reg" 2>/dev/null; then
  cat >"$root/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="no-debugger"
"Auto"="1"
REG
  wine reg import "$(winepath -w "$root/settings.reg" 2>/dev/null)" >"$root/reg.log" 2>&1
fi


# Start Wine's own background processes now, with their output sent to a
# file: started later by a test program, they would inherit (and hold open)
# the pipe that ctest reads that program's output from.
wine cmd /c exit >"$root/start.log" 2>&1 </dev/null
export VANDREL_WINE_READY=1
"$@"

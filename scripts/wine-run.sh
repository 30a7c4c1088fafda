#!/usr/bin/env bash
# Runs a Windows program under Wine, for ctest (CMAKE_CROSSCOMPILING_EMULATOR)
# and for the demo. scripts/with-wine.sh normally provides the X server and
# the prefix; run alone, this starts a private pair and stops it afterwards.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${VANDREL_WINE_READY:-}" ]; then
  exec "$(dirname "$0")/with-wine.sh" wine "$@"
fi
exec wine "$@"

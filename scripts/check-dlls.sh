#!/usr/bin/env bash
# Checks vandrel.dll and gen_vandrel.dll of each architecture as shipped in
# dist/<arch>/ (the build's target shipped_dlls puts them there): they import
# only Windows system DLLs (the C and C++ runtimes are linked in), export
# their entry points undecorated, and carry no debugging information.
set -u
cd "$(dirname "$0")/.."

# Windows' own DLLs; anything else (libstdc++, libgcc, libwinpthread, ...)
# would have to be shipped alongside.
system_dll='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|comctl32|comdlg32|shlwapi|msvcrt|ntdll|version|uuid|uxtheme|imm32|winmm|ws2_32|rpcrt4|crypt32|bcrypt|secur32|api-ms-win-.*|ext-ms-win-.*)\.dll$'

status=0
check() {  # arch objdump dll exports...
  local arch=$1 objdump=$2 dll=$3
  shift 3
  local file=dist/$arch/$dll dump name bad=0
  if [ ! -f "$file" ]; then
    echo "$arch/$dll: missing ($file; build the $arch target shipped_dlls)" >&2
    status=1
    return
  fi
  dump=$("$objdump" -p "$file") || { echo "$arch/$dll: objdump failed" >&2; status=1; return; }
  if "$objdump" -h "$file" | grep -q '\.debug_'; then
    echo "$arch/$dll keeps its debugging information (dist/ holds the stripped DLLs)" >&2
    bad=1
  fi
  while read -r name; do
    if ! grep -qiE "$system_dll" <<<"$name"; then
      echo "$arch/$dll imports $name, which is not a Windows system DLL" >&2
      bad=1
    fi
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
  # The export name table: lines like "	[   0] DllCanUnloadNow".
  local exported
  exported=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p')
  for name in "$@"; do
    if ! grep -qx "$name" <<<"$exported"; then
      echo "$arch/$dll does not export $name undecorated (exports: $(tr '\n' ' ' <<<"$exported"))" >&2
      bad=1
    fi
  done
  if [ $bad -ne 0 ]; then
    status=1
    return
  fi
  echo "$arch/$dll: ok, imports $(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '\n' ' ')"
}

for arch in x64 x86; do
  if [ "$arch" = x64 ]; then objdump=x86_64-w64-mingw32-objdump; else objdump=i686-w64-mingw32-objdump; fi
  check "$arch" "$objdump" vandrel.dll DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow
  check "$arch" "$objdump" gen_vandrel.dll winampGetGeneralPurposePlugin winampUninstallPlugin VandrelRemoveAfterExit
done
exit $status

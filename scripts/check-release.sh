#!/usr/bin/env bash
# Checks what a Winamp user downloads from dist/: the x86 installer
# vandrel-<version>-setup.exe and the zip vandrel-<version>-x86.zip, built by
# the x86 build (cmake/installer.cmake). Both DLLs in the zip, and the setup
# itself, must report in their version resources the version that the file
# names carry; the zip's guide must have Windows line ends.
set -u
cd "$(dirname "$0")/.."

status=0
problem() {
  echo "release: $*" >&2
  status=1
}

# The version of the project, as CMake sets it.
version=$(sed -n 's/^project(vandrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
setup=dist/vandrel-$version-setup.exe
zip=dist/vandrel-$version-x86.zip
[ -f "$setup" ] || problem "$setup is missing (build the x86 target 'release'; needs makensis)"
[ -f "$zip" ] || problem "$zip is missing (build the x86 target 'release')"
for stale in dist/vandrel-*-setup.exe dist/vandrel-*-x86.zip; do
  [ -e "$stale" ] || continue
  case "$stale" in "$setup" | "$zip") ;; *) echo "release: note: $stale is from another version" >&2 ;; esac
done

# Prints "FILEVERSION a.b.c.d" and the FileVersion/ProductVersion texts of a
# PE file's version resource, decompiled by windres.
version_lines() {
  i686-w64-mingw32-windres -J coff -i "$1" -O rc 2>/dev/null |
    sed -n -e 's/^ *FILEVERSION \([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/FILEVERSION \1.\2.\3.\4/p' \
      -e 's/^ *VALUE "\(FileVersion\|ProductVersion\)", "\([^"]*\)".*/\1 \2/p'
}

check_version() {  # file
  local lines expected
  lines=$(version_lines "$1")
  expected=$(printf 'FILEVERSION %s.0\nFileVersion %s\nProductVersion %s' "$version" "$version" "$version")
  if [ "$(sort <<<"$lines")" != "$(sort <<<"$expected")" ]; then
    problem "$1: version resource says [$(tr '\n' ';' <<<"$lines")], expected $version"
  else
    echo "$1: version $version"
  fi
}

if [ -f "$zip" ]; then
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"' EXIT
  (cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip") || problem "$zip cannot be unpacked"
  folder=$unpacked/vandrel-$version-x86
  for dll in gen_vandrel.dll vandrel.dll; do
    if [ ! -f "$folder/$dll" ]; then
      problem "$zip has no vandrel-$version-x86/$dll"
    elif ! file "$folder/$dll" | grep -q 'PE32 .*Intel 80386'; then
      problem "$zip: $dll is not a 32-bit DLL"
    else
      check_version "$folder/$dll"
    fi
  done
  if [ ! -f "$folder/README.txt" ]; then
    problem "$zip has no README.txt"
  elif grep -q $'[^\r]$' "$folder/README.txt" || grep -q '@' "$folder/README.txt"; then
    problem "$zip: README.txt needs CRLF line ends and a filled-in version"
  fi
fi
[ -f "$setup" ] && check_version "$setup"
exit $status

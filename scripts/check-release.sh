#!/usr/bin/env bash
# Checks what a Winamp user downloads from dist/: the installer
# vandrel-<version>-setup.exe (built by the x86 build) and the zips
# vandrel-<version>-x86.zip and vandrel-<version>-x64.zip (one per build;
# cmake/installer.cmake). Both DLLs of each zip, and the setup itself, must
# report in their version resources the version that the file names carry,
# each zip's DLLs must be of its architecture, and its guide must have
# Windows line ends. The setup must carry both pairs exactly as dist/x86/ and
# dist/x64/ hold them (listed with 7z, package p7zip-full).
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
[ -f "$setup" ] || problem "$setup is missing (build the x86 target 'release'; needs makensis)"
for stale in dist/vandrel-*-setup.exe dist/vandrel-*-x86.zip dist/vandrel-*-x64.zip; do
  [ -e "$stale" ] || continue
  case "$stale" in "$setup" | dist/vandrel-$version-x86.zip | dist/vandrel-$version-x64.zip) ;;
  *) echo "release: note: $stale is from another version" >&2 ;;
  esac
done

# Prints "FILEVERSION a.b.c.d" and the FileVersion/ProductVersion texts of a
# PE file's version resource, decompiled by windres.
version_lines() {
  local windres=i686-w64-mingw32-windres
  file "$1" | grep -q 'PE32+' && windres=x86_64-w64-mingw32-windres
  "$windres" -J coff -i "$1" -O rc 2>/dev/null |
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

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT

check_zip() {  # arch, the `file` text of its DLLs
  local arch=$1 kind=$2 zip=dist/vandrel-$version-$1.zip folder=$unpacked/vandrel-$version-$1
  if [ ! -f "$zip" ]; then
    problem "$zip is missing (build the $arch target 'release')"
    return
  fi
  (cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip") || problem "$zip cannot be unpacked"
  for dll in gen_vandrel.dll vandrel.dll; do
    if [ ! -f "$folder/$dll" ]; then
      problem "$zip has no vandrel-$version-$arch/$dll"
    elif ! file "$folder/$dll" | grep -q "$kind"; then
      problem "$zip: $dll is not a $arch DLL"
    else
      check_version "$folder/$dll"
    fi
  done
  if [ ! -f "$folder/README.txt" ]; then
    problem "$zip has no README.txt"
  elif grep -q $'[^\r]$' "$folder/README.txt" || grep -q '@' "$folder/README.txt"; then
    problem "$zip: README.txt needs CRLF line ends and a filled-in version"
  fi
}
check_zip x86 'PE32 .*Intel 80386'
check_zip x64 'PE32+ .*x86-64'

# The setup's two pairs: unpacked side by side (7z numbers the second file of
# a name), each found byte for byte among the files it unpacked.
if [ -f "$setup" ]; then
  if ! command -v 7z >/dev/null; then
    problem "7z is missing (package p7zip-full): the setup's pairs cannot be checked"
  elif ! 7z x -y -aou -o"$unpacked/setup" "$setup" >/dev/null; then
    problem "$setup cannot be unpacked by 7z"
  else
    missing=0
    for arch in x86 x64; do
      for dll in gen_vandrel.dll vandrel.dll; do
        found=no
        while IFS= read -r -d '' candidate; do
          cmp -s "$candidate" "dist/$arch/$dll" && found=yes
        done < <(find "$unpacked/setup" -type f -print0)
        [ $found = yes ] || { problem "$setup does not carry dist/$arch/$dll"; missing=1; }
      done
    done
    [ $missing -ne 0 ] || echo "$setup: carries the x86 and the x64 pair"
  fi
fi
[ -f "$setup" ] && check_version "$setup"
exit $status

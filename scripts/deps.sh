# Sourced by test.sh and demo.sh: installs the Debian packages the build and
# the tests need, when some are missing (run as root on Debian 12).
# nsis and file: the installer build and the release check (check-release.sh).
# wine32:i386 runs the x86 build (what users install) under Wine; it needs
# Debian's i386 architecture, added below when it is missing.
vandrel_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth imagemagick nsis file)

vandrel_install_packages() {
  local missing=() p
  for p in "${vandrel_packages[@]}"; do
    dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages (${missing[*]}); run as root to install them" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 || return 1
  apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Sourced by test.sh, demo.sh and with-wine.sh: whether this machine runs
# 32-bit programs, and the Debian packages the build and the tests need,
# installed when some are missing (run as root on Debian 12).
# nsis, file and p7zip-full: the installer build and the release check (check-release.sh).
# wine32:i386 runs the x86 build (what users install) under Wine; it needs
# Debian's i386 architecture, added below when it is missing. It is left out
# where 32-bit programs are not run: there it would only break the 64-bit
# side, since /usr/bin/wine then insists on a 32-bit loader that cannot start.
vandrel_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth imagemagick nsis file p7zip-full)

# Reads VANDREL_X86_TESTS (auto, the default; require; skip) and finds out,
# once per run, whether this machine executes 32-bit programs by starting
# one: a 96-byte static 32-bit Linux program that only exits with code 42.
# Sets and exports
#   VANDREL_RUN_X86=yes|no   whether 32-bit programs (the x86 Windows tests,
#                            the setup program, 32-bit Wine) are run;
#   VANDREL_X86_REASON       why not, for the closing line.
# Returns 1 (with the reason on stderr) for a bad value, or for require on a
# machine that cannot.
vandrel_x86_mode() {
  local mode=${VANDREL_X86_TESTS:-auto}
  case "$mode" in
    auto | require | skip) ;;
    *)
      echo "VANDREL_X86_TESTS is '$mode': use auto (run the 32-bit tests where the machine can)," \
        "require (fail where it cannot) or skip (never run them)" >&2
      return 1
      ;;
  esac
  if [ -z "${VANDREL_RUNS_32BIT:-}" ]; then
    local probe_dir probe
    probe_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build
    mkdir -p "$probe_dir" && probe=$(mktemp "$probe_dir/probe32.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\273\52\0\0\0\315\200' >"$probe"
    chmod +x "$probe"
    VANDREL_RUNS_32BIT=no
    ("$probe") 2>/dev/null
    [ $? -eq 42 ] && VANDREL_RUNS_32BIT=yes
    rm -f "$probe"
    export VANDREL_RUNS_32BIT
  fi
  VANDREL_RUN_X86=yes
  VANDREL_X86_REASON=
  if [ "$VANDREL_RUNS_32BIT" != yes ]; then
    VANDREL_RUN_X86=no
    VANDREL_X86_REASON="this machine cannot run 32-bit programs"
    if [ "$mode" = require ]; then
      echo "VANDREL_X86_TESTS=require, but $VANDREL_X86_REASON (a 32-bit program failed to start)" >&2
      return 1
    fi
  elif [ "$mode" = skip ]; then
    VANDREL_RUN_X86=no
    VANDREL_X86_REASON="VANDREL_X86_TESTS=skip: 32-bit programs not run"
  fi
  export VANDREL_RUN_X86 VANDREL_X86_REASON
}

vandrel_install_packages() {
  local wanted=("${vandrel_packages[@]}") missing=() p
  [ "${VANDREL_RUN_X86:-yes}" = yes ] && wanted+=(wine32:i386)
  for p in "${wanted[@]}"; do
    dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages (${missing[*]}); run as root to install them" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ "${VANDREL_RUN_X86:-yes}" = yes ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 || return 1
  fi
  apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"
}

#!/usr/bin/env bash
# Builds everything and runs every test:
#   formatting; native unit tests (ASan/UBSan); the MinGW x64 build and its
#   tests under Wine (one X server and one Wine prefix for the whole run);
#   the MinGW x86 build and its tests under 32-bit Wine; the two shipped DLLs
#   of each architecture in dist/ checked for their imports and exports; the
#   installer and the zip checked.
# Where this machine cannot run 32-bit programs (or VANDREL_X86_TESTS=skip),
# the x86 build is still built and checked, but its tests and the setup
# program's test are not run: they are counted as skipped, with the reason.
# VANDREL_X86_TESTS=require makes such a machine fail the run instead.
# Ends with "N passed, N failed" (ctest counts, native + Windows; then
# ", M skipped (why)" when tests were skipped) and exits non-zero when
# anything failed.
set -u -o pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

failures=0
passed=0
failed=0
skipped=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Adds the counts of a ctest log ("NN% tests passed, F tests failed out of T").
count_ctest() {
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n1)
  if [ -z "$line" ]; then
    fail "ctest gave no summary ($1)"
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

vandrel_x86_mode || { echo "0 passed, 0 failed"; exit 1; }
[ "$VANDREL_RUN_X86" = yes ] || echo "== $VANDREL_X86_REASON: the x86 Windows tests and the setup program's test are skipped"
vandrel_install_packages || { echo "0 passed, 0 failed"; exit 1; }
mkdir -p build

echo "== formatting"
mapfile -t sources < <(find src tools tests wrapper bench -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
if [ ${#sources[@]} -gt 0 ]; then
  clang-format --dry-run --Werror "${sources[@]}" || fail "formatting (run clang-format -i on the files above)"
fi

# Configures build/<dir> (quietly unless it fails) and builds it. With -k 0 a
# target that fails to build does not stop the others: their tests still run
# and the missing programs count as failed tests.
configure_and_build() {  # dir, cmake args...
  local dir=$1
  shift
  if ! cmake -S . -B "build/$dir" -G Ninja "$@" >"build/$dir-configure.log" 2>&1; then
    cat "build/$dir-configure.log"
    fail "$dir configure"
    return 2
  fi
  cmake --build "build/$dir" -j2 -- -k 0 || { fail "$dir build"; return 1; }
}

echo "== native build and unit tests"
configure_and_build native
if [ $? -ne 2 ]; then
  ctest --test-dir build/native -j2 --output-on-failure 2>&1 | tee build/native-ctest.log
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "native tests"
  count_ctest build/native-ctest.log
fi

echo "== Windows x64 build"
configure_and_build x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x64.cmake -DVANDREL_TESTS=ON
x64_status=$?

# The x86 build (what users install, with its own test programs) goes on in
# the background while the x64 Windows tests, which mostly wait, run.
echo "== Windows x86 build (in the background, log in build/x86-build.log)"
# It runs in a session of its own so that an interrupted run can stop it.
setsid bash -c 'cmake -S . -B build/x86 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86.cmake \
  -DVANDREL_TESTS=ON && cmake --build build/x86 -j2 -- -k 0' >build/x86-build.log 2>&1 &
x86_pid=$!
trap '[ -n "$x86_pid" ] && kill -- -"$x86_pid" 2>/dev/null' EXIT
trap 'exit 130' INT TERM

# Windows tests run one at a time: they share the desktop, the global hotkeys
# and the "Winamp v1.x" window class. The installer test runs on x64 only:
# the setup program is the same 32-bit NSIS program for both.
installer_test='^e2e_installer_test$'
run_windows_tests() {  # arch, ctest args...
  local arch=$1
  shift
  echo "== Windows tests under Wine ($arch)"
  VANDREL_WINE_ROOT=build/wine scripts/with-wine.sh \
    ctest --test-dir "build/$arch" --output-on-failure "$@" 2>&1 | tee "build/$arch-ctest.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "Windows tests ($arch)"
  count_ctest "build/$arch-ctest.log"
}

# The tests that are not run here, counted as skipped.
count_skipped() {  # arch, ctest args...
  local arch=$1 n
  shift
  n=$(ctest --test-dir "build/$arch" -N "$@" | sed -n 's/^Total Tests: *\([0-9]*\)$/\1/p')
  skipped=$((skipped + ${n:-0}))
}

# The installer test waits for the x86 build: the setup it runs carries the
# x86 pair too (cmake/installer.cmake, target test_setup).
if [ $x64_status -ne 2 ]; then
  run_windows_tests x64 -E "$installer_test"
fi

wait $x86_pid
x86_status=$?
x86_pid=
echo "== Windows x86 build output"
tail -n 40 build/x86-build.log
[ $x86_status -eq 0 ] || fail "x86 build"
if [ $x64_status -ne 2 ]; then
  if [ "$VANDREL_RUN_X86" != yes ]; then
    count_skipped x64 -R "$installer_test"
  elif cmake --build build/x64 --target test_setup; then
    run_windows_tests x64 -R "$installer_test"
  else
    fail "x64 test_setup build"
  fi
fi
if [ -f build/x86/CTestTestfile.cmake ]; then
  if [ "$VANDREL_RUN_X86" = yes ]; then run_windows_tests x86 -E "$installer_test"; else count_skipped x86 -E "$installer_test"; fi
fi

echo "== DLLs"
scripts/check-dlls.sh || fail "DLL checks"

echo "== installer and zip"
scripts/check-release.sh || fail "installer and zip checks"

# The test budget: tests at most a third of all C++ lines (shown, not enforced).
cpp_lines() { find "$@" -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | xargs cat | wc -l; }
test_lines=$(cpp_lines tests)
all_lines=$(cpp_lines .)
echo "tests are $test_lines of $all_lines C++ lines ($((100 * test_lines / all_lines))%, budget 33%)"
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped ($VANDREL_X86_REASON)"
else
  echo "$passed passed, $failed failed"
fi
[ "$failures" -eq 0 ] && [ "$failed" -eq 0 ]

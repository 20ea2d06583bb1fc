#!/usr/bin/env bash
# Builds and tests the Windows side on a Linux machine (Debian 12 with the
# packages of scripts/install_deps.sh):
#
#  1. the 32-bit ZBDB900.dll (build-win32): its export table is compared
#     with src/api/exports.list, and it may import system DLLs only;
#  2. the 64-bit test executable with the Win32 platform layer
#     (build-win64), run under wine64 in a private wine prefix.
#
# Needs no terminal and no display. Exits non-zero when anything fails.
#
# Settings (environment):
#   ZBDB_WIN32_BUILD, ZBDB_WIN64_BUILD  build folders (default build-win32,
#                                       build-win64 in the repository)
#   ZBDB_JOBS                           parallel build jobs (default 2)
#   ZBDB_WINE_TIMEOUT                   seconds the test run may take (1800)
#   ZBDB_WINE_XVFB=1                    run the tests inside xvfb-run, for
#                                       tests that need a real X display
#   ZBDB_SCREENSHOT_DIR                 where the window tests save their
#                                       screenshots (BMP; a Windows path)
#   GTEST_FILTER                        passed on to the tests as usual
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build32=${ZBDB_WIN32_BUILD:-$root/build-win32}
build64=${ZBDB_WIN64_BUILD:-$root/build-win64}
jobs=${ZBDB_JOBS:-2}
started=$SECONDS

step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "windows_build_and_test: $*" >&2; exit 1; }

for tool in cmake i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix \
            i686-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || fail "$tool not found (see scripts/install_deps.sh)"
done

# ---- 1. The 32-bit DLL --------------------------------------------------------
step "i686: configure and build ZBDB900.dll in $build32"
mkdir -p "$build32"
cmake -S . -B "$build32" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32-posix.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DZBDB_BUILD_TESTS=OFF -DZBDB_BUILD_TOOLS=OFF -DZBDB_BUILD_BENCH=OFF \
  >"$build32/configure.log" 2>&1 || { cat "$build32/configure.log"; fail "configure failed"; }
cmake --build "$build32" -j"$jobs" --target zbdb900 beam
dll=$build32/ZBDB900.dll
[[ -f "$dll" ]] || fail "$dll was not built"
# The sample program is a console client of the DLL; it needs no more.
beam_exe=$(find "$build32" -name beam.exe -print -quit)
[[ -n "$beam_exe" ]] || fail "beam.exe was not built"

step "i686: export table"
scripts/check_exports.sh "$dll" src/api/exports.list

step "i686: imported DLLs"
# Only DLLs that every Windows has; the runtime libraries are linked in.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|shlwapi|winspool\.drv|mpr|rpcrt4|ws2_32|msvcrt|uxtheme|winmm|imm32|api-ms-win-.*)(\.dll)?$'
imports=$(i686-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ { print $3 }')
echo "$imports" | sed 's/^/  /'
bad=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
[[ -z "$bad" ]] || fail "ZBDB900.dll imports non-system DLLs: $bad"

# ---- 2. The 64-bit tests under wine --------------------------------------------
step "x86_64: configure and build the tests in $build64"
mkdir -p "$build64"
cmake -S . -B "$build64" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32-posix.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DZBDB_BUILD_TESTS=ON -DZBDB_BUILD_TOOLS=OFF -DZBDB_BUILD_BENCH=OFF \
  >"$build64/configure.log" 2>&1 || { cat "$build64/configure.log"; fail "configure failed"; }
cmake --build "$build64" -j"$jobs" --target zbdb_tests
tests_exe=$build64/tests/zbdb_tests.exe
[[ -f "$tests_exe" ]] || fail "$tests_exe was not built"
# Tests start their helper programs from the folder of the test executable.
for child in tests/children/*.cpp; do
  [[ -e "$child" ]] || continue
  name=$(basename "$child" .cpp)
  [[ -f "$build64/tests/$name.exe" ]] || fail "child program $name.exe is not next to zbdb_tests.exe"
done

# The 64-bit loader itself: where the 32-bit wine is installed too, "wine"
# starts the 32-bit loader, which cannot run this executable.
if [[ -x /usr/lib/wine/wine64 ]]; then
  wine=/usr/lib/wine/wine64
elif command -v wine64 >/dev/null; then
  wine=$(command -v wine64)
elif command -v wine >/dev/null; then
  wine=$(command -v wine)
else
  fail "wine64 not found (apt-get install wine64)"
fi
if command -v wineserver >/dev/null; then
  wineserver=$(command -v wineserver)
else
  wineserver=/usr/lib/wine/wineserver64
fi

export WINEPREFIX=$build64/wine-prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n,b"
# A fixed locale: the ANSI code page (Windows-1252) follows it.
export LC_ALL=C.UTF-8
if [[ "${ZBDB_WINE_XVFB:-0}" != 1 ]]; then
  # Without a display wine runs headless instead of opening windows.
  unset DISPLAY
fi

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  step "wine: creating the prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >"$build64/wineboot.log" 2>&1 \
    || { cat "$build64/wineboot.log"; fail "wineboot failed"; }
  "$wineserver" -w
fi
# Under Xvfb there is no window manager: wine draws the windows' frames and
# title bars itself, as the screenshots should show them.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1 || true
# The server started for that has no display: it must be gone before the
# tests start one of their own under Xvfb.
"$wineserver" -w

step "wine: running zbdb_tests.exe"
runner=()
if [[ "${ZBDB_WINE_XVFB:-0}" == 1 ]]; then
  command -v xvfb-run >/dev/null || fail "xvfb-run not found (apt-get install xvfb)"
  runner=(xvfb-run -a -s "-screen 0 1024x768x24")
fi
log=$build64/zbdb_tests.log
set +e
( cd "$build64/tests" &&
  timeout --kill-after=30 "${ZBDB_WINE_TIMEOUT:-1800}" \
    "${runner[@]}" "$wine" "$tests_exe" --gtest_color=no ) >"$log" 2>&1
rc=$?
set -e
"$wineserver" -k 2>/dev/null || true
sed -i 's/\r$//' "$log"  # the Windows runtime ends lines with CR LF

# gtest's summary: the closing block, with the names of failed tests.
awk '/^\[==========\] .* ran\./ { p = 1 } p' "$log"
if grep -q '^\[  FAILED  \]' "$log"; then
  echo "-- failures in detail:"
  # head closes the pipe early on a long log: no SIGPIPE failure for that.
  { grep -B2 -A12 -E '(: Failure$|^\[  FAILED  \] [^ ]+ \()' "$log" || true; } \
    | head -400 || true
fi
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
echo "wine: ${passed:-0} passed, ${failed:-0} failed"
if [[ $rc -eq 124 || $rc -eq 137 ]]; then
  tail -20 "$log"
  fail "the tests did not finish within ${ZBDB_WINE_TIMEOUT:-1800} s"
fi
if [[ $rc -ne 0 ]]; then
  [[ -n "$passed" || -n "$failed" ]] || tail -40 "$log"
  fail "zbdb_tests.exe exited with $rc under wine (full output: $log)"
fi
# A run that ends without gtest's summary did not run the tests at all.
[[ -n "$passed" && "$passed" -gt 0 ]] || {
  tail -40 "$log"
  fail "zbdb_tests.exe ran no test under wine (full output: $log)"
}
step "done"

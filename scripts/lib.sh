# Shared helpers for the scripts in this folder; sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

PACKAGES=(
  cmake make python3
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb x11-utils imagemagick
  googletest fonts-liberation locales nsis
)

# Installs only what is missing, so a second run costs a dpkg query.
ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    # The 32-bit saver runs under Wine's 32-bit loader, an i386 package.
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # Wine takes a program's interface language from its Unix locale; the French checks need one.
  locale -a 2>/dev/null | grep -qx 'fr_FR.utf8' || $sudo localedef -i fr_FR -c -f UTF-8 fr_FR.UTF-8
  use_wine64_if_needed
}

# A kernel built without IA-32 emulation runs no 32-bit program, and Wine's launcher would pick its
# 32-bit loader and fail on every start. Where the caller asks for it (EMULATE_I386=1, as the tests
# do) and the kernel lets root register program formats, such programs run under qemu's user-mode
# i386 emulator for the run. Otherwise the 64-bit loader is called directly, and the 32-bit saver
# and the (32-bit) installer are built and inspected but not run.
WINE_RUNS_32BIT=1
use_wine64_if_needed() {
  wine32_runs && return 0
  if [ "${EMULATE_I386:-0}" = 1 ] && register_qemu_i386 && wine32_runs; then
    echo "This kernel runs no 32-bit programs: they run under qemu's i386 emulator, registered for this run"
  else
    unregister_qemu_i386
    WINE_RUNS_32BIT=0
    echo "This kernel runs no 32-bit programs: 64-bit Wine only, the 32-bit runs are skipped"
  fi
  # Wine's launcher is itself a 32-bit program: the 64-bit ones start through the 64-bit loader.
  mkdir -p "$BUILD/wine64"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$BUILD/wine64/wine"
  chmod +x "$BUILD/wine64/wine"
  export PATH="$BUILD/wine64:$PATH"
}

wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The kernel's binfmt_misc hands 32-bit x86 programs to qemu-i386-static; what this adds (the entry,
# and the mount when there was none) unregister_qemu_i386 takes away again.
BINFMT=/proc/sys/fs/binfmt_misc
QEMU_ADDED=0
BINFMT_MOUNTED=0
register_qemu_i386() {
  [ "$(id -u)" -eq 0 ] || return 1
  if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || return 1
    BINFMT_MOUNTED=1
  fi
  [ -w "$BINFMT/register" ] && [ ! -e "$BINFMT/qemu-i386" ] || return 1
  if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'install ok installed'; then
    echo "Installing: qemu-user-static"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null
  fi
  # The i386 ELF header and its mask, as the kernel reads them; F opens the emulator once, now.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$BINFMT/register" 2>/dev/null || return 1
  QEMU_ADDED=1
}

unregister_qemu_i386() {
  if [ "$QEMU_ADDED" = 1 ] && [ -e "$BINFMT/qemu-i386" ]; then
    echo -1 >"$BINFMT/qemu-i386"
  fi
  QEMU_ADDED=0
  if [ "$BINFMT_MOUNTED" = 1 ]; then
    umount "$BINFMT" 2>/dev/null || true
  fi
  BINFMT_MOUNTED=0
}

# Two trees: build/ for 64-bit Windows with every test, build/x86 for the 32-bit product only,
# which the 64-bit tests inspect and start. Both products land in build/dist/<x64|x86>/.
build_all() {
  # A tree keeps the compiler it was first configured with: one made before the 32-bit build took the
  # win32 thread model starts afresh.
  if [ -f "$BUILD/x86/CMakeCache.txt" ] && ! grep -qs 'g++-win32"' "$BUILD"/x86/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$BUILD/x86"
  fi
  cmake -S "$ROOT" -B "$BUILD/x86" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAVER_DIST_DIR="$BUILD/dist" >/dev/null
  cmake --build "$BUILD/x86" -j"$(nproc)" --target QuorvaneSaver
  build_x64
}

# The 64-bit tree alone: every target, or only those named.
build_x64() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSAVER_X86_SCR="$BUILD/dist/x86/QuorvaneSaver.scr" \
    -DSAVER_RUN_X86="$WINE_RUNS_32BIT" >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" ${1:+--target} "$@"
}

# Quiet Wine that never stops to offer Mono or Gecko installs.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

# Starts a private Xvfb (1024x768 unless a size is given); sets DISPLAY and XVFB_PID.
start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

# A fresh prefix, booted with its output kept away from any caller's pipe.
init_prefix() {
  export WINEPREFIX="$1"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
}

# Brings up the prefix's server and system services under a quiet program of ours (in the test
# programs' folder given): the services inherit the first Wine process's output, and a caller's pipe
# would otherwise stay open until the whole run ends.
keep_prefix_up() {
  wine "$1/prefix_keeper.exe" </dev/null >/dev/null 2>&1 &
  wait_for_prefix_process services.exe
}

# Waits (up to 30 s) until a process of this prefix runs the named program.
wait_for_prefix_process() {
  local p
  for _ in $(seq 1 300); do
    for p in $(pgrep -f "$1" 2>/dev/null); do
      tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null && return 0
    done
    sleep 0.1
  done
  return 0
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}

# Shared helpers for the scripts in this folder; sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

PACKAGES=(
  cmake make python3
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb x11-utils imagemagick
  googletest fonts-liberation locales nsis wixl msitools procps osslsigncode openssl
)

# Installs only what is missing, so a second run costs a dpkg query; then readies Wine.
ensure_packages() {
  install_packages "${PACKAGES[@]}"
  # Wine takes a program's interface language from its Unix locale; the French checks need one.
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  locale -a 2>/dev/null | grep -qx 'fr_FR.utf8' || $sudo localedef -i fr_FR -c -f UTF-8 fr_FR.UTF-8
  use_wine64
}

# Installs the packages named that are missing, reading the package lists first when they have none of
# them (a fresh image has no lists at all).
install_packages() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing: ${missing[*]}"
  # The 32-bit saver runs under Wine's 32-bit loader, an i386 package.
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Wine's launcher is itself a 32-bit program: every Windows program here starts through the 64-bit
# loader, which runs 32-bit ones too when the kernel (or an emulator) can. WINE_RUNS_32BIT says whether
# it can; the scripts that only run 64-bit programs never change the machine to make it so.
WINE_RUNS_32BIT=1
WINE_X86_EMULATED=0
use_wine64() {
  mkdir -p "$BUILD/wine64"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$BUILD/wine64/wine"
  chmod +x "$BUILD/wine64/wine"
  export PATH="$BUILD/wine64:$PATH"
  # A registration left by a run that was killed goes now, whoever runs next.
  if [ -d "$QEMU_STATE" ]; then qemu_locked qemu_prune || true; fi
  if ! wine32_runs; then
    WINE_RUNS_32BIT=0
  elif i386_emulated; then
    WINE_X86_EMULATED=1
  fi
}

wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# True when 32-bit x86 programs go through an emulator registered with the kernel (ours or another's).
i386_emulated() {
  [ "$(head -n1 "$BINFMT/qemu-i386" 2>/dev/null)" = enabled ]
}

# For scripts/test: where the kernel runs no 32-bit programs (or EMULATE_I386=force asks for it, as an
# F-flag entry goes before the kernel's own support), 32-bit programs run under qemu's user-mode i386
# emulator for the run. Otherwise the 32-bit saver and the installer are built and inspected only.
emulate_i386_if_needed() {
  if wine32_runs && [ "${EMULATE_I386:-}" != force ]; then
    return 0
  fi
  if qemu_hold && wine32_runs; then
    WINE_RUNS_32BIT=1
    WINE_X86_EMULATED=1
    echo "32-bit programs run under qemu's i386 emulator, registered for this run"
  else
    qemu_release
    WINE_RUNS_32BIT=0
    echo "This kernel runs no 32-bit programs and no emulator could be registered: the 32-bit runs are left out"
  fi
}

# The emulator's binfmt_misc entry is machine-wide state shared by every run on the machine. Each run that
# uses the entry this project added holds it with a file named after its process in QEMU_STATE/holders;
# the last to let go removes the entry (and the binfmt_misc mount, when a run made it). A holder whose
# process is gone (killed outright, a CI time-out) no longer counts, so the next run clears what it left.
# An entry QEMU_STATE/owner does not name as ours, for this boot, is never touched.
BINFMT=/proc/sys/fs/binfmt_misc
QEMU_STATE=/run/quorvane-qemu-i386
QEMU_HELD=0

# Runs the named function under the state's lock; only root can change the registration.
qemu_locked() {
  [ "$(id -u)" -eq 0 ] || return 1
  mkdir -p "$QEMU_STATE/holders" || return 1
  local status=0
  exec 208>"$QEMU_STATE/lock"
  flock 208
  "$@" || status=$?
  exec 208>&-
  return "$status"
}

# A process's start time tells it from a later one given the same number.
process_start() {
  sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20
}

# Under the lock: drops holders whose process is gone, and the entry once nobody holds it.
qemu_prune() {
  local f
  for f in "$QEMU_STATE"/holders/*; do
    [ -e "$f" ] || continue
    [ "$(process_start "${f##*/}")" = "$(cat "$f")" ] || rm -f "$f"
  done
  # What an earlier boot registered went with it.
  [ "$(head -n1 "$QEMU_STATE/owner" 2>/dev/null)" = "$(cat /proc/sys/kernel/random/boot_id)" ] ||
    rm -f "$QEMU_STATE/owner"
  [ -e "$QEMU_STATE/owner" ] && [ -z "$(ls -A "$QEMU_STATE/holders")" ] || return 0
  if [ -e "$BINFMT/qemu-i386" ]; then echo -1 >"$BINFMT/qemu-i386"; fi
  if [ "$(sed -n 2p "$QEMU_STATE/owner")" = mounted ]; then
    umount "$BINFMT" 2>/dev/null || true
  fi
  rm -f "$QEMU_STATE/owner"
  echo "Removed the i386 emulator's registration"
}

# Under the lock: uses the entry this project added, adds it when there is none, or uses another's as it is.
qemu_add() {
  local mounted=kept
  qemu_prune
  if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || return 1
    mounted=mounted
  fi
  if [ ! -e "$BINFMT/qemu-i386" ]; then
    # The i386 ELF header and its mask, as the kernel reads them; F opens the emulator once, now.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >"$BINFMT/register" 2>/dev/null || { [ "$mounted" = mounted ] && umount "$BINFMT"; return 1; }
    printf '%s\n%s\n' "$(cat /proc/sys/kernel/random/boot_id)" "$mounted" >"$QEMU_STATE/owner"
  fi
  if [ -e "$QEMU_STATE/owner" ]; then
    process_start $$ >"$QEMU_STATE/holders/$$"
    QEMU_HELD=1
  fi
}

qemu_hold() {
  install_packages qemu-user-static || return 1
  qemu_locked qemu_add
}

# Lets go of this run's hold; the entry goes with the last holder.
qemu_release() {
  [ "$QEMU_HELD" = 1 ] || return 0
  QEMU_HELD=0
  qemu_locked qemu_drop
}

qemu_drop() {
  rm -f "$QEMU_STATE/holders/$$"
  qemu_prune
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

# A prefix copied from one booted before (and no longer running): seconds, where a boot whose 32-bit half
# runs under an emulator takes minutes. A prefix holds no path of its own folder.
copy_prefix() {
  export WINEPREFIX="$2"
  rm -rf "$WINEPREFIX"
  cp -a "$1" "$WINEPREFIX"
}

# Runs the cases of a test program named by a filter of ':'-separated patterns, each naming one case, and
# fails unless every one of them ran and passed: a pattern that selects nothing, or a case that skips
# itself, has checked nothing.
run_cases() {
  local expected output status=0
  expected=$(tr ':' '\n' <<<"$2" | grep -c .)
  output=$(mktemp)
  wine "$1" --gtest_filter="$2" </dev/null | tee "$output" || status=1
  if ! tr -d '\r' <"$output" | grep -Eqx "\[  PASSED  \] $expected tests?\." ||
    grep -q 'SKIPPED \]' "$output"; then
    echo "$(basename "$1"): not all of the $expected cases of $2 ran and passed" >&2
    status=1
  fi
  rm -f "$output"
  return "$status"
}

# True when anything but black shows in the middle of the screen (where the intro is) or, with
# "sides", beside it, where only a line can be: the intro is 290 pixels wide.
on_screen() {
  local file width side crops found=1
  file=$(mktemp --suffix=.png)
  if import -display "$DISPLAY" -window root "$file" 2>/dev/null; then
    width=$(identify -format '%w' "$file")
    side=$(((width - 290) / 2))
    crops=("290x10000+${side}+0")
    [ "${1:-}" = sides ] && crops=("${side}x10000+0+0" "${side}x10000+$((width - side))+0")
    for crop in "${crops[@]}"; do
      [ "$(convert "$file" -crop "$crop" +repage -format '%[fx:maxima]' info:)" != 0 ] && found=0
    done
  fi
  rm -f "$file"
  return "$found"
}

# Waits, up to the seconds given, for on_screen; says so, and sets MISSED, when the time runs out.
wait_on_screen() {
  local what=$1 seconds=$2
  shift 2
  for _ in $(seq 1 $((seconds * 2))); do
    on_screen "$@" && return 0
    sleep 0.5
  done
  echo "No $what on screen after $seconds s: the picture shows what there was." >&2
  MISSED=1
}
MISSED=0

# Brings up the prefix's server and system services under a quiet program of ours (in the test
# programs' folder given): the services inherit the first Wine process's output, and a caller's pipe
# would otherwise stay open until the whole run ends.
keep_prefix_up() {
  wine "$1/prefix_keeper.exe" </dev/null >/dev/null 2>&1 &
  wait_for_prefix_process services.exe
}

# Waits (up to 60 s) until a process of this prefix runs the named program; says so and fails if none does.
wait_for_prefix_process() {
  local p
  for _ in $(seq 1 600); do
    for p in $(pgrep -f "$1" 2>/dev/null); do
      tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null && return 0
    done
    sleep 0.1
  done
  echo "No $1 of the prefix $WINEPREFIX ran within 60 s" >&2
  return 1
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}

# Shared helpers for the scripts in this folder; sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
# The test run's Wine prefixes: the booted template and its copies.
TEST_RUN="$BUILD/test-run"

PACKAGES=(
  cmake make python3
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb x11-utils imagemagick
  googletest fonts-liberation locales nsis wixl msitools procps osslsigncode openssl
)
# osslsigncode comes from Debian 12's own archive (2.5), which a fresh machine and CI reach; a machine that has
# the backports' 2.9 keeps it. The release checks verify offline with either.

# Installs only what is missing, so a second run costs a dpkg query; then readies Wine.
ensure_packages() {
  install_packages "${PACKAGES[@]}"
  # Wine takes a program's interface language from its Unix locale; the French checks need France's and a
  # regional one.
  local sudo="" locale
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  for locale in fr_FR fr_CA; do
    locale -a 2>/dev/null | grep -qx "$locale.utf8" || $sudo localedef -i "$locale" -c -f UTF-8 "$locale.UTF-8"
  done
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
use_wine64() {
  mkdir -p "$BUILD/wine64"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$BUILD/wine64/wine"
  chmod +x "$BUILD/wine64/wine"
  export PATH="$BUILD/wine64:$PATH"
  # A registration left by a run that was killed goes now, whoever runs next.
  if [ -d "$QEMU_STATE" ]; then qemu_locked qemu_prune || true; fi
  wine32_runs || WINE_RUNS_32BIT=0
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
# emulator for the run. Where none can be registered the run fails, unless SKIP_I386=1 leaves the 32-bit runs
# out (the 32-bit saver and the installer are then built and inspected only).
emulate_i386_if_needed() {
  # 32-bit programs may run here only through the entry another run of these scripts added: hold it as well, or
  # that run's end removes it from under this one.
  if [ -e "$QEMU_STATE/owner" ]; then qemu_locked qemu_join || true; fi
  if [ "$QEMU_HELD" = 0 ] && { [ "${EMULATE_I386:-}" = force ] || ! wine32_runs; }; then
    { install_packages qemu-user-static && qemu_locked qemu_join add; } || true
    if ! i386_emulated || ! wine32_runs; then
      qemu_release
      WINE_RUNS_32BIT=0
      if [ "${SKIP_I386:-}" != 1 ]; then
        echo "32-bit programs cannot run here (no IA-32 support, or EMULATE_I386=force) and no emulator could be" \
          "registered (that needs root and binfmt_misc): the installer and the 32-bit saver would go untested." \
          "Set SKIP_I386=1 to run without them." >&2
        exit 1
      fi
      echo "SKIP_I386=1: no emulator could be registered, so the installer and the 32-bit saver's runs are left out"
      return 0
    fi
  fi
  if i386_emulated; then
    WINE_RUNS_32BIT=1
    if [ "$QEMU_HELD" = 1 ]; then
      echo "32-bit programs run under qemu's i386 emulator, registered by these scripts and held for this run"
    else
      echo "32-bit programs run under an i386 emulator registered by someone else, used as it is"
    fi
  fi
}

# The emulator's binfmt_misc entry is machine-wide state shared by every run on the machine. Each run that
# uses the entry this project added holds it with a file named after its process in QEMU_STATE/holders;
# the last to let go removes the entry (and the binfmt_misc mount, when a run made it). A holder whose
# process is gone (killed outright, a CI time-out) no longer counts, so the next run clears what it left.
# QEMU_STATE/owner records, for this boot, whether a run mounted binfmt_misc and the entry's interpreter and
# flags as the kernel showed them once registered: an entry that no longer matches them is someone else's
# and is never touched.
BINFMT=/proc/sys/fs/binfmt_misc
QEMU_STATE=/run/quorvane-qemu-i386
QEMU_HELD=0
# The i386 ELF header and its mask, as the kernel reads them; F opens the emulator once, now.
QEMU_ENTRY=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'

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

# Fields of a process's stat line (cut's list), counted after its command name, which may hold spaces and ')'; 1 is
# its state. Nothing when the process is gone.
proc_stat() {
  sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f"$2"
}

# A process's start time tells it from a later one given the same number.
process_start() {
  proc_stat "$1" 20
}

# The registered entry's interpreter and flags, as the kernel shows them; nothing when there is none.
qemu_entry() {
  grep -E '^(interpreter|flags:) ' "$BINFMT/qemu-i386" 2>/dev/null || true
}

# True when the registered entry is the one the owner file records.
qemu_ours() {
  local entry
  entry=$(qemu_entry)
  [ -e "$QEMU_STATE/owner" ] && [ -n "$entry" ] && [ "$(tail -n +3 "$QEMU_STATE/owner")" = "$entry" ]
}

# Under the lock: drops holders whose process is gone, and the entry once nobody holds it.
qemu_prune() {
  local f start
  for f in "$QEMU_STATE"/holders/*; do
    [ -e "$f" ] || continue
    start=$(cat "$f")
    # A holder killed before it wrote its start time left it empty, as a gone process's start reads.
    [ -n "$start" ] && [ "$(process_start "${f##*/}")" = "$start" ] || rm -f "$f"
  done
  # What an earlier boot registered went with it; an entry removed or replaced since is not ours to remove.
  if [ "$(head -n1 "$QEMU_STATE/owner" 2>/dev/null)" != "$(cat /proc/sys/kernel/random/boot_id)" ] || ! qemu_ours; then
    rm -f "$QEMU_STATE/owner"
  fi
  [ -e "$QEMU_STATE/owner" ] && [ -z "$(ls -A "$QEMU_STATE/holders")" ] || return 0
  # Kept on failure, so that the next run tries again.
  if ! echo -1 2>/dev/null >"$BINFMT/qemu-i386"; then
    echo "Could not remove the i386 emulator's registration ($BINFMT/qemu-i386); the next run tries again" >&2
    return 1
  fi
  # The mount goes too when this project made it and no other entry lives in it.
  if [ "$(sed -n 2p "$QEMU_STATE/owner")" = mounted ] && [ -z "$(ls "$BINFMT" | grep -vx -e register -e status)" ]; then
    umount "$BINFMT" 2>/dev/null || true
  fi
  rm -f "$QEMU_STATE/owner"
  echo "Removed the i386 emulator's registration"
}

# Under the lock: holds the entry this project added when it is there; with "add", adds it first when there is
# no entry at all. Another's entry is used as it is, unheld.
qemu_join() {
  local mounted=kept
  qemu_prune || true
  if [ "${1:-}" = add ] && [ ! -e "$BINFMT/qemu-i386" ]; then
    if [ ! -e "$BINFMT/register" ]; then
      mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || return 1
      mounted=mounted
    fi
    if [ ! -e "$BINFMT/qemu-i386" ]; then
      if ! printf '%s' "$QEMU_ENTRY" >"$BINFMT/register" 2>/dev/null; then
        [ "$mounted" = kept ] || umount "$BINFMT"
        return 1
      fi
      { cat /proc/sys/kernel/random/boot_id; echo "$mounted"; qemu_entry; } >"$QEMU_STATE/owner"
    fi
  fi
  if qemu_ours; then
    process_start $$ >"$QEMU_STATE/holders/$$"
    QEMU_HELD=1
  fi
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

# Runs the command until it succeeds, for at most the seconds given as the clock measures them, so that a slow
# check does not stretch the bound; false when the time ran out.
wait_until() {
  local end=$((${EPOCHREALTIME/[.,]/} + $1 * 1000000))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME/[.,]/}" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Starts a private Xvfb (1024x768 unless a size is given); sets DISPLAY and XVFB_PID.
start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  if ! wait_until 10 test -s "$fdfile"; then
    echo "Xvfb gave no display number within 10 s" >&2
    return 1
  fi
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

# Xvfb runs no window manager, and Wine waits 2 s for one at each hide of a window it leaves to one: the programs
# named (without .exe) keep their windows to Wine in the prefix, written before anything runs there.
keep_windows_to_wine() {
  local program
  for program in "$@"; do
    printf '\n[Software\\\\Wine\\\\AppDefaults\\\\%s.exe\\\\X11 Driver]\n"Managed"="N"\n' "$program"
  done >>"$WINEPREFIX/user.reg"
}

# A prefix copied from one booted before (and no longer running): seconds, where a boot whose 32-bit half
# runs under an emulator takes minutes. A prefix holds no path of its own folder.
copy_prefix() {
  export WINEPREFIX="$2"
  rm -rf "$WINEPREFIX"
  cp -a "$1" "$WINEPREFIX"
}

# The same, its screen at the DPI given (its third argument): Wine reads it as the prefix's processes start, so it goes
# in before anything runs there.
copy_prefix_at_dpi() {
  copy_prefix "$1" "$2"
  printf '\n[Control Panel\\\\Desktop]\n"LogPixels"=dword:%08x\n' "$3" >>"$WINEPREFIX/user.reg"
}

# Runs the cases of a test program named by a filter of ':'-separated patterns, and fails unless every case that
# ran passed and each pattern selected one at least: a pattern that selects nothing, or a case that skips itself,
# has checked nothing, and another pattern's cases must not make up its count.
run_cases() {
  local output status=0 pattern regex patterns passed
  output=$(mktemp)
  wine "$1" --gtest_filter="$2" </dev/null | tee "$output" || status=1
  passed=$(tr -d '\r' <"$output" | grep -E '^\[       OK \] ' || true)
  IFS=: read -ra patterns <<<"$2"
  for pattern in "${patterns[@]}"; do
    # GoogleTest's wildcards, * and ?, in a name otherwise taken as it is.
    regex=$(sed -e 's/[][\.^$+(){}|]/\\&/g' -e 's/\*/.*/g' -e 's/?/./g' <<<"$pattern")
    if ! grep -Eq "^\[       OK \] $regex( |\$)" <<<"$passed"; then
      echo "$(basename "$1"): no case of $pattern ran and passed" >&2
      status=1
    fi
  done
  if grep -q 'SKIPPED \]' "$output"; then
    echo "$(basename "$1"): a case of $2 skipped itself" >&2
    status=1
  fi
  rm -f "$output"
  return "$status"
}

# True when the screen shows, with "intro", something but black in the middle (where the intro is) and only black
# beside it, as the saver's black window with its intro does; with "sides", anything but black beside the
# middle, where only a line can be. The middle is the built intro picture's width and a margin: the 96-DPI
# picture's, or the one for twice that with INTRO_PICTURE=intro-2x.
on_screen() {
  local file width side middle sides=0 found=1 intro
  intro=$(($(identify -format '%w' "$BUILD/res/art/${INTRO_PICTURE:-intro}.bmp") + 10))
  file=$(mktemp --suffix=.png)
  if import -display "$DISPLAY" -window root "$file" 2>/dev/null; then
    width=$(identify -format '%w' "$file")
    side=$(((width - intro) / 2))
    middle=$(convert "$file" -crop "${intro}x10000+${side}+0" +repage -format '%[fx:maxima]' info:)
    for crop in "${side}x10000+0+0" "${side}x10000+$((width - side))+0"; do
      [ "$(convert "$file" -crop "$crop" +repage -format '%[fx:maxima]' info:)" = 0 ] || sides=1
    done
    case $1 in
      intro) [ "$middle" != 0 ] && [ "$sides" = 0 ] && found=0 ;;
      sides) [ "$sides" = 1 ] && found=0 ;;
    esac
  fi
  rm -f "$file"
  return "$found"
}

# True while a viewable X window of the named Windows program is on the display: Wine names each window's class
# after its program.
window_shows() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | grep -iF "(\"$1\" " | awk '{print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}

# Waits, up to the seconds given, for the check (a command and its arguments) to pass or for the program SAVER_PID
# to end. Says so and sets MISSED when the time runs out; ends the script when the program ended.
wait_shown() {
  local what=$1 seconds=$2
  shift 2
  SAVER_GONE=0
  if ! wait_until "$seconds" shown_or_gone "$@"; then
    echo "No $what after $seconds s: the picture shows what there was." >&2
    MISSED=1
  elif [ "$SAVER_GONE" = 1 ]; then
    echo "The program ended before its $what showed (on a screen of your own, a mouse move or a key ends the saver)." >&2
    exit 1
  fi
}
MISSED=0

# An ended child stays a zombie, which signals still reach, until the script waits for it.
saver_gone() {
  case "$(proc_stat "$SAVER_PID" 1)" in
    '' | Z) return 0 ;;
  esac
  return 1
}

shown_or_gone() {
  "$@" && return 0
  saver_gone && SAVER_GONE=1
}

# Brings up the prefix's server and system services under a quiet program of ours (in the test
# programs' folder given): the services inherit the first Wine process's output, and a caller's pipe
# would otherwise stay open until the whole run ends.
keep_prefix_up() {
  wine "$1/prefix_keeper.exe" </dev/null >/dev/null 2>&1 &
  wait_for_prefix_process services.exe
}

# Waits (up to 120 s) until a process of this prefix runs the named program; says so and fails if none does. A
# prefix's services come up in seconds, but took over 60 s once here beside a build and other runs.
wait_for_prefix_process() {
  wait_until 120 prefix_runs "$1" && return 0
  echo "No $1 of the prefix $WINEPREFIX ran within 120 s" >&2
  return 1
}

prefix_runs() {
  local p
  for p in $(pgrep -f "$1" 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null && return 0
  done
  return 1
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}

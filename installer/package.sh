#!/usr/bin/env bash
# Packs the installer from the two release programs, and signs it when a certificate is given.
# package.sh <makensis> <script> <version> <epoch> <icon> <work folder> <dist folder> <64-bit .scr>
#            <32-bit .scr> <upgrade code> [<PKCS#12 file> [<time-stamp URL>]]   (the programs relative to the dist
#            folder)
set -euo pipefail
makensis=$1 script=$2 version=$3 epoch=$4 icon=$5 work=$6 dist=$7 x64=$8 x86=$9 upgrade=${10}
shift 10

# The installer keeps each file's time and gives it to the installed file: the copies it packs carry
# the commit's time, so the same commit packs the same bytes.
mkdir -p "$work/stage"
cp "$dist/$x64" "$work/stage/x64.scr"
cp "$dist/$x86" "$work/stage/x86.scr"
touch -d "@$epoch" "$work/stage/x64.scr" "$work/stage/x86.scr"
publish="$(cd "$(dirname "$0")/../cmake" && pwd)/publish.sh"
# The uninstaller it writes out is signed in place, with the same certificate, before it is packed.
sign=()
[ $# -gt 0 ] && sign=("-DSIGN_UNINSTALLER=bash \"$publish\" \"%1\" \"%1\" \"$1\" \"${2:-}\"")
"$makensis" -V2 -DVERSION="$version" -DUPGRADE_CODE="$upgrade" -DX64_SCR="$work/stage/x64.scr" -DX86_SCR="$work/stage/x86.scr" \
  -DICON="$icon" -DOUTFILE="$work/QuorvaneSaverSetup.exe" "${sign[@]}" "$script"
bash "$publish" "$work/QuorvaneSaverSetup.exe" "$dist/QuorvaneSaverSetup.exe" "$@"
# Same bytes are left in place, but the build must see the installer made.
touch "$dist/QuorvaneSaverSetup.exe"

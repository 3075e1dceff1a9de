#!/usr/bin/env bash
# Builds the Windows Installer package of one build around its saver, and puts it in place, signed when a
# certificate is given.
# package-msi.sh <wxs> <x64|x86> <package version> <saver's file version> <epoch> <upgrade code> <icon>
#                <work folder> <saver> <package> [<PKCS#12 file> [<time-stamp URL>]]
set -euo pipefail
wxs=$1 arch=$2 version=$3 file_version=$4 epoch=$5 upgrade=$6 icon=$7 work=$8 saver=$9 out=${10}
shift 10

# wixl finds the files it packs in the folder it runs in, and packs each with its time: the commit's.
mkdir -p "$work"
cd "$work"
cp "$saver" QuorvaneSaver.scr
cp "$icon" saver.ico
touch -d "@$epoch" QuorvaneSaver.scr saver.ico

# Windows Installer tells products apart by the first three fields of the version alone: one product code for
# each, so that a build differing in the fourth is refused over another rather than installed beside it. The
# package code names these exact bytes: it follows from everything packed and from how.
uuid() { python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$upgrade" "$1"; }
product=$(uuid "$arch product ${version%.*}")
inputs=$(cat QuorvaneSaver.scr saver.ico "$wxs" "$0" | sha256sum | cut -d' ' -f1)
package=$(uuid "$arch package $version $file_version $epoch $inputs $(wixl --version)")

rm -f package.msi
wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ProductCode="$product" -D UpgradeCode="$upgrade" \
  -o package.msi "$wxs"
# wixl 0.101 leaves the file's version and language empty (so Windows Installer would compare it by hash, and
# validation warns, ICE60), and gives the package a random code and the time it ran: the same commit would never
# give the same bytes. The saver's language is US English.
stamp=$(TZ=UTC date -d "@$epoch" '+%Y/%m/%d %H:%M:%S')
printf 'PropertyId\tValue\ni2\tl255\n_SummaryInformation\tPropertyId\n9\t{%s}\n12\t%s\n13\t%s\n' \
  "$package" "$stamp" "$stamp" >_SummaryInformation.idt
TZ=UTC msibuild package.msi -i _SummaryInformation.idt \
  -q "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '1033' WHERE \`File\` = 'QuorvaneSaver.scr'" \
  -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = 'QuorvaneSaver.scr'"

publish="$(cd "$(dirname "$0")/../cmake" && pwd)/publish.sh"
bash "$publish" "$work/package.msi" "$out" "$@"
# Same bytes are left in place, but the build must see the package made.
touch "$out"

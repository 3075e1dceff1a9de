#!/usr/bin/env bash
# The release files as a user gets them: the version read back from each (file properties, manifest, About
# page, the packages' tables), and the checksums file that `sha256sum -c` checks.
# files.sh <windres> <dist folder> <version a.b.c.d>
set -uo pipefail
windres=$1 dist=$2 version=$3
short=${version%.*}
status=0
fail() { echo "FAIL: $*"; status=1; }

# Decompiled resources: exact lines, so a check cannot pass on a file that has none.
expect() {
  local file=$1 text=$2
  grep -qF -- "$text" <<<"${rc[$file]}" || fail "$file: no '$text'"
}
declare -A rc
for file in x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr QuorvaneSaverSetup.exe; do
  rc[$file]=$("$windres" -i "$dist/$file" -O rc 2>&1) || fail "$file: no resources"
  expect "$file" " FILEVERSION ${version//./, }"
  expect "$file" " PRODUCTVERSION ${version//./, }"
  expect "$file" "VALUE \"FileVersion\", \"$version\""
  expect "$file" "VALUE \"ProductVersion\", \"$version\""
done
for file in x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr; do
  expect "$file" "name=\"\"Zentrix.QuorvaneSaver\"\" version=\"\"$version\"\""
  expect "$file" "CTEXT \"Version $short\", -1, 7, 40, 228, 8"
done

# The packages: the version Windows Installer compares, the saver's in the file table, and the processor the
# package asks for (a 64-bit package refuses 32-bit Windows on this alone).
for arch in x64:x64 x86:Intel; do
  msi=QuorvaneSaver-${arch%:*}.msi
  tables=$(msiinfo export "$dist/$msi" Property 2>&1; msiinfo export "$dist/$msi" File 2>&1; msiinfo suminfo "$dist/$msi" 2>&1)
  tables=${tables//$'\r'/}
  for line in "ProductVersion"$'\t'"$version" "Template: ${arch#*:};1033" "Version: 200 (c8)"; do
    grep -qxF -- "$line" <<<"$tables" || fail "$msi: no '$line'"
  done
  grep -qxE "QuorvaneSaver\.scr"$'\t'"Saver"$'\t'"QuorvaneSaver\.scr"$'\t'"[0-9]+"$'\t'"${version//./\\.}"$'\t.*' <<<"$tables" ||
    fail "$msi: the saver's version is not in the file table"
done

# The five files, each once, and each matching.
listed=$(cut -d' ' -f3- "$dist/SHA256SUMS" | sort | tr '\n' ' ')
[ "$listed" = "QuorvaneSaver-x64.msi QuorvaneSaver-x86.msi QuorvaneSaverSetup.exe x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr " ] ||
  fail "SHA256SUMS lists: $listed"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"

[ "$status" = 0 ] && echo "version $version in the five release files; SHA256SUMS holds"
exit "$status"

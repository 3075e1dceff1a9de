#!/usr/bin/env bash
# The release files as a user gets them: the version read back from each (file properties, manifest, About
# page), and the checksums file that `sha256sum -c` checks.
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

# The three files, each once, and each matching.
listed=$(cut -d' ' -f3- "$dist/SHA256SUMS" | sort | tr '\n' ' ')
[ "$listed" = "QuorvaneSaverSetup.exe x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr " ] ||
  fail "SHA256SUMS lists: $listed"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"

[ "$status" = 0 ] && echo "version $version in the three release files; SHA256SUMS holds"
exit "$status"

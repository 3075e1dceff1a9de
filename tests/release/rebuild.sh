#!/usr/bin/env bash
# Makes the release set with scripts/release from a copy of the sources in another folder, and compares it
# byte for byte with the first build's files; then makes it signed with a throwaway certificate, which the
# command's own checks verify (the installer's uninstaller included), and has the command refuse a set with
# one file left unsigned. The second build's folder is kept, so later runs rebuild only what changed.
# rebuild.sh <source folder> <first build's dist folder> <second build's folder> <SOURCE_DATE_EPOCH>
set -euo pipefail
src=$1 first=$2 out=$3
export SOURCE_DATE_EPOCH=$4
start=$SECONDS
status=0
fail() { echo "FAIL: $*"; status=1; }

# The working tree as the first build saw it, modification times kept so that only what changed rebuilds.
rm -rf "$out/src"
mkdir -p "$out/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 cp -p --parents -t "$out/src")

release() {
  RELEASE_TREES="$out" RELEASE_DIR="$out/$1" bash "$out/src/scripts/release" "${@:2}" >"$out/$1.log" 2>&1
}

unset QSS_SIGN_PKCS12 QSS_SIGN_PASSWORD QSS_SIGN_TIMESTAMP QSS_SIGN_CA
release unsigned || { tail -n 40 "$out/unsigned.log"; echo "FAIL: scripts/release, unsigned"; exit 1; }
# Every file of the set but the build record, as the first build made it.
files=$(cd "$out/unsigned" && find . -type f ! -name BUILD-RECORD.txt | sort)
[ -n "$files" ] || fail "an empty release set"
for f in $files; do
  if cmp "$first/$f" "$out/unsigned/$f"; then
    echo "same bytes: $f ($(stat -c %s "$first/$f") bytes)"
  else
    fail "$f differs from the first build's"
  fi
done
echo "second build: $((SECONDS - start)) s"
# A first build signed (QSS_SIGN_PKCS12 set for it) differs by its signatures alone.
[ "$status" = 0 ] || exit 1

# A certificate that lives for this run only, in a PKCS#12 file with a password. A self-signed certificate
# chains to no trusted root: it is its own authority for the checks.
start=$SECONDS
mkdir -p "$out/cert"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quorvane throwaway signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$out/cert/key.pem" -out "$out/cert/cert.pem" 2>/dev/null
export QSS_SIGN_PASSWORD="throwaway $RANDOM"
openssl pkcs12 -export -inkey "$out/cert/key.pem" -in "$out/cert/cert.pem" -out "$out/cert/signer.p12" \
  -passout env:QSS_SIGN_PASSWORD
export QSS_SIGN_PKCS12="$out/cert/signer.p12" QSS_SIGN_CA="$out/cert/cert.pem"
release signed || { tail -n 40 "$out/signed.log"; echo "FAIL: scripts/release, signed"; exit 1; }
grep -q '^signed: by .*CN *= *Quorvane throwaway signer' "$out/signed/BUILD-RECORD.txt" ||
  fail "the build record does not name the signer"
echo "signed and checked: $((SECONDS - start)) s"

# The signed set with the unsigned 32-bit saver in it, its checksum made to match: only the signature
# gives it away.
rm -rf "$out/mixed"
cp -r "$out/signed" "$out/mixed"
cp "$out/unsigned/x86/QuorvaneSaver.scr" "$out/mixed/x86/"
(cd "$out/mixed" && sed -i "s/^[0-9a-f]*  x86\//$(sha256sum x86/QuorvaneSaver.scr | cut -d' ' -f1)  x86\//" SHA256SUMS)
if release mixed check "$out/mixed"; then
  fail "a set with an unsigned 32-bit saver among signed files was accepted"
elif grep -q '^FAIL: x86/QuorvaneSaver.scr is not signed' "$out/mixed.log"; then
  echo "refused: a set with an unsigned 32-bit saver"
else
  cat "$out/mixed.log"
  fail "the mixed set was refused, but not for its unsigned 32-bit saver"
fi
exit "$status"

#!/usr/bin/env bash
# Puts a release file in place: publish.sh <built file> <release file> [<PKCS#12 file> [<time-stamp URL>]]
# Without a PKCS#12 file, a copy, left untouched when it already holds the same bytes. With one, a copy
# signed with osslsigncode (SHA-256), its password read from QSS_SIGN_PASSWORD through a pipe so that it
# never shows on a command line, and time-stamped (RFC 3161) only when a server is given.
set -euo pipefail
in=$1 out=$2 pkcs12=${3:-} timestamp=${4:-}

# A tree signs with what it was configured with: a certificate named only when building would sign nothing
# and say nothing.
if [ "${QSS_SIGN_PKCS12:-}" != "$pkcs12" ]; then
  echo "QSS_SIGN_PKCS12 is '${QSS_SIGN_PKCS12:-}' but this tree was configured with '$pkcs12': configure it" \
    "again with the signing variables set, or make the release with scripts/release." >&2
  exit 1
fi
if [ -z "$pkcs12" ]; then
  cmp -s "$in" "$out" || cp "$in" "$out"
  exit 0
fi
args=(sign -pkcs12 "$pkcs12" -h sha256 -n "Quorvane Screen Saver")
# osslsigncode takes an empty password file for a failure: a file without a password is read without one.
[ -n "${QSS_SIGN_PASSWORD:-}" ] && args+=(-readpass /dev/stdin)
[ -n "$timestamp" ] && args+=(-ts "$timestamp")
# Intermediate certificates the PKCS#12 file lacks (scripts/release finds them in QSS_SIGN_CA): each
# signature carries them, so that Windows can build the chain to its root.
[ -n "${QSS_SIGN_CHAIN:-}" ] && args+=(-ac "$QSS_SIGN_CHAIN")
rm -f "$out.signing"
printf '%s' "${QSS_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" -in "$in" -out "$out.signing" >/dev/null
mv "$out.signing" "$out"
echo "Signed $out"

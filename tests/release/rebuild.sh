#!/usr/bin/env bash
# Makes the release set with scripts/release from a copy of the sources in another folder, and compares it
# byte for byte with the first build's files; then makes it signed and time-stamped with throwaway
# certificates, which the command's own checks verify offline (the installer's uninstaller included), and
# has the command refuse what it must while the signed set stays as it was. The second build's folder is
# kept, so later runs rebuild only what changed.
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
  RELEASE_TREES="$out" RELEASE_DIR="${RELEASE_DIR:-$out/$1}" bash "$out/src/scripts/release" "${@:2}" >"$out/$1.log" 2>&1
}

unset QSS_SIGN_PKCS12 QSS_SIGN_PASSWORD QSS_SIGN_TIMESTAMP QSS_SIGN_CA RELEASE_DIR
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

# Certificates that live for this run only, made as a bought one is: a root, an intermediate authority and
# the signer, whose revocation list is at a loopback port where nothing listens. The PKCS#12 file holds
# the signer and the intermediate, QSS_SIGN_CA the root alone. A time-stamp authority under the same root
# (openssl ts behind a loopback HTTP server) stamps every signature.
start=$SECONDS
rm -rf "$out/cert"
mkdir -p "$out/cert"
cd "$out/cert"
dead=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cert() { # cert <name> <issuer, or self> <extensions> [<days>]
  local by=(-CA "$2.pem" -CAkey "$2.key")
  [ "$2" = self ] && by=(-signkey "$1.key")
  openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Quorvane throwaway $1" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  openssl x509 -req -in "$1.csr" "${by[@]}" -days "${4:-2}" -extfile <(echo "$3") -out "$1.pem" 2>/dev/null
}
cert root self "basicConstraints=critical,CA:TRUE"
cert intermediate root "basicConstraints=critical,CA:TRUE"
cert signer intermediate $'extendedKeyUsage=codeSigning\ncrlDistributionPoints=URI:http://127.0.0.1:'"$dead/signer.crl"
cert tsa root "extendedKeyUsage=critical,timeStamping"
cert expired self "extendedKeyUsage=codeSigning" -1
export QSS_SIGN_PASSWORD="throwaway $RANDOM"
for p12 in signer expired; do
  openssl pkcs12 -export -inkey "$p12.key" -in "$p12.pem" -certfile intermediate.pem -out "$p12.p12" \
    -passout env:QSS_SIGN_PASSWORD
done
printf '[tsa]\ndefault_tsa = a\n[a]\nserial = serial\nsigner_cert = tsa.pem\nsigner_key = tsa.key\n%s\n' \
  "signer_digest = sha256" "default_policy = 1.2.3.4" "digests = sha256" >tsa.cnf
coproc TSA { exec python3 -c '
import http.server, subprocess
class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", "/dev/stdin",
                                "-out", "/dev/stdout"], input=query, capture_output=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)
server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_port, flush=True)
server.serve_forever()' 2>/dev/null; }
tsa_pid=$TSA_PID
trap 'kill "$tsa_pid" 2>/dev/null || true' EXIT
read -r -t 30 tsa <&"${TSA[0]}" || { echo "FAIL: the time-stamp authority did not start"; exit 1; }
export QSS_SIGN_PKCS12="$out/cert/signer.p12" QSS_SIGN_CA="$out/cert/root.pem"
export QSS_SIGN_TIMESTAMP="http://127.0.0.1:$tsa"
release signed || { tail -n 40 "$out/signed.log"; echo "FAIL: scripts/release, signed"; exit 1; }
for line in "signed: by .*CN *= *Quorvane throwaway signer.*; time stamps: $QSS_SIGN_TIMESTAMP" "  libgcab-1.0-0 " \
  "  zlib1g "; do
  grep -q "^$line" "$out/signed/BUILD-RECORD.txt" || fail "the build record has no '$line'"
done
echo "signed, time-stamped and checked: $((SECONDS - start)) s"

# The signed set with the unsigned 32-bit saver in it, its checksum made to match: only the signature
# gives it away.
rm -rf "$out/mixed"
cp -r "$out/signed" "$out/mixed"
cp "$out/unsigned/x86/QuorvaneSaver.scr" "$out/mixed/x86/"
(cd "$out/mixed" && sed -i "s/^[0-9a-f]*  x86\//$(sha256sum x86/QuorvaneSaver.scr | cut -d' ' -f1)  x86\//" SHA256SUMS)

# Each must be refused for its reason, and leave the signed set as it was with no other folder beside it.
sums() { (cd "$out/signed" && find . -type f -exec sha256sum {} + | sort; echo "$out"/signed.*-*); }
before=$(sums)
for row in "QSS_SIGN_PASSWORD=wrong||$QSS_SIGN_PKCS12 cannot be read with QSS_SIGN_PASSWORD" \
  "QSS_SIGN_CA=||signing needs QSS_SIGN_CA" \
  "QSS_SIGN_PKCS12=$out/cert/expired.p12||has expired" \
  "QSS_SIGN_CA=$out/cert/expired.pem||is not vouched for by $out/cert/expired.pem: error 20" \
  "QSS_SIGN_CA=$out/cert/intermediate.pem||holds no root certificate" \
  "QSS_SIGN_TIMESTAMP=http://127.0.0.1:$dead||the build failed" \
  "RELEASE_DIR=$out/cert||$out/cert is not a release set" \
  "QSS_SIGN_CA=|$out/signed|FAIL: x64/QuorvaneSaver.scr is signed, in a set that" \
  "RELEASE_DIR=$out/signed|$out/mixed|FAIL: x86/QuorvaneSaver.scr is not signed"; do
  IFS='|' read -r setting folder reason <<<"$row"
  if (export RELEASE_DIR="$out/signed" "$setting" && release refused ${folder:+check "$folder"}); then
    fail "accepted: $setting ${folder:+(checking $folder)}"
  elif ! grep -qF -- "$reason" "$out/refused.log"; then
    cat "$out/refused.log"
    fail "refused, but not for '$reason'"
  elif [ "$(sums)" != "$before" ] || [ ! -f "$out/cert/signer.p12" ]; then
    fail "refused ($reason), but the signed set changed"
  else
    echo "refused: $reason"
  fi
done
exit "$status"

#!/usr/bin/env bash
# Builds the release files a second time, from a copy of the sources in another folder, and compares them
# byte for byte with the first build's; then signs that second build with a throwaway certificate and
# checks each signature, and that the installer carries the signed programs.
# The second build's folder is kept, so later runs rebuild only what changed.
# rebuild.sh <source folder> <first build's dist folder> <second build's folder> <SOURCE_DATE_EPOCH>
set -euo pipefail
src=$1 first=$2 out=$3
export SOURCE_DATE_EPOCH=$4
files=(x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr QuorvaneSaverSetup.exe SHA256SUMS)
start=$SECONDS

# The working tree as the first build saw it, modification times kept so that only what changed rebuilds.
rm -rf "$out/src"
mkdir -p "$out/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 cp -p --parents -t "$out/src")

build() {
  cmake -S "$out/src" -B "$out/x86" -DCMAKE_TOOLCHAIN_FILE="$out/src/cmake/mingw-w64-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAVER_DIST_DIR="$out/dist" >/dev/null
  cmake --build "$out/x86" -j"$(nproc)" --target QuorvaneSaver >/dev/null
  cmake -S "$out/src" -B "$out/x64" -DCMAKE_TOOLCHAIN_FILE="$out/src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAVER_DIST_DIR="$out/dist" \
    -DSAVER_X86_SCR="$out/dist/x86/QuorvaneSaver.scr" >/dev/null
  cmake --build "$out/x64" -j"$(nproc)" --target installer >/dev/null
}

unset QSS_SIGN_PKCS12 QSS_SIGN_PASSWORD QSS_SIGN_TIMESTAMP
build
status=0
for f in "${files[@]}"; do
  if cmp "$first/$f" "$out/dist/$f"; then
    echo "same bytes: $f ($(stat -c %s "$out/dist/$f") bytes)"
  else
    status=1
  fi
done
echo "second build: $((SECONDS - start)) s"
[ "$status" = 0 ] || { echo "FAIL: the second build differs (is the first build signed?)"; exit 1; }

# A certificate that lives for this run only: both programs and the installer get signed.
mkdir -p "$out/cert"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quorvane throwaway signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$out/cert/key.pem" -out "$out/cert/cert.pem" 2>/dev/null
export QSS_SIGN_PASSWORD="throwaway $RANDOM"
openssl pkcs12 -export -inkey "$out/cert/key.pem" -in "$out/cert/cert.pem" -out "$out/cert/signer.p12" \
  -passout env:QSS_SIGN_PASSWORD
export QSS_SIGN_PKCS12="$out/cert/signer.p12"
build
for f in "${files[@]:0:3}"; do
  osslsigncode verify -CAfile "$out/cert/cert.pem" -in "$out/dist/$f" >"$out/verify.txt" 2>&1 &&
    grep -q "Signature verification: ok" "$out/verify.txt" && echo "signed: $f" ||
    { cat "$out/verify.txt"; echo "FAIL: $f is not signed"; status=1; }
done
(cd "$out/dist" && sha256sum --quiet -c SHA256SUMS) || { echo "FAIL: SHA256SUMS misses the signed files"; status=1; }

# The installer's payload is one LZMA stream after NSIS's first header: the signed programs are in it.
python3 - "$out/dist/QuorvaneSaverSetup.exe" "$out/dist/x64/QuorvaneSaver.scr" "$out/dist/x86/QuorvaneSaver.scr" <<'EOF' || status=1
import lzma, struct, sys
setup = open(sys.argv[1], "rb").read()
head = next(o for o in range(0, len(setup), 512) if setup[o + 4:o + 20] == b"\xef\xbe\xad\xdeNullsoftInst")
data = setup[head + 28:]
props, dict_size = data[0], struct.unpack_from("<I", data, 1)[0]
lzma1 = {"id": lzma.FILTER_LZMA1, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45, "dict_size": dict_size}
payload = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[lzma1]).decompress(data[5:])
for program in sys.argv[2:]:
    carried = open(program, "rb").read() in payload
    print(("the installer carries " if carried else "FAIL: the installer lacks ") + program)
    if not carried:
        sys.exit(1)
EOF
echo "with signing: $((SECONDS - start)) s"
exit "$status"

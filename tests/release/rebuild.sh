#!/usr/bin/env bash
# Builds the release files a second time, from a copy of the sources in another folder, and compares them
# byte for byte with the first build's; then signs that second build with a throwaway certificate, as a
# user would, and checks each signature, and that the installer and the packages carry the signed programs, and
# the installer a signed uninstaller. The second build's folder is kept, so later runs rebuild only what changed.
# rebuild.sh <source folder> <first build's dist folder> <second build's folder> <SOURCE_DATE_EPOCH>
set -euo pipefail
src=$1 first=$2 out=$3
export SOURCE_DATE_EPOCH=$4
files=(x64/QuorvaneSaver.scr x86/QuorvaneSaver.scr QuorvaneSaverSetup.exe QuorvaneSaver-x64.msi QuorvaneSaver-x86.msi
  SHA256SUMS)
start=$SECONDS
status=0
fail() { echo "FAIL: $*"; status=1; }

# The working tree as the first build saw it, modification times kept so that only what changed rebuilds.
rm -rf "$out/src"
mkdir -p "$out/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  xargs -0 cp -p --parents -t "$out/src")

# The product targets alone, in the order scripts/lib.sh builds them.
build() {
  {
    cmake -S "$out/src" -B "$out/x86" -DCMAKE_TOOLCHAIN_FILE="$out/src/cmake/mingw-w64-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAVER_DIST_DIR="$out/dist" &&
      cmake --build "$out/x86" -j"$(nproc)" --target QuorvaneSaver &&
      cmake -S "$out/src" -B "$out/x64" -DCMAKE_TOOLCHAIN_FILE="$out/src/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAVER_DIST_DIR="$out/dist" \
        -DSAVER_X86_SCR="$out/dist/x86/QuorvaneSaver.scr" &&
      cmake --build "$out/x64" -j"$(nproc)" --target installer
  } >"$out/build.log" 2>&1 || { tail -n 40 "$out/build.log"; echo "FAIL: the second build $1"; exit 1; }
}

unset QSS_SIGN_PKCS12 QSS_SIGN_PASSWORD QSS_SIGN_TIMESTAMP
build unsigned
for f in "${files[@]}"; do
  if cmp "$first/$f" "$out/dist/$f"; then
    echo "same bytes: $f ($(stat -c %s "$out/dist/$f") bytes)"
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
export QSS_SIGN_PKCS12="$out/cert/signer.p12"
build signed
signed() {
  osslsigncode verify -CAfile "$out/cert/cert.pem" -in "$1" >"$out/verify.txt" 2>&1 &&
    grep -qx "Signature verification: ok" "$out/verify.txt" ||
    { cat "$out/verify.txt"; return 1; }
}
for f in "${files[@]:0:5}"; do
  signed "$out/dist/$f" && echo "signed: $f" || fail "$f is not signed"
done
(cd "$out/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS misses the signed files"

# The installer's payload is one LZMA stream after NSIS's first header: a run of blocks, each after its
# length. Whole blocks hold the signed programs; the last one, the uninstaller, is a program of its own
# only when it was signed at packing.
rm -rf "$out/carried"
mkdir -p "$out/carried"
python3 - "$out/dist/QuorvaneSaverSetup.exe" "$out/carried/Uninstall.exe" \
  "$out/dist/x64/QuorvaneSaver.scr" "$out/dist/x86/QuorvaneSaver.scr" <<'EOF' || status=1
import lzma, struct, sys
setup = open(sys.argv[1], "rb").read()
head = next(o for o in range(0, len(setup), 512) if setup[o + 4:o + 20] == b"\xef\xbe\xad\xdeNullsoftInst")
data = setup[head + 28:]
props, dict_size = data[0], struct.unpack_from("<I", data, 1)[0]
lzma1 = {"id": lzma.FILTER_LZMA1, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45, "dict_size": dict_size}
payload = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[lzma1]).decompress(data[5:])
blocks, o = [], 0
while o + 4 <= len(payload):
    size = struct.unpack_from("<I", payload, o)[0]
    blocks.append(payload[o + 4:o + 4 + size])
    o += 4 + size
open(sys.argv[2], "wb").write(blocks[-1])
status = 0
for program in sys.argv[3:]:
    carried = open(program, "rb").read() in blocks
    print(("the installer carries " if carried else "FAIL: the installer lacks ") + program)
    status |= not carried
sys.exit(status)
EOF
signed "$out/carried/Uninstall.exe" && echo "signed: the uninstaller the installer writes" ||
  fail "the installer's uninstaller is not signed"
for arch in x64 x86; do
  rm -rf "$out/carried/$arch"
  mkdir -p "$out/carried/$arch"
  msiextract -C "$out/carried/$arch" "$out/dist/QuorvaneSaver-$arch.msi" >/dev/null
  cmp -s "$out/carried/$arch/QuorvaneSaver.scr" "$out/dist/$arch/QuorvaneSaver.scr" &&
    echo "QuorvaneSaver-$arch.msi carries the signed saver" || fail "QuorvaneSaver-$arch.msi lacks the signed saver"
done
echo "signing: $((SECONDS - start)) s"
exit "$status"

# Signing in the build: the example built with <sign>, from a PKCS#12 file that keytool makes
# (its password from settings.xml, time-stamping servers tried in turn) and from a SoftHSM2
# token (its PIN from the environment), timestamped by `openssl ts` on loopback. osslsigncode
# verifies the signatures and their timestamps, the signed .exe runs under Wine reading its
# embedded configuration, and a wrong password or no timestamp fails by its message, leaving
# no executable behind.
# usage: bash tests/maven/check_signing.sh   (after tests/maven/check_maven.sh)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-signing.XXXXXX")
tsa_pid=
trap '[ -z "$tsa_pid" ] || kill "$tsa_pid"; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
version=$(sed -n 's/^project(tarn VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
[ -f "$source_dir/build/maven/m2/dev/tarn/tarn-maven-plugin/$version/tarn-maven-plugin-$version.jar" ] ||
  fail "install the plugin first (scripts/maven-plugin)"
[ -f "$source_dir/build/windows/tests/testvm/testvm.dll" ] || fail "build the windows preset first"
cd "$work"

# The signer's key and self-signed code-signing certificate; the time-stamping authority's.
keytool -genkeypair -alias greeter -keyalg RSA -keysize 2048 -dname "CN=Greeter Test" -ext EKU=codeSigning \
  -validity 7 -storetype PKCS12 -keystore signer.p12 -storepass store-secret 2>/dev/null
keytool -exportcert -rfc -alias greeter -keystore signer.p12 -storepass store-secret >signer.pem
openssl req -x509 -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.pem -days 7 -subj "/CN=Greeter TSA" \
  -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
printf '[tsa]\ndefault_tsa=t\n[t]\nserial=%s/serial\nsigner_digest=sha256\ndefault_policy=1.2.3.4\ndigests=sha256\n' \
  "$work" >ts.cnf
echo 01 >serial
# The time-stamping server: each RFC 3161 request answered by openssl ts.
python3 -u - >tsa.port <<'PYTHON' &
import http.server, subprocess
class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "ts.cnf", "-queryfile", "/dev/stdin",
                                "-signer", "tsa.pem", "-inkey", "tsa.key", "-out", "/dev/stdout"],
                               input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1])
server.serve_forever()
PYTHON
tsa_pid=$!
for _ in $(seq 50); do [ -s tsa.port ] && break; sleep 0.1; done
tsa=http://127.0.0.1:$(cat tsa.port)/
# The same key in a SoftHSM2 token, with its certificate.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir tokens
echo "directories.tokendir = $work/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label greeter --pin 2468 --so-pin 1357 >/dev/null
openssl pkcs12 -in signer.p12 -passin pass:store-secret -nocerts -nodes 2>/dev/null | openssl pkcs8 -topk8 -nocrypt -out key.pem
softhsm2-util --import key.pem --token greeter --label greeter --id 01 --pin 2468 >/dev/null
openssl x509 -in signer.pem -outform DER -out signer.der
pkcs11-tool --module /usr/lib/softhsm/libsofthsm2.so --token-label greeter --login --pin 2468 \
  --write-object signer.der --type cert --id 01 --label greeter >/dev/null
printf 'name = SoftHSM\nlibrary = /usr/lib/softhsm/libsofthsm2.so\nslotListIndex = 0\n' >token.cfg

sed 's|<profiles>|<servers><server><id>greeter-signing</id><password>store-secret</password></server></servers>&|' \
  "$source_dir/build/maven/settings.xml" >settings.xml
cp -r "$source_dir/examples/maven" app
cd app
cp pom.xml pom.unsigned
# build <sign block> <mvn arguments...>: the example with that <sign>, its log in build.log.
build() {
  SIGN=$1 awk '{ print } /<copyright>/ { print ENVIRON["SIGN"] }' pom.unsigned >pom.xml
  shift
  mvn -B -q -s "$work/settings.xml" "$@" >"$work/build.log" 2>&1
}
# verify <exe>: signed by the test's key and timestamped by its server.
verify() {
  osslsigncode verify -CAfile "$work/signer.pem" -TSA-CAfile "$work/tsa.pem" -in "$1" >"$work/verify.log" 2>&1 &&
    grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log" ||
    fail "$1 does not verify: $(cat "$work/verify.log")"
}
out=target/tarn
folder=greeter-2.5.1-SNAPSHOT
build "<sign><keystore>$work/signer.p12</keystore><serverId>greeter-signing</serverId>
  <tsaurl>http://127.0.0.1:9/,$tsa</tsaurl><tsretries>1</tsretries></sign>" package ||
  fail "the signed build: $(cat "$work/build.log")"
verify $out/windows-x64-window/greeter.exe
verify $out/windows-x64/$folder/greeter.exe
unzip -q $out/windows-x64/$folder-windows-x64.zip -d "$work/unzipped"
verify "$work/unzipped/$folder/greeter.exe"
grep -q "Text description: Greeter" "$work/verify.log" || fail "the program name: $(cat "$work/verify.log")"
"$source_dir/build/linux/tarn-pack" --print $out/windows-x64-window/greeter.exe | grep -qF \
  "Main Class=dev.tarn.examples.greeter.Greeter" || fail "tarn-pack --print cannot read the signed executable"

# Under Wine on the stand-in VM, the signed executable reads its embedded configuration.
export WINEPREFIX=$source_dir/build/windows/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
"$source_dir/scripts/wine-prefix" "$WINEPREFIX"
mkdir -p "$work/win/jre/bin/server"
cp "$source_dir/build/windows/tests/testvm/testvm.dll" "$work/win/jre/bin/server/jvm.dll"
cp "$source_dir/build/windows/tests/testvm/testvm.dll" "$work/win/jre/bin/java.dll"
cp $out/windows-x64-window/greeter.exe "$work/win/"
printf '[Java Runtime Environment]\r\nJRE Path=Z:%s\r\n' "${work//\//\\}\\win\\jre" >"$work/win/greeter.ini"
TESTVM_RECORD="Z:${work//\//\\}\\record" wine "$work/win/greeter.exe" one >"$work/wine.out" 2>&1 ||
  fail "the signed greeter.exe under Wine: $(cat "$work/wine.out")"
grep -q '^class dev/tarn/examples/greeter/Greeter' "$work/record" || fail "under Wine: $(cat "$work/record")"
wine "$source_dir/build/windows/tools/tarn-pack/resource_probe.exe" "Z:${work//\//\\}\\win\\greeter.exe" |
  grep -q '^string ProductName=Greeter' || fail "the signed executable's version resource"

# A token's key through PKCS#11; the same bytes as the other build's apart from the signature.
osslsigncode remove-signature -in $out/windows-x64-window/greeter.exe -out "$work/file-key.exe" >/dev/null
export GREETER_PIN=2468
token="<keystore>$work/token.cfg</keystore><storetype>PKCS11</storetype><storepass>env:GREETER_PIN</storepass>"
pack=(dev.tarn:tarn-maven-plugin:$version:pack -Dtarn.launchers=windows-x64-window -Dtarn.jar=target/$folder-all.jar)
build "<sign>$token<tsaurl>$tsa</tsaurl></sign>" "${pack[@]}" || fail "PKCS#11: $(cat "$work/build.log")"
verify $out/windows-x64-window/greeter.exe
osslsigncode remove-signature -in $out/windows-x64-window/greeter.exe -out "$work/token-key.exe" >/dev/null
cmp -s "$work/file-key.exe" "$work/token-key.exe" || fail "the two builds differ apart from their signatures"

# refuse <message> <sign block>: the build fails saying so, and leaves no executable.
refuse() {
  cp "$work/win/greeter.exe" $out/windows-x64-window/
  if build "$2" "${pack[@]}"; then fail "$2 signed"; fi
  grep -qF -- "$1" "$work/build.log" || fail "$2: $(cat "$work/build.log")"
  [ ! -e $out/windows-x64-window/greeter.exe ] || fail "$2 left greeter.exe"
}
refuse "<sign> wrong password: the PKCS11 key store $work/token.cfg refuses the storepass given" \
  "<sign>${token/env:GREETER_PIN/1111}</sign>"
refuse "<sign> no timestamp for windows-x64-window/greeter.exe: http://127.0.0.1:9/: Connection refused" \
  "<sign><keystore>$work/signer.p12</keystore><storepass>store-secret</storepass>
    <tsaurl>http://127.0.0.1:9/</tsaurl><tsretries>1</tsretries></sign>"
echo "maven signing: ok"

# A packed tarn.exe signed with Authenticode (osslsigncode, a throwaway
# certificate made by openssl): the signature verifies, every JDK under
# /usr/lib/jvm runs the main class from the signed file, and under Wine the
# signed executable reads its embedded configuration, puts itself on the
# class path, and the real runtimes load the main class from it. The same
# after signing it again with another certificate and after adding a nested
# signature. A signed executable cannot be packed again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
need_windows_runtimes
for tool in osslsigncode openssl; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/test installs it)"
done
jdks=()
for home in /usr/lib/jvm/*/; do
  home=$(realpath "$home")
  [ -x "$home/bin/java" ] && [ -f "$home/lib/server/libjvm.so" ] || continue
  [[ " ${jdks[*]} " == *" $home "* ]] || jdks+=("$home")
done
[ ${#jdks[@]} -gt 0 ] || fail "no JDK under /usr/lib/jvm"

mkdir -p "$work/src" "$work/classes" "$work/dist"
cat >"$work/src/Main.java" <<'JAVA'
public class Main {
    public static void main(String[] args) {
        System.out.println("Main from " + new java.io.File(
            Main.class.getProtectionDomain().getCodeSource().getLocation().getPath()).getName());
    }
}
JAVA
"${jdks[0]}/bin/javac" --release 8 -d "$work/classes" "$work/src/Main.java" 2>/dev/null ||
  "${jdks[0]}/bin/javac" -d "$work/classes" "$work/src/Main.java"
make_jar "$work/app.jar" "$work/classes" Main.class

printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Main" "[Application]" "Embedded Jar=Yes" \
  >"$work/app.ini"
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" -o "$work/dist/app.exe"

certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=$1" -days 2 \
    -keyout "$work/$1.key" -out "$work/$1.pem" >/dev/null 2>&1 || fail "openssl: no certificate"
}
certificate First
certificate Second
cat "$work/First.pem" "$work/Second.pem" >"$work/both.pem"

# check_signed <file> <signatures> <Windows runtime>: verified, read by
# every JDK, and run under Wine on that runtime (an INI beside it names it).
check_signed() {
  local file=$1 count=$2 runtime=$3 report
  report=$(osslsigncode verify -CAfile "$work/both.pem" "$file" 2>&1) ||
    fail "osslsigncode verify $(basename "$file"): $report"
  grep -q "Number of verified signatures: $count" <<<"$report" ||
    fail "$(basename "$file"): not $count signatures: $report"
  for home in "${jdks[@]}"; do
    report=$("$home/bin/java" -cp "$file" Main 2>&1) || fail "$home: $report"
    [ "$report" = "Main from $(basename "$file")" ] || fail "$home: $report"
  done
  expect_clean_zip "$file"
  printf '[Java Runtime Environment]\r\nJRE Path=%s\r\n' "$(winpath "$runtime")" >"${file%.exe}.ini"
  run_app "$file"
  expect_status 0
  expect_output "Main from $(basename "$file")"$'\n'
}

expect_clean_zip "$work/dist/app.exe"
osslsigncode sign -certs "$work/First.pem" -key "$work/First.key" -n "Signed app" \
  -in "$work/dist/app.exe" -out "$work/dist/signed.exe" >/dev/null || fail "osslsigncode sign"
check_signed "$work/dist/signed.exe" 1 "${windows_runtimes[0]}"

# Signed again, the first signature replaced; then a second one nested.
osslsigncode sign -certs "$work/Second.pem" -key "$work/Second.key" \
  -in "$work/dist/signed.exe" -out "$work/dist/resigned.exe" >/dev/null || fail "osslsigncode re-sign"
check_signed "$work/dist/resigned.exe" 1 "${windows_runtimes[-1]}"
osslsigncode sign -nest -certs "$work/First.pem" -key "$work/First.key" \
  -in "$work/dist/resigned.exe" -out "$work/dist/nested.exe" >/dev/null || fail "osslsigncode -nest"
check_signed "$work/dist/nested.exe" 2 "${windows_runtimes[0]}"

# One that asks to run as administrator signs and starts the same.
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" --execution-level requireAdministrator \
  -o "$work/dist/admin.exe"
osslsigncode sign -certs "$work/First.pem" -key "$work/First.key" \
  -in "$work/dist/admin.exe" -out "$work/dist/admin-signed.exe" >/dev/null || fail "osslsigncode sign admin"
check_signed "$work/dist/admin-signed.exe" 1 "${windows_runtimes[-1]}"

# A signature would not survive packing: a signed launcher is refused.
set +e
"$pack" "$work/dist/signed.exe" "$work/app.ini" -o "$work/dist/again.exe" >"$work/out.raw" 2>"$work/err"
status=$?
set -e
[ "$status" != 0 ] || fail "a signed launcher was packed"
grep -q "signed" "$work/err" || fail "refusal does not say why: $(cat "$work/err")"
[ ! -e "$work/dist/again.exe" ] || fail "an output was written"
echo ok

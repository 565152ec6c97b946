# The launch trace under Wine: registered runtimes of which none fits, each
# named with the reason it was turned down, and the windowed launcher's
# trace in a file, of a run on a real runtime (Java 25). The trace changes
# neither standard output nor the exit code.
# trace_wine.sh <tarn.exe> <tarnw.exe>
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/runtime_lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
windowed=${2:?usage: trace_wine.sh <tarn.exe> <tarnw.exe>}
trap 'registry_clear; rm -rf "$work"' EXIT
unset DISPLAY JAVA_HOME TARN_TRACE

rt=$work/rt
make_runtime "$rt/jre15" client
mkdir -p "$rt/jdk17/bin"  # a JDK registered without its jre folder
make_modern_runtime "$rt/x86" 21.0.1 jdk
# A 32-bit VM library: just the headers' machine type (0x14c).
printf 'MZ%058d\x40\0\0\0PE\0\0\x4c\x01%018d' 0 0 | tr 0 '\0' >"$rt/x86/bin/server/jvm.dll"
registry_begin
register "JavaSoft/Java Runtime Environment" 1.5.0_22 "$rt/jre15"
register "JavaSoft/Java Development Kit" 17 "$rt/jdk17"
register_value HKEY_LOCAL_MACHINE 'JavaSoft/JDK/21' JavaHome "$rt/x86"
registry_apply

make_selection_app
settings "Minimum Version=11"
printf '[Application]\r\nApp User Model ID=Example.Viewer\r\n' >>"$ini"

echo "without the variable: the message with the runtimes found, nothing on standard error"
run_app "$app"
expect_status 255
[ ! -s "$work/err" ] || fail "standard error is not empty"
expect_output "Error: The Java Runtime Environment (JRE) was not found. Please  download and install \
a JRE (minimum version 11.0) from: https://adoptium.net/marketplace/
Java runtimes found, and why none fits:
- Java 21.0.1 (x86) in $(winpath "$rt/x86/"): its VM library is built for x86, this launcher loads x86_64
- Java 17.0 (unknown architecture) in $(winpath "$rt/jdk17/jre/"): a JDK without its jre folder
- Java 1.5.0.22 (unknown architecture) in $(winpath "$rt/jre15/"): below the minimum version 11.0 
"
cp "$work/out" "$work/plain.out"

echo "TARN_TRACE=1: the same output and exit code, the reasons on standard error"
TARN_TRACE=1 run_app "$app"
expect_status 255
cmp -s "$work/plain.out" "$work/out" || fail "standard output differs with the trace"
sed 's/\r$//' "$work/err" >"$work/trace"
grep -qv '^tarn: ' "$work/trace" && fail "a line on standard error is not a trace line"
expect_reason() {
  grep -F -- "tarn: runtime $1: " "$work/trace" | grep -qF -- ": $2" ||
    fail "no line for $1 ending in: $2"
}
expect_reason 'HKLM\Software\JavaSoft\Java Runtime Environment\1.5.0_22' \
  "turned down: below the minimum version 11.0"
expect_reason 'HKLM\Software\JavaSoft\Java Development Kit\17' \
  "turned down: a JDK without its jre folder"
expect_reason 'HKLM\Software\JavaSoft\JDK\21' \
  "turned down: its VM library is built for x86, this launcher loads x86_64"
grep -qxF "tarn: no runtime fits: message 207, $(head -n 1 "$work/plain.out" | sed 's/^Error: //; s/ https:.*//')" \
  "$work/trace" || fail "no line for the message shown"
grep -qxF "tarn: App User Model ID Example.Viewer: set" "$work/trace" || fail "no taskbar identity"
[ "$(tail -n 1 "$work/trace")" = "tarn: exit code -1" ] || fail "the trace does not end with the exit code"

echo "the windowed launcher writes its trace to the file named, %NAME% expanded"
need_windows_runtimes
need_java_classes
cp "$windowed" "$app"
home=${windows_runtimes[-1]}
printf '[Java Runtime Environment]\r\nMain Class=Probe\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=%s\r\n' \
  "$(winpath "$home")" "$(winpath "$classes")" >"$ini"
echo "tarn: an earlier run" >"$work/tarnw.log"
TRACE_DIR=$(winpath "$work") TARN_TRACE='%TRACE_DIR%\tarnw.log' run_app "$app"
expect_status 0
expect_line "$work/out" "main done"
sed 's/\r$//' "$work/tarnw.log" >"$work/trace"
[ "$(head -n 1 "$work/trace")" = "tarn: an earlier run" ] || fail "the trace file was not appended to"
first=$(sed -n 2p "$work/trace")
[[ "$first" == "tarn: tarnw "?*", windows x86_64, executable $(winpath "$app")" ]] ||
  fail "first line: $first"
for line in "runtime $(runtime_version "$home"), JNI 9 known, JNI 19 known: option strings in the process's code page, per-monitor DPI aware" \
    "VM created" "calling Probe.main, arguments: 0" "main returned"; do
  expect_line "$work/trace" "tarn: $line"
done
[ "$(tail -n 1 "$work/trace")" = "tarn: exit code 0" ] || fail "the trace does not end with the exit code"
printf '[Java Runtime Environment]\r\n' >"$ini"

# Wine keeps no access rights of its own: it turns the new file's owner-only
# rights into a Unix mode without access for others, and takes a file of
# another Unix user for no owner of the process's.
echo "a new trace file is its owner's alone; another user's file gets no trace"
TARN_TRACE=$(winpath "$work/new.log") run_app "$app"
[[ "$(stat -c %a "$work/new.log")" == ??0 ]] || fail "a new trace file has mode $(stat -c %a "$work/new.log")"
if [ "$(id -u)" = 0 ]; then
  echo "tarn: another user's" >"$work/foreign.log"
  chown nobody "$work/foreign.log"
  TARN_TRACE=$(winpath "$work/foreign.log") run_app "$app"
  expect_status 255
  [ "$(cat "$work/foreign.log")" = "tarn: another user's" ] || fail "another user's file was traced to"
fi
echo "a file with a second name (a hard link) gets no trace"
ln "$work/new.log" "$work/hard.log"
cp "$work/new.log" "$work/before.log"
TARN_TRACE=$(winpath "$work/hard.log") run_app "$app"
cmp -s "$work/before.log" "$work/hard.log" || fail "a hard-linked file was traced to"
echo ok

# Runtime selection under Wine: registered runtimes in the prefix's
# registry, the configured folder, the private runtime (a real one, Java 17,
# that runs), and the message when nothing fits (without a display the
# dialog cannot open, so the message reaches the console).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/runtime_lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
trap 'registry_clear; rm -rf "$work"' EXIT
unset DISPLAY JAVA_HOME

rt=$work/rt
jdk='JavaSoft/Java Development Kit'
jre='JavaSoft/Java Runtime Environment'
rjre='JRockit/Java Runtime Environment'
rjdk='JRockit/Java Development Kit'
make_runtime "$rt/jdk15/jre" client
make_runtime "$rt/jdk16/jre" client server
make_runtime "$rt/jre15" client
make_runtime "$rt/jre16" client server
make_runtime "$rt/jre17" client
make_runtime "$rt/jrockit18" jrockit
make_runtime "$rt/jrockitjdk19/jre" jrockit
make_runtime "$rt/nothing"

make_selection_app

registry_begin
register "$jdk" 1.5.0_22 "$rt/jdk15"
register "$jdk" 1.6.0_21 "$rt/jdk16"
register "$jre" 1.5.0_22 "$rt/jre15"
register "$jre" 1.6.0_21 "$rt/jre16"
register "$jre" 1.7 "$rt/jre17"
register "$jre" 1.8 "$rt/nothing"
register "$rjre" 1.8 "$rt/jrockit18"
register "$rjdk" 1.9 "$rt/jrockitjdk19"
registry_apply

echo "defaults: the newest JavaSoft runtime"
launch "Minimum Version=any" "Maximum Version=any"
expect_vm "$rt/jre17/bin/client/jvm.dll"
echo "an empty maximum sets no upper limit"
launch
expect_vm "$rt/jre17/bin/client/jvm.dll"
echo "limits"
launch "Minimum Version=1.5" "Maximum Version=1.6"
expect_vm "$rt/jdk16/jre/bin/client/jvm.dll"
echo "favor_server: the newest server runtime, loaded with its server VM"
launch "JVM Type=favor_server"
expect_vm "$rt/jdk16/jre/bin/server/jvm.dll"
echo "server: only server VMs"
launch "JVM Type=server" "Maximum Version=1.6.0_20"
expect_status 255
[ "$(head -n 1 "$work/out")" = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM (maximum version 1.6.0.20) from: https://adoptium.net/marketplace/" ] ||
  fail "message: $(cat "$work/out")"
grep -qxF -- "- Java 1.5.0.22 (unknown architecture) in $(winpath "$rt/jdk15/jre/"): no server VM, which JVM Type=server asks for" \
  "$work/out" || fail "the runtimes found: $(cat "$work/out")"
echo "favor_JDK: JavaSoft JDKs first"
launch "JVM Source=favor_JDK"
expect_vm "$rt/jdk16/jre/bin/client/jvm.dll"
echo "favor_JDK with any vendor: by version alone"
launch "JVM Source=favor_JDK" "VM Provider=any"
expect_vm "$rt/jrockitjdk19/jre/bin/jrockit/jvm.dll"
echo "favor_sun: JavaSoft before JRockit"
launch "VM Provider=favor_sun"
expect_vm "$rt/jre17/bin/client/jvm.dll"
echo "jrockit: only the JRockit keys"
launch "VM Provider=jrockit"
expect_vm "$rt/jrockitjdk19/jre/bin/jrockit/jvm.dll"
launch "VM Provider=jrockit" "JVM Source=only_JRE"
expect_vm "$rt/jrockit18/bin/jrockit/jvm.dll"
echo "only_JDK never takes a registered JRE"
launch "JVM Source=only_JDK" "Minimum Version=1.6.0_22"
expect_status 255
[ "$(head -n 1 "$work/out")" = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 1.6.0.22) from: https://adoptium.net/marketplace/" ] ||
  fail "message: $(cat "$work/out")"
echo "preferred versions in list order"
launch "Preferred versions=1.5;1.6"
expect_vm "$rt/jdk15/jre/bin/client/jvm.dll"
launch "Preferred versions=1.9.1;1.6.0_21"
expect_vm "$rt/jdk16/jre/bin/client/jvm.dll"
echo "a JVM Source in the wrong case searches nothing"
launch "JVM Source=only_jre"
expect_status 255

echo "the configured folder, whatever its version; a bad one is skipped"
launch "JRE Path=$(winpath "$rt/jre15")" "Minimum Version=1.7"
expect_vm "$rt/jre15/bin/client/jvm.dll"
launch "JRE Path=$(winpath "$rt/nothing")"
expect_vm "$rt/jre17/bin/client/jvm.dll"

echo "the private runtime beside the executable, whatever its version, then its own folder"
need_windows_runtimes
need_java_classes
private=$(make_app "$work/private" viewer)
printf '[Java Runtime Environment]\r\nMain Class=Probe\r\nMinimum Version=99\r\n[Class Path]\r\nClass Path=%s\r\n' \
  "$(winpath "$classes")" >"$work/private/viewer.ini"
ln -s "${windows_runtimes[0]}" "$work/private/jre"
run_app "$private"
expect_status 0
expect_line "$work/out" "env TARN_JVM_HOME=$(winpath "$work/private/jre")"
expect_line "$work/out" "main done"
rm "$work/private/jre"
make_runtime "$work/private" hotspot
: >"$work/private/bin/java.dll"
run_app "$private"
expect_vm "$work/private/bin/hotspot/jvm.dll"

echo "no private runtime: a VM library in the current folder is not loaded"
registry_clear
make_runtime "$work/cwd" client
cd "$work/cwd"
launch "Minimum Version=1.5"
expect_status 255
expect_output "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 1.5) from: https://adoptium.net/marketplace/
No Java runtime was found on this computer. "$'\n'
echo ok

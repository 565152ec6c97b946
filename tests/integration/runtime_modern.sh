# Runtimes 9 and later under Wine: the JavaSoft JDK and JRE keys and the
# installers' own keys in both hives, JAVA_HOME, duplicates, mixed with the
# classic keys, and VM libraries of the other architecture; then the real
# runtimes (Java 17 and 25) registered as their installers register them.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/runtime_lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
trap 'registry_clear; rm -rf "$work"' EXIT
unset DISPLAY JAVA_HOME

LM=HKEY_LOCAL_MACHINE
CU=HKEY_CURRENT_USER
rt=$work/rt
make_modern_runtime "$rt/jdk21" 21.0.1 jdk
make_modern_runtime "$rt/temurin17" 17.0.9 jdk
make_modern_runtime "$rt/ms11" 11.0.20 jdk
rm "$rt/ms11/release"  # the key's name gives the version
make_modern_runtime "$rt/adoptjre11" 11.0.2 jre
make_modern_runtime "$rt/dual" 21.0.2 jdk
make_modern_runtime "$rt/unzipped" 19.0.1 jdk
make_modern_runtime "$rt/x86" 23 jdk
make_modern_runtime "$rt/zulu10" 10.0.2 jre
rm "$rt/zulu10/release"
make_modern_runtime "$rt/liberica9" 9.0.4 jdk
make_runtime "$rt/jre17" client
# A 32-bit VM library: just the headers' machine type (0x14c).
printf 'MZ%058d\x40\0\0\0PE\0\0\x4c\x01%018d' 0 0 | tr 0 '\0' >"$rt/x86/bin/server/jvm.dll"

make_selection_app

registry_begin
register_value $LM 'JavaSoft/JDK/21' JavaHome "$rt/jdk21"
# The same runtime again, per user, spelt otherwise.
register_value $CU 'JavaSoft/JDK/21.0.1' JavaHome "$rt/JDK21/"
register_value $CU 'Eclipse Adoptium/JDK/17.0.9.9/hotspot/MSI' Path "$rt/temurin17/"
register_value $LM 'Microsoft/JDK/11.0.20.8/hotspot/MSI' Path "$rt/ms11"
register_value $CU 'AdoptOpenJDK/JRE/11.0.2.7/hotspot/MSI' Path "$rt/adoptjre11"
register_value $LM 'JavaSoft/JDK/23' JavaHome "$rt/x86"
register_value $LM 'Azul Systems/Zulu/zulu-10-jre' InstallationPath "$rt/zulu10"
register_value $CU 'BellSoft/Liberica/jdk-9' InstallationPath "$rt/liberica9"
register "JavaSoft/Java Runtime Environment" 1.7 "$rt/jre17"
registry_apply

echo "the newest runtime, from the JavaSoft JDK key; the 32-bit one skipped"
launch
expect_vm "$rt/jdk21/bin/server/jvm.dll"
echo "limits: the version of the release file"
launch "Maximum Version=20"
expect_vm "$rt/temurin17/bin/server/jvm.dll"
echo "the key's name when there is no release file"
launch "Maximum Version=16"
expect_vm "$rt/ms11/bin/server/jvm.dll"
echo "a runtime without a compiler is a JRE"
launch "JVM Source=only_JRE" "Maximum Version=16"
expect_vm "$rt/adoptjre11/bin/server/jvm.dll"
echo "the Zulu key, its version from the key's name"
launch "Maximum Version=10.5"
expect_vm "$rt/zulu10/bin/server/jvm.dll"
echo "the Liberica key, per user"
launch "Maximum Version=9.5"
expect_vm "$rt/liberica9/bin/server/jvm.dll"
echo "classic and modern by the same rules"
launch "Maximum Version=1.8"
expect_vm "$rt/jre17/bin/client/jvm.dll"
echo "a configured folder of the other architecture"
launch "JRE Path=$(winpath "$rt/x86")"
expect_output "Error: The Java VM library $(winpath "$rt/x86")\\bin\\server\\jvm.dll is built for a different processor architecture than this program."$'\n \n'

echo "the place found first is kept: a JRockit registration of a JavaSoft runtime"
registry_begin
register "JRockit/Java Runtime Environment" 1.8 "$rt/dual"
register_value $LM 'JavaSoft/JDK/21.0.2' JavaHome "$rt/dual"
register_value $LM 'JavaSoft/JDK/17' JavaHome "$rt/temurin17"
registry_apply
launch "VM Provider=any"
expect_vm "$rt/temurin17/bin/server/jvm.dll"

echo "JAVA_HOME"
registry_clear
export JAVA_HOME
JAVA_HOME=$(winpath "$rt/unzipped")
launch
expect_vm "$rt/unzipped/bin/server/jvm.dll"
unset JAVA_HOME

# Temurin's installer keys for 17, with the folder's trailing backslash,
# and the JavaSoft JRE key that an installer's "JavaSoft keys" option
# writes for 25: the newest runs, a limit picks the other.
echo "real runtimes in the registry"
need_windows_runtimes
need_java_classes
old=${windows_runtimes[0]}
new=${windows_runtimes[-1]}
registry_begin
register_value $LM "Eclipse Adoptium/JRE/$(runtime_version "$old").0/hotspot/MSI" Path "$old/"
register_value $LM "JavaSoft/JRE/$(runtime_version "$new")" JavaHome "$new"
registry_apply
for limit in "" "Maximum Version=$(runtime_version "$old" | cut -d. -f1).9"; do
  printf '[Java Runtime Environment]\r\nMain Class=Probe\r\n%s\r\n[Class Path]\r\nClass Path=%s\r\n' \
    "$limit" "$(winpath "$classes")" >"$ini"
  run_app "$app"
  expect_status 0
  home=$new
  [ -n "$limit" ] && home=$old
  expect_line "$work/out" "prop java.version=$(runtime_version "$home")"
  expect_line "$work/out" "env TARN_JVM_PATH=$(winpath "$home")\\bin\\server\\jvm.dll"
done
echo ok

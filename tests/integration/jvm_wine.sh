# The Windows launcher under Wine against the test VM library, which
# records what the launcher handed it: loading reports, the option list,
# the arguments split from the real command line, the environment, the Java
# main thread's stack and the exit codes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

testvm=${2:?test VM library}
partial=${3:?test VM without the defaults entry}
broken=${4:?test VM needing a missing library}
spawn=${5:?spawn helper}
dependency=${6:?the library the broken test VM needs}

app=$(make_app "$work/app" probe)
app_win=$(winpath "$app")
use_test_vm "$testvm"
jre_win=$(winpath "$jre")
ini=$work/app/probe.ini

# run_vm <script> <command line after the executable>: the launch through
# CreateProcess with the command line exactly as given.
run_vm() {
  rm -f "$record"
  touch "$record"
  TESTVM_SCRIPT=$1 SPAWN_COMMAND_LINE="\"$app_win\" $2" run_app "$spawn"
  sed -i 's/\r$//' "$work/err"
}

base_ini=("[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$jre_win")

# Arguments by every splitting rule, "Cmd", the option order, the
# environment and the stack of -Xss, in one launch.
write_ini "$ini" "${base_ini[@]}" \
  "Virtual Machine Parameters=-Xmx50P  \"-Dprobe.value=%PROBE_VAR% q\" -Xss16m -Dnone=%NO_SUCH_VAR%" \
  "Library Path=C:\\lib1" "System Path=C:\\sys1;" \
  "[Class Path]" "Class Path=lib\\a.jar" \
  "[Application]" "Embedded Jar=yes" "Cmd=x \"y z\" \"\"  \"%PROBE_VAR%\" $(printf 'caf\xe9')"
# The command line reaches Wine as UTF-8 and the program in its ANSI code
# page (1252): e-acute is one byte there, and U+00E9 in Java.
PROBE_VAR="v 1" LC_ALL=C.UTF-8 run_vm "" "$(printf ' alpha  "beta gamma"delta x"y z" "" a\tb -nosplash /nosplash \xc3\xa9 "open end  \t')"
expect_status 0
[ "$(lines_with "$record" "arg ")" = "$(printf '%s\n' 'arg 0 alpha' 'arg 1 beta gamma' 'arg 2 delta' \
    'arg 3 x"y' 'arg 4 z"' 'arg 5 ' "$(printf 'arg 6 a\tb')" 'arg 7 -nosplash' 'arg 8 /nosplash' \
    'arg 9 é' 'arg 10 open end' 'arg 11 x' 'arg 12 y z' 'arg 13 v 1' 'arg 14 café')" ] ||
  fail "arguments: $(lines_with "$record" "arg ")"
physical_kb=$(( $(getconf _PHYS_PAGES) * $(getconf PAGESIZE) / 1024 ))
# Wine rounds the physical memory to pages: the share is checked to a page.
options=$(lines_with "$record" "option ")
half=$(sed -n 's/^option -Xmx\([0-9]*\)K$/\1/p' "$record")
[ -n "$half" ] && [ $(( half - physical_kb / 2 )) -le 8 ] && [ $(( physical_kb / 2 - half )) -le 8 ] ||
  fail "-Xmx50P gave ${half}K, expected $(( physical_kb / 2 ))K"
options=${options/-Xmx${half}K/-Xmx<half>K}
old_path=$(sed -n 's/^env Path=C:\\sys1;\(.*\);[^;]*$/\1/p' "$record")
[ -n "$old_path" ] || fail "Path does not start with the System Path"
printf '%s\n' \
    "option -Djava.library.path=C:\\lib1;$(winpath "$work/app")\\;.;$old_path;$jre_win\\lib" \
    "option -Djava.class.path=lib\\a.jar;$app_win" \
    "option -Xmx<half>K" \
    "option -Dprobe.value=v 1 q" \
    "option -Xss16m" \
    "option -Dnone=%NO_SUCH_VAR%" >"$work/expected-options"
[ "$options" = "$(cat "$work/expected-options")" ] ||
  fail "option list: $(diff <(echo "$options") "$work/expected-options")"
expect_line "$record" "version 0x10002"
expect_line "$record" "ignoreUnrecognized 0"
expect_line "$record" "env TARN_JVM_PATH=$jre_win\\bin\\server\\jvm.dll"
expect_line "$record" "env TARN_JVM_HOME=$jre_win"
expect_line "$record" "env Path=C:\\sys1;$old_path;$jre_win\\bin"
expect_line "$record" "class Probe"
expect_line "$record" "method main ([Ljava/lang/String;)V"
stack=$(sed -n 's/^stack //p' "$record")
[ "$stack" -ge 16777216 ] || fail "Java main thread stack $stack, asked for 16m"
[ "$(tail -n 3 "$record")" = "$(printf 'main returned\ndetach\ndestroy')" ] || fail "teardown order"

# No -Xss: the VM's default stack size decides, and 0 leaves the system's.
write_ini "$ini" "${base_ini[@]}" "[Class Path]" "Class Path=."
run_vm "stack=33554432" ""
expect_status 0
expect_line "$record" "defaults version 0x10001"
expect_line "$record" "args 0"
stack=$(sed -n 's/^stack //p' "$record")
[ "$stack" -ge 33554432 ] || fail "Java main thread stack $stack, the VM default is 32m"
run_vm "stack=0" ""
expect_status 0
stack=$(sed -n 's/^stack //p' "$record")
[ "$stack" -lt 33554432 ] || fail "Java main thread stack $stack without any size asked"

# Exit codes and reports.
run_vm "main=exit:9" "a"
expect_status 9
expect_no_line "$record" "destroy"
run_vm "create=-6" ""
expect_status 255
expect_output $'Error: JNI exception: failed to create the Java VM\nReason: invalid arguments.\n \n'
expect_no_line "$record" "class Probe"
run_vm "create=-99" ""
expect_status 255
expect_output $'Error: JNI exception: failed to create the Java VM\nReason: .\n \n'
run_vm "main=noclass" ""
expect_status 255
expect_output $'Error: Could not find the main class Probe.\n \n'
[ "$(tail -n 3 "$record")" = "$(printf 'describe\ndetach\ndestroy')" ] || fail "missing class teardown"
run_vm "main=nomain" ""
expect_status 255
expect_output $'Error: No main method found in specified class.\n \n'
expect_line "$record" "detach"

# An uncaught exception with "Failure Check": described, its text built,
# the program goes on and the launch ends with 0; both streams redirected.
mkdir -p "$work/logs"
write_ini "$ini" "${base_ini[@]}" "[Class Path]" "Class Path=." \
  "[Application]" "Failure Check=yes" "Output File=%PROBE_DIR%\\out.log" \
  "Error File=$(winpath "$work/nowhere/err.log")"
PROBE_DIR=$(winpath "$work/logs") run_vm "main=throw" ""
expect_status 0
expect_line "$record" "setOut $(winpath "$work/logs")\\out.log"
expect_no_text "$record" "setErr"
[ -f "$work/logs/out.log" ] || fail "output file not created"
# The missing folder of the error file, main's exception, and the one
# printStackTrace threw.
[ "$(grep -c '^describe$' "$record")" = 3 ] || fail "three exceptions described"
expect_line "$record" "call printStackTrace"
expect_line "$record" "call toString"
expect_no_text "$record" "System.exit"

# No class path: no VM at all.
write_ini "$ini" "${base_ini[@]}"
run_vm "" ""
expect_status 255
expect_output $'Error: Java Class Path was not specified in INI file. \n'
[ ! -s "$record" ] || fail "the VM library was used without a class path"

# Libraries that are not a usable VM.
write_ini "$ini" "${base_ini[@]}" "[Class Path]" "Class Path=."
echo "not a library" >"$jre/bin/server/jvm.dll"
run_vm "" ""
expect_status 255
expect_output "Error: Failed to load Java VM library: $jre_win\\bin\\server\\jvm.dll (errno = 193)."$'\n \n'
cp "$broken" "$jre/bin/server/jvm.dll"
run_vm "" ""
expect_status 255
expect_output "Error: Failed to load Java VM library: $jre_win\\bin\\server\\jvm.dll (errno = 126)."$'\n \n'
cp "$partial" "$jre/bin/server/jvm.dll"
run_vm "" ""
expect_status 255
expect_output $'Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n \n'

# Libraries are never taken from the current folder: the VM library's
# import comes from the runtime's bin folder, else through "System Path",
# though a planted copy lies in the folder the launch starts from; one
# loaded later by name is not found there at all.
mkdir -p "$work/current" "$work/system-dlls"
cp "$broken" "$jre/bin/server/jvm.dll"
for copy in "$jre/bin/testvm_dependency.dll" "$work/current/testvm_dependency.dll" \
            "$work/system-dlls/testvm_dependency.dll" "$work/current/testvm_late.dll"; do
  cp "$dependency" "$copy"
done
write_ini "$ini" "${base_ini[@]}" "System Path=$(winpath "$work/system-dlls")" \
  "[Class Path]" "Class Path=."
cd "$work/current"
run_vm "load=testvm_late.dll" ""
expect_status 0
expect_line "$record" "dependency $jre_win\\bin\\testvm_dependency.dll"
expect_line "$record" "not loaded testvm_late.dll 126"
rm "$jre/bin/testvm_dependency.dll"
run_vm "" ""
expect_status 0
expect_line "$record" "dependency $(winpath "$work/system-dlls")\\testvm_dependency.dll"

# Without "APPDATA" there is no per-user copy, not even one below the root
# of the current drive, where any local user could have put it first.
product="Tarn Test $$"
drive_c=${WINEPREFIX:?}/drive_c
trap 'rm -rf "$work" "$drive_c/$product" "$drive_c/tarn-current-$$"' EXIT
mkdir -p "$drive_c/$product/P1" "$drive_c/tarn-current-$$"
write_ini "$drive_c/$product/P1/probe.ini" "[Java Runtime Environment]" "JRE Path=C:\\nowhere"
cp "$testvm" "$jre/bin/server/jvm.dll"
write_ini "$ini" "${base_ini[@]}" "[Class Path]" "Class Path=." \
  "[Product Information]" "Product Name=$product" "Product Code=P1"
cd "$drive_c/tarn-current-$$"
SPAWN_UNSET=APPDATA run_vm "" ""
expect_status 0
expect_line "$record" "env TARN_JVM_PATH=$jre_win\\bin\\server\\jvm.dll"
cd /
echo ok

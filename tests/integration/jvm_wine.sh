# The Windows launcher under Wine. The stand-in VM library (tests/testvm)
# first, for what only it shows: the option list and the JNI calls read back
# exactly, a VM that refuses to be created, libraries that are no VM, where
# the VM library's imports come from. Then the real runtimes (Java 17 and 25)
# run the probe program, which prints what it received: arguments split from
# the real command line, the working folder, the environment, the library
# path, memory shares, the main thread's stack, output and error files, the
# exit codes and what a failing program prints.
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

# The option list in its order, the init arguments, the calls and the
# teardown, in one launch.
write_ini "$ini" "${base_ini[@]}" \
  "Virtual Machine Parameters=-Xmx50P  \"-Dprobe.value=%PROBE_VAR% q\" -Xss16m -Dnone=%NO_SUCH_VAR%" \
  "Library Path=C:\\lib1" "System Path=C:\\sys1;" \
  "[Class Path]" "Class Path=lib\\a.jar" \
  "[Application]" "Embedded Jar=yes"
PROBE_VAR="v 1" run_vm "" "alpha"
expect_status 0
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
expect_line "$record" "class Probe"
expect_line "$record" "method main ([Ljava/lang/String;)V"
[ "$(tail -n 3 "$record")" = "$(printf 'main returned\ndetach\ndestroy')" ] || fail "teardown order"

# No -Xss: the VM's default stack size decides (the real ones on Windows
# report none, which leaves the system's).
write_ini "$ini" "${base_ini[@]}" "[Class Path]" "Class Path=."
run_vm "stack=33554432" ""
expect_status 0
expect_line "$record" "defaults version 0x10001"
stack=$(sed -n 's/^stack //p' "$record")
[ "$stack" -ge 33554432 ] || fail "Java main thread stack $stack, the VM default is 32m"

# A VM that refuses to be created.
run_vm "create=-6" ""
expect_status 255
expect_output $'Error: JNI exception: failed to create the Java VM\nReason: invalid arguments.\n \n'
expect_no_line "$record" "class Probe"
run_vm "create=-99" ""
expect_status 255
expect_output $'Error: JNI exception: failed to create the Java VM\nReason: .\n \n'
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

# The real runtimes, each given by "JRE Path", run the probe program.
need_windows_runtimes
need_java_classes
mkdir -p "$work/elsewhere"
for home in "${windows_runtimes[@]}"; do
  echo "=== $(basename "$home")"
  home_win=$(winpath "$home")
  app_dir=$work/real-$(basename "$home")
  app=$(make_app "$app_dir" probe)
  app_win=$(winpath "$app")
  mkdir -p "$app_dir/classes"
  cp "$classes"/*.class "$app_dir/classes/"
  ini=$app_dir/probe.ini
  # real_ini <main class> <more lines...>: the INI with "JRE Path" naming the runtime.
  real_ini() {
    local main=$1
    shift
    write_ini "$ini" "[Java Runtime Environment]" "Main Class=$main" "JRE Path=$home_win" "$@"
  }

  # Arguments by every splitting rule and "Cmd", started elsewhere with the
  # executable's folder made current (the class path is relative to it),
  # the environment, the library path, -Xmx50P against the memory Wine
  # reports, and a main thread with the stack that -Xss asked for.
  real_ini Probe \
    "Virtual Machine Parameters=-Xint -Xmx50P  \"-Dprobe.value=%PROBE_VAR% q\" -Xss16m -Dprobe.stack=16777216 -Dprobe.none=%NO_SUCH_VAR%" \
    "Library Path=C:\\lib1" "System Path=C:\\sys1;" \
    "[Class Path]" "Class Path=missing.jar;classes" \
    "[Application]" "Override WorkingDir=Yes" "Cmd=x \"y z\" \"\"  \"%PROBE_VAR%\" $(printf 'caf\xe9')"
  cd "$work/elsewhere"
  # The command line reaches Wine as UTF-8, the launcher in UTF-16.
  PROBE_VAR="v 1" LC_ALL=C.UTF-8 SPAWN_COMMAND_LINE="\"$app_win\" $(printf ' alpha  "beta gamma"delta x"y z" "" a\tb -nosplash /nosplash \xc3\xa9 "open end  \t')" \
    run_app "$spawn"
  expect_status 0
  out=$work/out
  [ "$(lines_with "$out" "arg ")" = "$(printf '%s\n' 'arg 0 alpha' 'arg 1 beta gamma' 'arg 2 delta' \
      'arg 3 x"y' 'arg 4 z"' 'arg 5 ' 'arg 6 a\u0009b' 'arg 7 -nosplash' 'arg 8 /nosplash' \
      'arg 9 \u00E9' 'arg 10 open end' 'arg 11 x' 'arg 12 y z' 'arg 13 v 1' 'arg 14 caf\u00E9')" ] ||
    fail "arguments: $(lines_with "$out" "arg ")"
  expect_line "$out" "prop java.version=$(runtime_version "$home")"
  expect_line "$out" "prop user.dir=$(winpath "$app_dir")"
  expect_line "$out" "prop java.class.path=missing.jar;classes"
  expect_line "$out" "env TARN_JVM_PATH=$home_win\\bin\\server\\jvm.dll"
  expect_line "$out" "env TARN_JVM_HOME=$home_win"
  old_path=$(sed -n 's/^env PATH=C:\\sys1;\(.*\);[^;]*$/\1/p' "$out")
  expect_line "$out" "env PATH=C:\\sys1;$old_path;$home_win\\bin"
  expect_line "$out" "prop java.library.path=C:\\lib1;$(winpath "$app_dir")\\;.;$old_path;$home_win\\lib"
  expect_line "$out" "prop probe.value=v 1 q"
  expect_line "$out" "vmarg -Xss16m"
  expect_line "$out" "vmarg -Dprobe.none=%NO_SUCH_VAR%"
  # The VM rounds the heap to its own units: the share is checked to 1%.
  physical=$(sed -n 's/^memory physical //p' "$out")
  max=$(sed -n 's/^memory max //p' "$out")
  [ "${physical:--1}" -gt 0 ] && [ $(( (max - physical / 2) * 100 / (physical / 2) )) -eq 0 ] ||
    fail "-Xmx50P gave a heap of $max bytes, Wine reports $physical bytes of memory"
  expect_text "$out" "stack like-sized"
  expect_line "$out" "main done"
  expect_line "$work/err" "to-err"

  # No arguments, no -Xss: the VM's default stack, the size its other
  # threads get too; the embedded jar on the class path; the process ends
  # once the program's own thread has.
  real_ini Probe \
    "Virtual Machine Parameters=-Xint -Dprobe.stack=0 -Dprobe.worker=1" \
    "[Class Path]" "Class Path=classes" "[Application]" "Embedded Jar=yes"
  cd "$app_dir"
  run_app "$app"
  expect_status 0
  expect_line "$work/out" "args 0"
  expect_line "$work/out" "prop java.class.path=classes;$app_win"
  expect_text "$work/out" "stack like-sized"
  [ "$(tail -n 2 "$work/out")" = "$(printf 'main done\nworker done')" ] || fail "worker thread"

  # System.exit decides the code.
  real_ini Probe "Virtual Machine Parameters=-Dprobe.exit=7" \
    "[Class Path]" "Class Path=classes"
  run_app "$app"
  expect_status 7

  # An uncaught exception with "Failure Check": both streams in their files,
  # which are emptied first; the launch still ends with 0.
  mkdir -p "$app_dir/logs"
  echo stale >"$app_dir/logs/out.log"
  echo stale >"$app_dir/logs/err.log"
  real_ini Probe "Virtual Machine Parameters=-Dprobe.throw=1" \
    "[Class Path]" "Class Path=classes" \
    "[Application]" "Failure Check=Yes" "Output File=%PROBE_DIR%\\out.log" "Error File=logs\\err.log"
  PROBE_DIR=$(winpath "$app_dir/logs") run_app "$app"
  expect_status 0
  [ ! -s "$work/out" ] || fail "standard output should be in the file"
  logs=$app_dir/logs
  sed -i 's/\r$//' "$logs/out.log" "$logs/err.log"
  expect_line "$logs/out.log" "args 0"
  expect_no_line "$logs/out.log" "stale"
  expect_line "$logs/err.log" "to-err"
  expect_line "$logs/err.log" 'Exception in thread "main" java.lang.IllegalStateException: probe failure'
  expect_text "$logs/err.log" "at Probe.main"
  expect_no_text "$work/err" "Exception"

  # Without it, and with files in a missing folder: the streams stay on the
  # console, the failure to open them is described there; the program's own
  # handler takes main's exception.
  real_ini Probe "Virtual Machine Parameters=-Dprobe.throw=1 -Dprobe.handler=1" \
    "[Class Path]" "Class Path=classes" \
    "[Application]" "Output File=nowhere\\out.log" "Error File=nowhere\\err.log"
  run_app "$app"
  expect_status 0
  expect_line "$work/out" "args 0"
  expect_text "$work/err" "java.io.FileNotFoundException: nowhere\\out.log"
  expect_text "$work/err" "java.io.FileNotFoundException: nowhere\\err.log"
  expect_no_text "$work/err" "Exception in thread"
  expect_line "$work/out" "handler main java.lang.IllegalStateException: probe failure"
  [ ! -e "$app_dir/nowhere" ] || fail "no folder is made for the files"

  # A missing main class and one without a static main: -1, and the VM's
  # reason on standard error.
  real_ini does.not.Exist "[Class Path]" "Class Path=classes"
  run_app "$app"
  expect_status 255
  expect_output $'Error: Could not find the main class does/not/Exist.\n \n'
  expect_line "$work/err" 'Exception in thread "main" java.lang.NoClassDefFoundError: does/not/Exist'
  real_ini NoMain "[Class Path]" "Class Path=classes"
  run_app "$app"
  expect_status 255
  expect_text "$work/err" "java.lang.NoSuchMethodError"
  expect_no_text "$work/out" "should not run"

  # An option the VM refuses.
  real_ini Probe "Virtual Machine Parameters=-Xbogus-option" \
    "[Class Path]" "Class Path=classes"
  run_app "$app"
  expect_status 255
  expect_output $'Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n'
  expect_text "$work/err" "Unrecognized option: -Xbogus-option"
  cd /
done
echo ok

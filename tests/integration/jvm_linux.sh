# Real Java VMs through the Linux launcher: every JDK under /usr/lib/jvm runs
# the probe program, which prints what it received.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/Probe.class" ] || fail "the Java test programs are not built"

find_jdk_homes

# A locale whose character set is not UTF-8, for the non-ASCII case.
latin1=""
if command -v localedef >/dev/null; then
  mkdir -p "$work/locales"
  # Warnings give a non-zero status; the locale is usable when it was written.
  localedef -i en_US -f ISO-8859-1 "$work/locales/en_US.ISO-8859-1" >/dev/null 2>&1 || true
  [ -f "$work/locales/en_US.ISO-8859-1/LC_CTYPE" ] && latin1=en_US.ISO-8859-1
fi

physical_kb=$(( $(getconf _PHYS_PAGES) * $(getconf PAGESIZE) / 1024 ))

for home in "${homes[@]}"; do
  echo "=== $home"
  library=$home/lib/server/libjvm.so
  [ -f "$library" ] || library=$home/lib/amd64/server/libjvm.so
  app_dir=$work/app-$(basename "$home")
  app=$(make_app "$app_dir" probe)
  cp "$classes"/*.class "$app_dir/"
  ini=$app_dir/probe.ini
  cd "$app_dir"

  # Arguments, "Cmd", environment, paths (a "\" in them read as "/", as
  # Windows reads "/"), resolved shares and the main thread's stack, in one launch.
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=${home//\//\\}" \
    "Virtual Machine Parameters=-Xint  -Xmx50P \"-Dprobe.value=%PROBE_VAR% q\" -Xss64m -Dprobe.stack=67108864 -Dprobe.none=%NO_SUCH_VAR%" \
    "Library Path=\\opt\\lib1;/opt/lib2" "System Path=/opt/sys1;\\opt\\sys2" \
    "[Class Path]" "Class Path=sub\\missing.jar;." \
    "[Application]" "Cmd=x \"y z\" \"\"  \"%PROBE_VAR%\" %PROBE_VAR%"
  # The cache's finisher variable with a value no launch writes: a launch
  # as any other, and the program does not see it.
  PROBE_VAR="v 1" LD_LIBRARY_PATH= LC_ALL=C.UTF-8 TARN_CACHE_FINISHER=1 \
    run_app "$app" alpha "beta gamma" "" "é"
  expect_status 0
  expect_line "$work/out" "env TARN_CACHE_FINISHER=<unset>"
  out=$work/out
  [ "$(lines_with "$out" "arg ")" = "$(printf '%s\n' 'arg 0 alpha' 'arg 1 beta gamma' 'arg 2 ' \
      'arg 3 \u00E9' 'arg 4 x' 'arg 5 y z' 'arg 6 v 1' \
      'arg 7 v' 'arg 8 1')" ] || fail "arguments"
  expect_line "$out" "env TARN_JVM_PATH=$library"
  expect_line "$out" "env TARN_JVM_HOME=$home"
  expect_line "$out" "env PATH=/opt/sys1:/opt/sys2:$PATH:$home/bin"
  expect_line "$out" "prop java.library.path=/opt/lib1:/opt/lib2:$app_dir/:.:$home/lib"
  expect_line "$out" "prop java.class.path=sub/missing.jar:."
  expect_line "$out" "prop probe.value=v 1 q"
  expect_line "$out" "vmarg -Xmx$(( physical_kb / 2 ))K"
  expect_line "$out" "vmarg -Xss64m"
  expect_line "$out" "vmarg -Dprobe.none=%NO_SUCH_VAR%"
  expect_text "$out" "stack like-sized"
  expect_line "$out" "daemon false"
  expect_line "$out" "main done"
  expect_text "$work/err" "to-err"

  # No arguments at all: an empty array. Without -Xss the main thread gets
  # the VM's default stack, the size its other threads get too.
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
    "Virtual Machine Parameters=-Xint -Dprobe.stack=0 -Dprobe.worker=1" \
    "[Class Path]" "Class Path=." "[Application]" "Embedded Jar=yes"
  run_app "$app"
  expect_status 0
  expect_line "$work/out" "args 0"
  expect_line "$work/out" "prop java.class.path=.:$app"
  expect_text "$work/out" "stack like-sized"
  # The process ended only once the program's own thread had.
  [ "$(tail -n 2 "$work/out")" = "$(printf 'main done\nworker done')" ] || fail "worker thread"

  # Non-ASCII arguments under a single-byte locale.
  if [ -n "$latin1" ]; then
    write_ini "$ini" \
      "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
      "[Class Path]" "Class Path=." "[Application]" "Cmd=$(printf 'c\xe4t')"
    run_app env LOCPATH="$work/locales" LC_ALL=$latin1 "$app" "$(printf '\xe9t\xe9')"
    expect_status 0
    expect_line "$work/out" 'arg 0 \u00E9t\u00E9'
    expect_line "$work/out" 'arg 1 c\u00E4t'
  else
    echo "no ISO-8859-1 locale could be made: single-byte case skipped"
  fi

  # System.exit decides the code.
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
    "Virtual Machine Parameters=-Dprobe.exit=7" "[Class Path]" "Class Path=."
  run_app "$app"
  expect_status 7

  # An uncaught exception with "Failure Check": both streams in their files,
  # which are emptied first; the launch still ends with 0.
  mkdir -p "$app_dir/logs"
  echo stale >"$app_dir/logs/out.log"
  echo stale >"$app_dir/logs/err.log"
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
    "Virtual Machine Parameters=-Dprobe.throw=1" "[Class Path]" "Class Path=." \
    "[Application]" "Failure Check=Yes" "Output File=%PROBE_DIR%\\out.log" \
    "Error File=logs\\err.log"
  PROBE_DIR=$app_dir/logs run_app "$app"
  expect_status 0
  [ ! -s "$work/out" ] || fail "standard output should be in the file"
  expect_line "$app_dir/logs/out.log" "args 0"
  expect_no_line "$app_dir/logs/out.log" "stale"
  expect_line "$app_dir/logs/err.log" "to-err"
  expect_line "$app_dir/logs/err.log" 'Exception in thread "main" java.lang.IllegalStateException: probe failure'
  expect_text "$app_dir/logs/err.log" "at Probe.main"
  expect_no_text "$work/err" "IllegalStateException"

  # Without it, and with files in a missing folder: the streams stay on the
  # console, the failure to open them is described there.
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
    "Virtual Machine Parameters=-Dprobe.throw=1" "[Class Path]" "Class Path=." \
    "[Application]" "Output File=nowhere/out.log" "Error File=nowhere/err.log"
  run_app "$app"
  expect_status 0
  expect_line "$work/out" "args 0"
  expect_text "$work/err" "java.io.FileNotFoundException"
  expect_text "$work/err" "java.lang.IllegalStateException: probe failure"
  [ ! -e "$app_dir/nowhere" ] || fail "no folder is made for the files"

  # A missing main class and one without a static main: -1, promptly (the
  # VM's teardown would wait forever for a Java main thread still attached;
  # the time limit only turns such a hang into a failure).
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=does.not.Exist" "JRE Path=$home" \
    "[Class Path]" "Class Path=."
  run_app timeout 120 "$app"
  expect_status 255
  expect_output $'Error: Could not find the main class does/not/Exist.\n \n'
  expect_text "$work/err" "NoClassDefFoundError"
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=NoMain" "JRE Path=$home" \
    "[Class Path]" "Class Path=."
  run_app timeout 120 "$app"
  expect_status 255
  expect_text "$work/err" "NoSuchMethodError"
  expect_no_text "$work/out" "should not run"

  # An option the VM refuses.
  write_ini "$ini" \
    "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
    "Virtual Machine Parameters=-Xbogus-option" "[Class Path]" "Class Path=."
  run_app "$app"
  expect_status 255
  expect_output $'Error: JNI exception: failed to create the Java VM\nReason: unknown.\n \n'
  expect_text "$work/err" "-Xbogus-option"
  cd "$work"
done

# Libraries that are not a VM: a file that is no library, and one without
# the entry points.
fake=$work/fake
mkdir -p "$fake/lib/server"
app=$(make_app "$work/fakeapp" probe)
write_ini "$work/fakeapp/probe.ini" \
  "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$fake" "[Class Path]" "Class Path=."
echo "not a library" >"$fake/lib/server/libjvm.so"
run_app "$app"
expect_status 255
expect_output "Error: Failed to load Java VM library: $fake/lib/server/libjvm.so (errno = 8)."$'\n \n'
cp "${homes[0]}/lib/server/libjsig.so" "$fake/lib/server/libjvm.so" 2>/dev/null ||
  cp "${homes[0]}/lib/amd64/server/libjsig.so" "$fake/lib/server/libjvm.so"
run_app "$app"
expect_status 255
expect_output $'Error: Windows exception: cannot find CreateJavaVM JNI (errno = 2).\n \n'
echo ok

# The launch trace with a real VM: a traced run behaves exactly as a plain
# one, and the trace says which configuration, runtime and options it used.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
unset TARN_TRACE JAVA_HOME

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/Probe.class" ] || fail "the Java test programs are not built"
home=""
for candidate in /usr/lib/jvm/*/; do
  [ -f "$candidate/lib/server/libjvm.so" ] && { home=$(realpath "$candidate"); break; }
done
[ -n "$home" ] || fail "no JDK under /usr/lib/jvm"

app_dir=$work/app
app=$(make_app "$app_dir" probe)
cp "$classes"/Probe.class "$app_dir/"
ini=$app_dir/probe.ini
write_ini "$ini" "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
  "Virtual Machine Parameters=-Xmx64m -Dprobe.value=%PROBE_VAR%" \
  "[Class Path]" "Class Path=$app_dir" "[Application]" "Cmd=x" "Splash Image=splash.png"
export PROBE_VAR=v

# Runs the launcher plainly and then with TARN_TRACE=$1; both must end alike,
# the traced run's standard error holding the plain one's lines and trace
# lines. Its trace lines are left in $work/traced.
compare_with_trace() {
  run_app "$app" alpha "beta gamma"
  local plain_status=$status
  cp "$work/out.raw" "$work/plain.out"
  cp "$work/err" "$work/plain.err"
  TARN_TRACE=$1 run_app "$app" alpha "beta gamma"
  [ "$status" = "$plain_status" ] || fail "exit code $status with the trace, $plain_status without"
  cmp -s "$work/plain.out" "$work/out.raw" || fail "standard output differs with the trace"
  grep -v '^tarn: ' "$work/err" >"$work/untraced" || true
  cmp -s "$work/plain.err" "$work/untraced" || fail "standard error differs beside the trace"
  grep '^tarn: ' "$work/err" >"$work/traced" || true
}

echo "TARN_TRACE=1: the trace on standard error, nothing else changes"
compare_with_trace 1
expect_status 0
trace=$work/traced
expect_line "$trace" "tarn: configuration file $ini: found"
expect_line "$trace" "tarn: JRE Path $home: taken whatever its version"
expect_line "$trace" "tarn: VM library loaded: $home/lib/server/libjvm.so"
expect_line "$trace" "tarn: VM option 1: -Djava.class.path=$app_dir"
expect_line "$trace" "tarn: VM option 3: -Dprobe.value=v"
expect_line "$trace" "tarn: Main Class=Probe"
expect_line "$trace" "tarn: splash: Splash Image=splash.png ignored: the splash screen is a Windows feature"
expect_line "$trace" "tarn: calling Probe.main, arguments: 3"
[ "$(tail -n 1 "$trace")" = "tarn: exit code 0" ] || fail "the trace does not end with the exit code"

echo "a file named by the variable, with variables expanded, appended to"
echo "tarn: an earlier run" >"$work/trace-v.log"
compare_with_trace "$work/trace-%PROBE_VAR%.log"
[ ! -s "$trace" ] || fail "trace lines on standard error with a trace file"
[ "$(head -n 1 "$work/trace-v.log")" = "tarn: an earlier run" ] || fail "the trace file was not appended to"
expect_line "$work/trace-v.log" "tarn: VM library loaded: $home/lib/server/libjvm.so"

echo "a file that cannot be opened: no trace, the launch untouched"
compare_with_trace "$work/missing/trace.log"
[ ! -s "$trace" ] || fail "trace lines on standard error"
[ ! -e "$work/missing" ] || fail "a folder was created for the trace"

echo "the trace file: never through a link, never another user's, new ones private"
echo "tarn: the link's target" >"$work/target.log"
ln -s "$work/target.log" "$work/link.log"
ln -s "$work/absent.log" "$work/dangling.log"
ln "$work/target.log" "$work/hard.log"
for name in link dangling hard; do
  compare_with_trace "$work/$name.log"
  [ ! -s "$trace" ] || fail "trace lines on standard error"
done
[ "$(cat "$work/target.log")" = "tarn: the link's target" ] || fail "the trace followed a link"
[ ! -e "$work/absent.log" ] || fail "the trace created a link's target"
if [ "$(id -u)" = 0 ]; then
  echo "tarn: another user's" >"$work/foreign.log"
  chown nobody "$work/foreign.log"
  compare_with_trace "$work/foreign.log"
  [ ! -s "$trace" ] || fail "trace lines on standard error"
  [ "$(cat "$work/foreign.log")" = "tarn: another user's" ] || fail "another user's file was traced to"
else
  echo "(another user's file: skipped, not running as root)"
fi
compare_with_trace "$work/new.log"
[ "$(stat -c %a "$work/new.log")" = 600 ] || fail "a new trace file has mode $(stat -c %a "$work/new.log")"

echo "two processes tracing to one file keep their lines whole"
long=$(printf '%*s' 20000 '' | tr ' ' x)
write_ini "$ini" "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$home" \
  "Virtual Machine Parameters=-Dprobe.long=$long" "[Class Path]" "Class Path=$app_dir"
for i in 1 2 3; do TARN_TRACE=$work/shared.log "$app" "$i" >/dev/null 2>&1 & done
wait
[ "$(grep -c '^tarn: exit code 0$' "$work/shared.log")" = 3 ] || fail "not every run's last line"
[ "$(grep -cxF "tarn: VM option 2: -Dprobe.long=$long" "$work/shared.log")" = 3 ] ||
  fail "a long line was broken"
grep -qv '^tarn: ' "$work/shared.log" && fail "lines were mixed: $(grep -v '^tarn: ' "$work/shared.log" | head -c 200)"

echo "no runtime fits: each installed one with the reason"
write_ini "$ini" "[Java Runtime Environment]" "Main Class=Probe" "Minimum Version=99" \
  "[Class Path]" "Class Path=$app_dir"
compare_with_trace 1
expect_status 255
expect_text "$trace" "tarn: runtime /usr/lib/jvm/"
expect_text "$trace" "library $home/lib/server/libjvm.so: turned down: below the minimum version 99.0"
expect_line "$trace" "tarn: no installed runtime accepted"
expect_text "$trace" "tarn: no runtime fits: message 207, The Java Runtime Environment (JRE) was not found."
[ "$(tail -n 1 "$trace")" = "tarn: exit code -1" ] || fail "the trace does not end with the exit code"

echo "a failure names its message"
write_ini "$ini" "[Java Runtime Environment]" "JRE Path=$home"
compare_with_trace 1
expect_line "$trace" "tarn: error 210: Main class was not specified in INI file."
echo ok

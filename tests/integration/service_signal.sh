# Linux service mode: the program runs in the foreground, the first SIGTERM
# or SIGINT calls its static stop, and the process ends when main returns.
# Single instance stays off for a service.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/a" ServiceProgram "Application Type=service" "Single Instance=yes")
state=$work/a/state
start_app "$work/first.out" "$app" a b
first=$started_pid
wait_for_file "$state/started"
start_app "$work/second.out" "$app" c
second=$started_pid
for i in $(seq 1200); do
  [ "$(wc -l <"$state/started")" = 2 ] && break
  sleep 0.05
done
expect_file "$state/started" "ServiceProgram" "ServiceProgram"

kill -TERM "$first"
wait_status "$first"
expect_status 0
kill -INT "$second"
wait_status "$second"
expect_status 0
expect_file "$state/stop" "called" "called"
expect_file "$state/main" "returned" "returned"
sort "$state/arguments" >"$work/sorted"
expect_file "$work/sorted" a b c

# A request that may come before the VM exists is kept until main runs.
# Sent once the launcher has taken the signal over (it ignores it for the
# VM's sake); before that the signal ends the process as any other.
rm -f "$state"/*
start_app "$work/early.out" "$app" early
early=$started_pid
for i in $(seq 1200); do
  ignored=$(sed -n 's/^SigIgn:\t*//p' "/proc/$early/status" 2>/dev/null || echo 0)
  (( (16#${ignored:-0} >> 14) & 1 )) && break
  sleep 0.01
done
kill -TERM "$early"
wait_status "$early"
expect_status 0
expect_file "$state/stop" "called"
expect_file "$state/main" "returned"

# An exception of stop goes to the thread's uncaught-exception handler:
# its "Exception in thread" line with the trace, in the error file.
rm -f "$state"/*
touch "$state/stop-throws"
echo "Error File=$work/a/err.log" >>"$work/a/viewer.ini"
start_app "$work/throws.out" "$app"
wait_for_file "$state/started"
kill -TERM "$started_pid"
wait_status "$started_pid"
expect_status 0
grep -q '^Exception in thread ".*" java.lang.IllegalStateException: stop failure' "$work/a/err.log" ||
  fail "stop's exception: $(cat "$work/a/err.log")"
rm "$state/stop-throws"

# The service manager learns a failure from the exit status: the program's
# own System.exit code, 255 after an uncaught exception of main, and 255
# when no runtime fits (the requirement on standard output, no prompt).
echo 3 >"$state/exit-with"
run_app timeout 60 "$app"
expect_status 3
rm "$state/exit-with"
touch "$state/throw" "$state/quit"
run_app timeout 60 "$app"
expect_status 255
rm "$state/throw"
sed -i 's/^\[Java Runtime Environment\]$/&\nMinimum Version=99/; /^JRE Path=/d' "$work/a/viewer.ini"
run_app timeout 60 "$app"
expect_status 255
grep -q "^Error: .*99" "$work/out" || fail "no requirement message"

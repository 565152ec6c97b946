# A void secondaryMain answers 0 before it runs; without secondaryMain the
# second instances wait for the first to end and exit with its code.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/void" InstanceVoid "Single Instance=yes" \
  "Error File=$(native_path "$work/void/err.log")")
state=$work/void/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
run_app "$app" x y
expect_status 0
wait_for_file "$state/received"
# It still runs: only the release lets it finish.
[ ! -e "$state/released" ] || fail "void secondaryMain ended before its release"
touch "$state/release"
wait_for_file "$state/released"
# An exception of secondaryMain goes to the thread's uncaught-exception
# handler, as main's does: its "Exception in thread" line with the trace.
run_app "$app" throw
expect_status 0
wait_for_text "$work/void/err.log" "at InstanceVoid.secondaryMain"
grep -q '^Exception in thread ".*" java.lang.IllegalStateException: secondaryMain failure' \
  "$work/void/err.log" || fail "secondaryMain's exception: $(cat "$work/void/err.log")"
touch "$state/quit"
wait_status "$first"
expect_status 0
expect_file "$state/received" "2 [x] [y]" "1 [throw]"

app=$(make_instance_app "$work/none" InstanceNone "Single Instance=yes")
state=$work/none/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
start_app "$work/second.out" "$app" second
second=$started_pid
start_app "$work/third.out" "$app" third
third=$started_pid
# Neither can end before the first does.
sleep 1
kill -0 "$second" 2>/dev/null || fail "second instance ended while the first runs"
kill -0 "$third" 2>/dev/null || fail "third instance ended while the first runs"
touch "$state/quit"
wait_status "$first"
expect_status 5
wait_status "$second"
expect_status 5
wait_status "$third"
expect_status 5
expect_file "$state/main" "InstanceNone 1 [first]"

# main has returned but a program thread still runs: hand-overs still reach
# the program until that thread ends.
app=$(make_instance_app "$work/linger" InstanceLinger "Single Instance=yes")
state=$work/linger/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
run_app "$app" late
expect_status 41
touch "$state/quit"
wait_status "$first"
expect_status 0
expect_file "$state/received" "1 [late]"
expect_file "$state/worker" "ended"

# A first instance whose program ends through System.exit (its shutdown
# hook still runs) refuses a second start, although the launch's teardown
# never comes: that start then runs main itself once the first has gone.
# Before the exit, hand-overs reach secondaryMain as ever.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/a" InstanceExit "Single Instance=yes")
state=$work/a/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
start_app "$work/early.out" "$app" early
wait_status "$started_pid"
expect_status 41

start_late_while_ending "$app"
wait_status "$first"
expect_status 3
wait_status "$late"
expect_status 3
expect_file "$state/received" "1 [early]"
expect_file "$state/main" "InstanceExit 1 [first]" "InstanceExit 1 [late]"

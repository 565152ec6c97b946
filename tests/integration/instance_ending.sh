# A first instance that is ending (main has returned, a slow shutdown hook
# still runs) refuses a second start, which then runs main itself once the
# first has gone. Arguments taken but not delivered (no secondaryMain) never
# end in success, although the first instance ends with 0.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/a" InstanceHook "Single Instance=yes")
state=$work/a/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
TARN_TRACE=$(native_path "$work/taken.trace") start_app "$work/taken.out" "$app" taken
taken=$started_pid
wait_for_text "$work/taken.trace" "took the arguments"

start_late_while_ending "$app"
wait_status "$first"
expect_status 0
wait_status "$taken"
expect_status 255
wait_status "$late"
expect_status 0
expect_file "$state/main" "InstanceHook 1 [first]" "InstanceHook 1 [late]"

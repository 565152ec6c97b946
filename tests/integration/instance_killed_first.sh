# A first instance killed outright leaves its block behind: a second one
# waiting for it ends with -1 (there is no exit code to be had), and the
# next start notices the dead owner and becomes the first instance.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/a" InstanceNone "Single Instance=yes")
state=$work/a/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
start_app "$work/waiting.out" "$app" waiting
waiting=$started_pid
sleep 1
kill -KILL "$first"
wait_status "$first"
wait_status "$waiting"
expect_status 255
rm "$state/started"

start_app "$work/again.out" "$app" again
again=$started_pid
wait_for_file "$state/started"
start_app "$work/second.out" "$app" second
second=$started_pid
sleep 1
touch "$state/quit"
wait_status "$again"
expect_status 5
wait_status "$second"
expect_status 5
expect_file "$state/main" "InstanceNone 1 [first]" "InstanceNone 1 [again]"

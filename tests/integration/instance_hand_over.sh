# A second instance hands its arguments to the first instance's int
# secondaryMain and exits with its answer.
source "$(dirname "$0")/instance_lib.sh"
export LC_ALL=C.UTF-8

app=$(make_instance_app "$work/a" InstanceInt "Single Instance=yes")
state=$work/a/state
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"

run_app "$app" one "Grüße, 日本"
expect_status 42
run_app "$app"
expect_status 41
# The layout cannot carry an empty argument: the list ends there.
run_app "$app" a "" c
expect_status 41
# 1040 bytes of area: 1100 bytes of text never fit; the first is not told.
run_app "$app" "$(printf 'x%.0s' $(seq 1100))"
expect_status 255
expect_file "$state/received" "2 [one] [Grüße, 日本]" "1 []" "1 [a]"

# "Yes" is not "yes": every start runs its own main.
other=$(make_instance_app "$work/b" InstanceInt "Single Instance=Yes")
run_app "$other" once
expect_status 0
run_app "$other" once
expect_status 0
expect_file "$work/b/state/main" "InstanceInt 1 [once]" "InstanceInt 1 [once]"

# The same program in another folder is another application.
third=$(make_instance_app "$work/c" InstanceInt "Single Instance=yes")
run_app "$third" once
expect_status 0
expect_file "$work/c/state/main" "InstanceInt 1 [once]"

touch "$state/quit"
wait_status "$first"
expect_status 0
expect_file "$state/main" "InstanceInt 1 [first]"

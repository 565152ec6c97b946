# The service under Wine's service control manager, on a real runtime:
# install, start with parameters, running, stop (pending, then stopped)
# through the program's stop, the parameters after the command line's; a
# failed launch, a System.exit code, an uncaught exception and no runtime at
# all end the service with a service-specific exit code, and no runtime
# shows no dialog.
source "$(dirname "$0")/instance_lib.sh"
unset JAVA_HOME

# A prefix of its own: the services and the persistent wineserver below
# must not touch the other tests' prefix.
export WINEPREFIX=$TARN_BINARY_DIR/wine-services-prefix
"$TARN_SOURCE_DIR/scripts/wine-prefix" "$WINEPREFIX"
name=tarn-test-$$
xvfb=""
cleanup() {
  wine sc delete "$name" >/dev/null 2>&1 || true
  end_wineserver
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# A display the services can open windows on, so that a dialog that
# nobody can answer would show up as a service that never stops.
start_xvfb
# The service manager ends with the last ordinary program of the prefix.
wineserver -p

app=$(make_instance_app "$work/svc" ServiceProgram "Application Type=service" "Single Instance=yes")
state=$work/svc/state

# query_state: the number sc reports as STATE, in $service_state.
query_state() {
  service_state=$(wine sc query "$name" | sed -n 's/^ *STATE *: *\([0-9]*\).*/\1/p')
}

# expect_exit_codes <Win32 exit code> <service-specific exit code>
expect_exit_codes() {
  wine sc query "$name" | sed 's/\r$//' >"$work/query"
  grep -q "WIN32_EXIT_CODE *: *$1 " "$work/query" && grep -q "SERVICE_EXIT_CODE *: *$2 " "$work/query" ||
    fail "exit codes, expected $1 and $2: $(cat "$work/query")"
}

wait_state() {
  local i
  for i in $(seq 600); do
    query_state
    [ "$service_state" = "$1" ] && return 0
    sleep 0.1
  done
  fail "service never reached state $1 (last: $service_state)"
}

# sc_retried <sc arguments>: Wine's manager may still hold the last run's
# process for a moment after it reported stopped, and then refuses a start;
# a manager just started may refuse a create: try again briefly.
sc_retried() {
  local i
  for i in $(seq 30); do
    wine sc "$@" >"$work/out.raw" && return 0
    sleep 0.2
  done
  return 1
}

sc_retried create "$name" binpath= "$(native_path "$app") a" || fail "sc create"
# Held after stop until the pending state has been read: a loaded machine
# could otherwise end the program before sc shows its answer.
touch "$state/hold"
sc_retried start "$name" p1 p2 || fail "sc start"
wait_for_file "$state/started"
query_state
[ "$service_state" = 4 ] || fail "started service in state $service_state, expected 4 (running)"
# Started from a console, the service executable does nothing and exits
# with 0; it is no second instance of the running service either.
run_app "$app" console
expect_status 0
expect_output ""

wine sc stop "$name" | sed 's/\r$//' >"$work/stop"
grep -q 'STATE *: *3 ' "$work/stop" || fail "stop answered: $(cat "$work/stop")"
grep -q 'WAIT_HINT *: *0xbb8' "$work/stop" || fail "stop pending without its wait hint"
touch "$state/release"
wait_state 1
expect_exit_codes 0 0
expect_file "$state/stop" "called"
expect_file "$state/main" "returned"
# Command line first, then what the control manager passed, its name first.
expect_file "$state/arguments" a "$name" p1 p2

# No VM (it refuses an option): running, then stopped at once with the
# launcher's -1 as the service-specific code, so that recovery actions fire.
rm -f "$state"/*
sed -i.vm 's/^Virtual Machine Parameters=.*/& -XX:+NoSuchTarnOption/' "$work/svc/viewer.ini"
sc_retried start "$name" || fail "sc start without a VM"
wait_state 1
expect_exit_codes 1066 4294967295
[ ! -e "$state/started" ] || fail "main ran without a VM"
mv "$work/svc/viewer.ini.vm" "$work/svc/viewer.ini"

# The program ends the service with System.exit(7).
rm -f "$state"/*
echo 7 >"$state/exit-with"
sc_retried start "$name" || fail "sc start of a program that exits"
wait_state 1
expect_exit_codes 1066 7

# main throws while another thread of the program goes on: the service runs
# until that thread has ended, then reports the launcher's -1.
rm -f "$state"/*
touch "$state/throw"
sc_retried start "$name" || fail "sc start of a program that throws"
wait_for_file "$state/threads"
query_state
[ "$service_state" = 4 ] || fail "state $service_state while the program still runs, expected 4"
touch "$state/quit"
wait_state 1
expect_exit_codes 1066 4294967295

# No runtime: the requirement goes nowhere a window would wait, and the
# service stops at once instead of timing out.
rm -f "$state"/*
sed -i 's/^JRE Path=.*/JRE Path=C:\\nowhere/' "$work/svc/viewer.ini"
wine sc start "$name" >"$work/out.raw" || true
wait_state 1
expect_exit_codes 1066 4294967295
[ -z "$(xdotool search --name 'JRE Not Found' 2>/dev/null)" ] || fail "a window was shown"

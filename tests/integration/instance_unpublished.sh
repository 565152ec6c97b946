# A block whose owner has not yet published its message thread: a second
# instance waits for it rather than giving up at once. Here the owner ends
# instead, having taken nothing: the second instance starts over and runs
# main itself.
source "$(dirname "$0")/instance_lib.sh"

app=$(make_instance_app "$work/a" InstanceInt "Single Instance=yes")
state=$work/a/state
holder="" second=""
# A failure leaves nothing running.
trap 'kill $holder $second 2>/dev/null || true; rm -rf "$work"' EXIT
if [ -n "$runner" ]; then
  start_app "$work/holder.out" "${3:?half_first helper}" "$(native_path "$app")" \
    "$(native_path "$state")"
else
  # The block as a first instance leaves it right after taking ownership:
  # empty, with the owner lock (byte 1) held.
  export XDG_RUNTIME_DIR=$work/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  start_app "$work/holder.out" python3 -c '
import fcntl, os, sys, time
path = os.path.realpath(sys.argv[1]).encode()
name = 14695981039346656037
for byte in path:
    name = ((name ^ byte) * 1099511628211) % 2**64
os.mkdir(sys.argv[2], 0o700)
fd = os.open("%s/%016x" % (sys.argv[2], name), os.O_RDWR | os.O_CREAT, 0o600)
fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB, 1, 1)
open(sys.argv[3] + "/holding", "w").close()
while not os.path.exists(sys.argv[3] + "/go"):
    time.sleep(0.02)
sys.exit(7)' "$app" "$XDG_RUNTIME_DIR/tarn" "$state"
fi
holder=$started_pid
wait_for_file "$state/holding"
TARN_TRACE=$(native_path "$work/trace") start_app "$work/second.out" "$app" late
second=$started_pid
# The owner goes only once the second instance waits for it.
for _ in $(seq 1200); do
  grep -q "still setting up" "$work/trace" 2>/dev/null && break
  kill -0 "$second" 2>/dev/null ||
    fail "gave up on a first instance still setting up: $(cat "$work/second.out")"
  sleep 0.05
done
grep -q "still setting up" "$work/trace" || fail "never waited: $(cat "$work/trace")"
touch "$state/go"
wait_status "$holder"
expect_status 7
wait_for_file "$state/started"
touch "$state/quit"
wait_status "$second"
expect_status 0
expect_file "$state/main" "InstanceInt 1 [late]"

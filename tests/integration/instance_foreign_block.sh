# The channel's folder and block must be this user's alone: ones another
# user made first are never used, nothing is handed to them, and every start
# runs as an ordinary launch.
source "$(dirname "$0")/instance_lib.sh"

other=54321  # a user id of no account
as_other() { setpriv --reuid="$other" --regid="$other" --clear-groups "$@"; }
# A runtime folder anyone may write in, as /dev/shm is.
chmod 711 "$work"
mkdir -m 1777 "$work/run"
export XDG_RUNTIME_DIR=$work/run
app=$(make_instance_app "$work/a" InstanceInt "Single Instance=yes")
state=$work/a/state
one="" two=""
# A failure leaves nothing running.
trap 'kill $one $two 2>/dev/null || true; rm -rf "$work"' EXIT

# Two starts that must both run main.
expect_two_mains() {
  rm -f "$state"/*
  start_app "$work/one.out" "$app" one
  one=$started_pid
  wait_for_file "$state/started"
  start_app "$work/two.out" "$app" two
  two=$started_pid
  for _ in $(seq 1200); do
    [ "$(wc -l <"$state/started")" = 2 ] && break
    kill -0 "$two" 2>/dev/null || break
    sleep 0.05
  done
  touch "$state/quit"
  wait_status "$one"
  expect_status 0
  wait_status "$two"
  expect_status 0
  [ ! -e "$state/received" ] || fail "a hand-over went through: $(cat "$state/received")"
  sort "$state/main" >"$work/main"
  expect_file "$work/main" "InstanceInt 1 [one]" "InstanceInt 1 [two]"
}

# The other user made the folder of blocks.
as_other mkdir -m 777 "$work/run/tarn"
expect_two_mains
[ -z "$(ls -A "$work/run/tarn")" ] || fail "left in the other user's folder: $(ls "$work/run/tarn")"
rm -r "$work/run/tarn"

# The folder is this user's, the block in it another user's. Its name is
# learnt from a first instance that is then killed, leaving the block.
rm -f "$state"/*
start_app "$work/first.out" "$app" first
first=$started_pid
wait_for_file "$state/started"
block=$(echo "$work/run/tarn"/*)
[ -f "$block" ] || fail "no block in $work/run/tarn"
kill -KILL "$first"
wait_status "$first"
chown "$other:$other" "$block"
chmod 666 "$block"
head -c 1052 /dev/urandom >"$block"
cp "$block" "$work/planted"
expect_two_mains
cmp -s "$block" "$work/planted" || fail "the other user's block was written"

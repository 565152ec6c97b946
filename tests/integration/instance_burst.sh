# Copies started at one instant, several rounds: one runs main, every other
# one's arguments reach secondaryMain exactly once, and each exits with its
# own answer (40 plus its argument count; copy k has k arguments).
source "$(dirname "$0")/instance_lib.sh"

copies=10
rounds=4
[ -n "$runner" ] && rounds=3
burst=${3:-}
app=$(make_instance_app "$work/a" InstanceInt "Single Instance=yes")
state=$work/a/state
results=$work/results
pids=()
# A failed round leaves no copy behind.
trap 'touch "$state/quit"; kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

# Starts the copies; each one's "k code" line goes to $results as it ends.
# Under Wine a helper creates them suspended and lets them go together;
# here they wait on a shared lock that is let go once all have started.
start_copies() {
  pids=()
  if [ -n "$runner" ]; then
    $runner "${burst:?burst helper}" "$copies" "$round" "$(native_path "$app")" >"$results" 2>&1 &
    pids=($!)
    return
  fi
  local gate k i arguments
  exec {gate}>"$work/gate"
  flock -x "$gate"
  for k in $(seq "$copies"); do
    arguments=()
    for i in $(seq "$k"); do arguments+=("$round.$k.$i"); done
    (
      exec {gate}>&-
      flock -s "$work/gate" true
      set +e
      "$app" "${arguments[@]}" >>"$work/out" 2>&1
      echo "$k $?" >>"$results"
    ) &
    pids+=($!)
  done
  sleep 0.3
  exec {gate}>&-
}

# The copies that have ended, bounded: a lost hand-over fails the round.
ended() { sed -n 's/^\([0-9]*\) \(-\?[0-9]*\)\r\?$/\1 \2/p' "$results" 2>/dev/null; }
wait_for_ended() {
  local i
  for i in $(seq 1200); do
    [ "$(ended | wc -l)" -ge "$1" ] && return 0
    sleep 0.05
  done
  fail "round $round: $(ended | wc -l) copies ended, expected $1: $(cat "$results")"
}

# What secondaryMain records for copy $1 of this round.
line() {
  local i text=$1
  for i in $(seq "$1"); do text+=" [$round.$1.$i]"; done
  echo "$text"
}

for round in $(seq "$rounds"); do
  rm -f "$state"/* "$results"
  start_copies
  wait_for_ended $((copies - 1))
  touch "$state/quit"
  wait_for_ended "$copies"
  for pid in "${pids[@]}"; do wait_status "$pid"; done
  first=""
  while read -r k code; do
    if [ "$code" = 0 ] && [ -z "$first" ]; then
      first=$k
    else
      [ "$code" = $((40 + k)) ] || fail "round $round: copy $k exited with $code: $(cat "$results")"
    fi
  done < <(ended)
  [ -n "$first" ] || fail "round $round: no copy ran main"

  expect_file "$state/main" "InstanceInt $(line "$first")"
  expected=()
  for k in $(seq "$copies"); do [ "$k" = "$first" ] || expected+=("$(line "$k")"); done
  sort "$state/received" >"$work/received"
  printf '%s\n' "${expected[@]}" | sort >"$work/expected-received"
  cmp -s "$work/received" "$work/expected-received" ||
    fail "round $round: secondaryMain received: $(cat "$state/received")"
done

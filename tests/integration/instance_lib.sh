# Helpers of the single-instance and service tests: an application folder
# with its INI, a runtime to point "JRE Path" at, and bounded waits.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

classes=$TARN_BINARY_DIR/tests/java/classes

# Sets runtime, the folder the INI names: a real JDK on Linux; under Wine the
# fetched Windows runtime of the Java version given as the test's second
# argument (17 or 25).
pick_runtime() {
  local home
  if [ -n "$runner" ]; then
    need_windows_runtimes
    runtime=$TARN_RUNTIMES/windows-${1:?Java version of the Windows runtime}
    [ -d "$runtime" ] || fail "no runtime $runtime"
    return
  fi
  for home in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/*; do
    if [ -f "$home/lib/server/libjvm.so" ]; then
      runtime=$home
      return
    fi
  done
  fail "no JDK under /usr/lib/jvm"
}

# The path as the launcher sees it: Z:\... under Wine.
native_path() {
  if [ -n "$runner" ]; then
    echo "Z:${1//\//\\}"
  else
    echo "$1"
  fi
}

# make_instance_app <folder> <main class> [extra [Application] lines...]:
# the launcher copy as <folder>/viewer, its state folder <folder>/state.
# Prints the copy's path.
make_instance_app() {
  local folder=$1 main=$2 app
  shift 2
  app=$(make_app "$folder" viewer)
  mkdir -p "$folder/state"
  {
    echo "[Java Runtime Environment]"
    echo "Main Class=$main"
    echo "JRE Path=$(native_path "$runtime")"
    echo "Virtual Machine Parameters=-Dstate.dir=$(native_path "$folder/state")"
    echo "[Class Path]"
    echo "Class Path=$(native_path "$classes")"
    echo "[Application]"
    local line
    for line in "$@"; do echo "$line"; done
  } >"$folder/viewer.ini"
  echo "$app"
}

# Starts a launcher copy in the background; its pid in $started_pid.
start_app() {
  local out=$1
  shift
  if [ -n "$runner" ]; then
    $runner "$@" >"$out" 2>&1 &
  else
    "$@" >"$out" 2>&1 &
  fi
  started_pid=$!
}

# Lets the first instance's program end, holds it in its shutdown hook, and
# starts a late second one there, which must see its arguments refused; its
# pid in $late. The state folder is $state.
start_late_while_ending() {
  touch "$state/quit"
  wait_for_file "$state/hook"
  TARN_TRACE=$(native_path "$work/late.trace") start_app "$work/late.out" "$1" late
  late=$started_pid
  wait_for_text "$work/late.trace" "refused the arguments"
  touch "$state/end"
}

# Waits (bounded, so that a broken launcher fails instead of hanging) until
# the file exists.
wait_for_file() {
  local i
  for i in $(seq 1200); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  fail "never appeared: $1"
}

# Waits (bounded) until the file holds the text.
wait_for_text() {
  timeout 120 bash -c 'until grep -qF -- "$2" "$1" 2>/dev/null; do sleep 0.05; done' _ "$1" "$2" ||
    fail "never found \"$2\" in $1: $(cat "$1" 2>/dev/null)"
}

# Waits for a background process and sets $status to its exit code.
wait_status() {
  set +e
  wait "$1"
  status=$?
  set -e
}

expect_file() {
  printf '%s\n' "${@:2}" >"$work/expected"
  sed 's/\r$//' "$1" >"$work/actual" 2>/dev/null || : >"$work/actual"
  cmp -s "$work/expected" "$work/actual" ||
    fail "$1 holds: $(cat "$work/actual"), expected: $(cat "$work/expected")"
}

pick_runtime "${2:-}"

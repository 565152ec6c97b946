# Helpers shared by the integration tests. Each test gets the launcher's
# path as $1; TARN_RUNNER is "wine" for tarn.exe.
set -euo pipefail

launcher=${1:?usage: <test> <launcher>}
runner=${TARN_RUNNER:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The Wine path of a Linux path (drive Z: is the root).
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# $jre: a runtime folder whose VM is the test VM library given, recording
# what the launcher asks of it into $record.
use_test_vm() {
  jre=$work/jre
  mkdir -p "$jre/bin/server"
  cp "${1:?test VM library}" "$jre/bin/server/jvm.dll"
  record=$work/record
  export TESTVM_RECORD
  TESTVM_RECORD=$(winpath "$record")
}

# An X server of its own in $DISPLAY, its pid in $xvfb. Xvfb picks a free
# display itself, so tests that start one at the same time never collide.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(head -n 1 "$work/display")
}

# A Wine prefix and an X display of their own for the tests that open
# windows (they share them, serialised by a lock): a wineserver that started
# without a display never opens windows. Ends both on exit.
start_dialog_display() {
  export WINEPREFIX=${TARN_BINARY_DIR:?}/wine-prefix-dialog
  "$TARN_SOURCE_DIR/scripts/wine-prefix" "$WINEPREFIX"
  start_xvfb
  trap 'end_wineserver; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
}

# Ends the prefix's wineserver and waits until it has gone: the next test of
# the prefix would otherwise meet it still ending, and its programs fail to
# start without a word.
end_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# Copies the launcher into a folder under the name an application gives it.
# Prints the copy's path.
make_app() {
  local folder=$1 name=$2 extension=""
  [ -n "$runner" ] && extension=.exe
  mkdir -p "$folder"
  cp "$launcher" "$folder/$name$extension"
  echo "$folder/$name$extension"
}

# Runs a launcher copy; its standard output goes to $work/out (CRLF turned
# into LF), its exit code to $status.
run_app() {
  set +e
  if [ -n "$runner" ]; then
    $runner "$@" >"$work/out.raw" 2>"$work/err"
  else
    "$@" >"$work/out.raw" 2>"$work/err"
  fi
  status=$?
  set -e
  sed 's/\r$//' "$work/out.raw" >"$work/out"
  [ -n "$runner" ] && drop_wine_vm_warnings "$work/err"
  return 0
}

# Java 21 and later under Wine warn on standard error that Wine lacks a call
# (docs/wine.md); the line says nothing about the launch, so tests drop it.
# Also turns CRLF into LF.
drop_wine_vm_warnings() {
  sed -i -e 's/\r$//' -e '/^OpenJDK 64-Bit Server VM warning: Attempt to get process group affinity failed/d' "$1"
}

fail() {
  echo "FAIL: $*" >&2
  echo "--- stdout:" >&2; cat "$work/out.raw" >&2 || true
  echo "--- stderr:" >&2; cat "$work/err" >&2 || true
  local report
  for report in $(find "$work" -name 'hs_err_pid*.log' 2>/dev/null); do
    echo "--- the VM's fatal error report $report:" >&2
    head -n 60 "$report" >&2
  done
  exit 1
}

expect_status() { [ "$status" = "$1" ] || fail "exit code $status, expected $1"; }

expect_output() {
  printf '%s' "$1" >"$work/expected"
  cmp -s "$work/expected" "$work/out" || fail "unexpected standard output"
}

# Sets classes to the folder of the compiled Java test programs (tests/java).
need_java_classes() {
  classes=${TARN_BINARY_DIR:?}/tests/java/classes
  [ -f "$classes/Probe.class" ] || fail "the Java test programs are not built"
}

# The version a runtime folder's release file states.
runtime_version() { tr -d '\r' <"$1/release" | sed -n 's/^JAVA_VERSION="\(.*\)"$/\1/p'; }

# Sets windows_runtimes to the real Windows runtimes that scripts/runtimes
# fetched (Java 17 and 25). Without them the test is skipped, saying why.
need_windows_runtimes() {
  windows_runtimes=()
  local name
  for name in windows-17 windows-25; do
    [ -f "${TARN_RUNTIMES:?}/$name/bin/server/jvm.dll" ] && windows_runtimes+=("$TARN_RUNTIMES/$name")
  done
  if [ ${#windows_runtimes[@]} -lt 2 ]; then
    echo "SKIPPED: no real Windows runtimes under $TARN_RUNTIMES (scripts/runtimes fetches them from the Python package index)"
    exit 77
  fi
}

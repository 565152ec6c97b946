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

# A Wine prefix and an X display of their own for the tests that open
# windows (they share them, serialised by a lock): a wineserver that started
# without a display never opens windows. Ends both on exit.
start_dialog_display() {
  export WINEPREFIX=${TARN_BINARY_DIR:?}/wine-prefix-dialog
  "$TARN_SOURCE_DIR/scripts/wine-prefix" "$WINEPREFIX"
  local display="" n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
  done
  [ -n "$display" ] || fail "no free display"
  Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
  export DISPLAY=:$display
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
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
}

fail() {
  echo "FAIL: $*" >&2
  echo "--- stdout:" >&2; cat "$work/out.raw" >&2 || true
  echo "--- stderr:" >&2; cat "$work/err" >&2 || true
  exit 1
}

expect_status() { [ "$status" = "$1" ] || fail "exit code $status, expected $1"; }

expect_output() {
  printf '%s' "$1" >"$work/expected"
  cmp -s "$work/expected" "$work/out" || fail "unexpected standard output"
}

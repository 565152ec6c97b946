# Helpers shared by the integration tests. Each test gets the launcher's
# path as $1; TARN_RUNNER is "wine" for tarn.exe.
set -euo pipefail

launcher=${1:?usage: <test> <launcher>}
runner=${TARN_RUNNER:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

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

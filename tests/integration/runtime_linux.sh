# Runtime selection on Linux: the installed runtimes of /usr/lib/jvm are
# found without configuration, the message when nothing fits, and the
# terminal prompt whose answer is remembered for the next start.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/Probe.class" ] || fail "the Java test programs are not built"

# The installed runtimes, newest first, each once: "version home".
installed=$work/installed
declare -A seen=()
for folder in /usr/lib/jvm/*/ /usr/java/*/ /opt/java/*/; do
  [ -d "$folder" ] || continue
  real=$(realpath "$folder")
  [ -n "${seen[$real]:-}" ] && continue
  seen[$real]=1
  [ -f "$real/lib/server/libjvm.so" ] || continue
  version=$(sed -n 's/^JAVA_VERSION="\(.*\)"/\1/p' "$real/release" 2>/dev/null)
  echo "$version $real"
done | sort -rV >"$installed"
[ -s "$installed" ] || fail "no runtime under /usr/lib/jvm"
read -r newest_version newest <"$installed"

app_dir=$work/app
app=$(make_app "$app_dir" probe)
cp "$classes"/*.class "$app_dir/"
ini=$app_dir/probe.ini
unset JAVA_HOME
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
settings() {
  write_ini "$ini" "[Java Runtime Environment]" "Main Class=Probe" "$@" \
    "[Class Path]" "Class Path=." "[Product Information]" "Product Name=Probe" "Product Code=P1"
}
cd "$app_dir"

echo "no configuration: the newest installed runtime"
settings
run_app "$app" </dev/null
expect_status 0
expect_line "$work/out" "env TARN_JVM_PATH=$newest/lib/server/libjvm.so"
expect_line "$work/out" "env TARN_JVM_HOME=$newest"

if [ "$(wc -l <"$installed")" -gt 1 ]; then
  echo "a maximum below the newest takes the next one"
  read -r _ second < <(sed -n 2p "$installed")
  settings "Maximum Version=$(sed -n 2p "$installed" | cut -d' ' -f1)"
  run_app "$app" </dev/null
  expect_status 0
  expect_line "$work/out" "env TARN_JVM_PATH=$second/lib/server/libjvm.so"
fi

echo "nothing fits and no terminal: the message with each runtime found and why, then -1"
settings "Minimum Version=999"
run_app "$app" </dev/null
expect_status 255
[ "$(sed -n 1,2p "$work/out")" = "Error: The Java Runtime Environment (JRE) was not found. Please  download \
and install a JRE (minimum version 999.0) from: https://adoptium.net/marketplace/
Java runtimes found, and why none fits:" ] || fail "message: $(cat "$work/out")"
arch=$(uname -m | sed 's/^aarch64$/arm64/')
while read -r _ home; do
  grep -qE "^- Java [0-9.]+ \($arch\) in $home/: below the minimum version 999\.0 ?\$" "$work/out" ||
    fail "no line for $home: $(cat "$work/out")"
done < <(head -n 5 "$installed")
message=$(cat "$work/out")

echo "the terminal prompt: re-asks, an empty line cancels"
prompt="If you have a JRE installed, enter its folder (an empty line cancels): "
mkdir -p "$work/empty"
set +e
python3 "$TARN_SOURCE_DIR/tests/integration/runtime_prompt.py" "$app" "$work/empty" "" >"$work/tty"
status=$?
set -e
expect_status 255
printf '%s\n%s%s\n%s\n' "$message" "$prompt" "$work/empty" "No usable Java VM was found in $work/empty." >"$work/expected"
printf '%s\n' "$prompt" >>"$work/expected"
head -c "$(wc -c <"$work/expected")" "$work/tty" | cmp -s - "$work/expected" || {
  cat "$work/tty" >&2; fail "prompt dialogue"; }
[ -f "$XDG_CONFIG_HOME/Probe/P1/probe.ini" ] && fail "a cancelled prompt wrote a folder"

echo "end of input cancels too"
set +e
python3 "$TARN_SOURCE_DIR/tests/integration/runtime_prompt.py" "$app" "<EOF>" >"$work/tty"
status=$?
set -e
expect_status 255

echo "a usable folder is taken and remembered"
set +e
python3 "$TARN_SOURCE_DIR/tests/integration/runtime_prompt.py" "$app" "$newest" >"$work/tty"
status=$?
set -e
expect_status 0
expect_line "$work/tty" "env TARN_JVM_PATH=$newest/lib/server/libjvm.so"
expect_line "$XDG_CONFIG_HOME/Probe/P1/probe.ini" "JRE Path=$newest/"

echo "the next start takes the remembered folder, whatever the limits"
run_app "$app" </dev/null
expect_status 0
expect_line "$work/out" "env TARN_JVM_PATH=$newest/lib/server/libjvm.so"
echo ok

# "Attach Console=Yes" in tarnw.exe on a real Java under Wine, started from a
# console as a command prompt starts a window program: System.out, System.err
# and the launcher's own error line reach that console; a standard output
# redirected to a file stays there; without the key nothing reaches it.
# console_attach.sh <tarn.exe> <tarnw.exe> <console_host.exe>
source "$(dirname "$0")/lib.sh"
windowed=${2:?usage: console_attach.sh <tarn.exe> <tarnw.exe> <console_host.exe>}
host=${3:?usage: console_attach.sh <tarn.exe> <tarnw.exe> <console_host.exe>}
command -v Xvfb >/dev/null || { echo "no Xvfb: skipped"; exit 0; }
need_windows_runtimes
start_dialog_display  # Wine's console host needs a display to make a console

mkdir -p "$work/app"
printf '%s\n' 'public class Main { public static void main(String[] args) {' \
  'System.out.println("to out " + args.length); System.err.println("to err"); } }' >"$work/Main.java"
"$(ls /usr/lib/jvm/*/bin/javac | head -1)" --release 8 -d "$work/app" "$work/Main.java" 2>/dev/null
cp "$windowed" "$work/app/viewer.exe"
# from_console MAIN-CLASS ATTACH [console_host's arguments]: the console's text in $work/screen.
from_console() {
  printf '%s\r\n' "[Java Runtime Environment]" "Main Class=$1" "JRE Path=$(winpath "${windows_runtimes[0]}")" \
    "[Class Path]" "Class Path=$(winpath "$work/app")" "[Application]" "Attach Console=$2" >"$work/app/viewer.ini"
  shift 2
  set +e
  wine "$host" "$(winpath "$work/screen")" "$@" "$(winpath "$work/app/viewer.exe")" a b >/dev/null 2>&1
  status=$?
  set -e
  screen=$(cat "$work/screen")
}

echo "asked: the console shows both streams"
from_console Main Yes
expect_status 0
[ "$screen" = $'to out 2\nto err' ] || fail "console: $screen"

echo "redirected: standard output stays in its file"
from_console Main Yes --stdout "$(winpath "$work/out")"
[ "$screen" = "to err" ] && [ "$(tr -d '\r' <"$work/out")" = "to out 2" ] || fail "console: $screen"

echo "the launcher's own error line reaches the console"
from_console Missing Yes
expect_status 255
grep -qxF "Error: Could not find the main class Missing." <<<"$screen" || fail "console: $screen"

echo "not asked: nothing reaches the console"
from_console Main No
expect_status 0
[ -z "$screen" ] || fail "console: $screen"
echo ok

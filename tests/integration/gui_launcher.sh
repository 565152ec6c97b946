# The windowed launcher under Wine: its error lines in message boxes (read
# back from the window under Xvfb), the runtime dialog as the console
# launcher shows it, lines on a redirected standard output instead of a box,
# no hang when no box can be shown at all, and a Swing program's window on
# each real runtime (Java 17 and 25), found in a screenshot.
# gui_launcher.sh <tarn.exe> <tarnw.exe> <dialog_probe.exe>
source "$(dirname "$0")/lib.sh"
windowed=${2:?usage: gui_launcher.sh <tarn.exe> <tarnw.exe> <dialog_probe.exe>}
probe=${3:?usage: gui_launcher.sh <tarn.exe> <tarnw.exe> <dialog_probe.exe>}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "no Xvfb/xdotool: skipped"; exit 0; }

no_main_class() { printf '[Product Information]\r\nProduct Name=%s\r\n' "$1" >"$work/app/viewer.ini"; }
line210="Error: Main class was not specified in INI file. "

# The console launcher's exit code and line, for comparison.
app=$(make_app "$work/app" viewer)
no_main_class "Viewer: Pro"
run_app "$app"
console_status=$status
expect_output "$line210"$'\n'
cp "$windowed" "$app"

# Not redirected: standard output is a terminal, as when started from one.
# Without a display no box can be shown, and the launcher must still end.
if command -v script >/dev/null; then
  echo "no display, not redirected: the launcher ends"
  set +e
  (cd "$work" && timeout 60 script -qec "wine '$app'" /dev/null </dev/null >"$work/out.raw" 2>"$work/err")
  status=$?
  set -e
  [ "$status" != 124 ] || fail "the launcher waited for a box that cannot be shown"
  expect_status "$console_status"
fi

start_dialog_display

# Started with standard output on a terminal, in the background; its exit
# code lands in $work/status.
start_app() {
  rm -f "$work/status"
  (set +e; cd "$work"; script -qec "wine '$app'" /dev/null </dev/null >"$work/out.raw" 2>"$work/err"
   echo $? >"$work/status") &
}
wait_app() {
  for _ in $(seq 300); do [ -f "$work/status" ] && break; sleep 0.1; done
  [ -f "$work/status" ] || fail "the launcher did not end"
  status=$(cat "$work/status")
}
controls() { wine "$probe" "$1" | sed 's/\r$//' >"$work/controls" || fail "window $1 did not appear"; }
# The box's text control has the dialog manager's id for static texts.
expect_box() {
  controls "$1"
  grep -q "^window|.*|$1\$" "$work/controls" || fail "caption: $(cat "$work/controls")"
  grep -qxF "65535|Static|1|$(grep '^65535|' "$work/controls" | cut -d'|' -f4)|$2" "$work/controls" ||
    fail "box text: $(cat "$work/controls")"
  grep -q '^1|Button|1|.*|OK$' "$work/controls" || fail "OK button: $(cat "$work/controls")"
  wine "$probe" "$1" --click 1
}

if command -v script >/dev/null; then
  echo "a missing main class: a box titled with the product name"
  start_app
  expect_box "Viewer: Pro" "${line210% }"
  wait_app
  expect_status "$console_status"

  echo "no product name: the box is titled with the executable's name"
  no_main_class ""
  start_app
  expect_box "viewer.exe" "${line210% }"
  wait_app
  expect_status "$console_status"

  echo "no runtime: the dialog, and nothing more after Cancel"
  printf '[Java Runtime Environment]\r\nMain Class=a.Main\r\nMinimum Version=99\r\n' >"$work/app/viewer.ini"
  start_app
  controls "JRE Not Found"
  grep -q '^203|Static|1|.*|The Java Runtime Environment (JRE) was not found\.' "$work/controls" ||
    fail "dialog message: $(cat "$work/controls")"
  wine "$probe" "JRE Not Found" --click 2
  wait_app
  expect_status "$console_status"
fi

echo "standard output redirected: the line goes there, no box"
no_main_class "Viewer: Pro"
set +e
(cd "$work" && timeout 60 wine "$app" >"$work/out.raw" 2>"$work/err")
status=$?
set -e
[ "$status" != 124 ] || fail "a box appeared although standard output was redirected"
sed 's/\r$//' "$work/out.raw" >"$work/out"
expect_status "$console_status"
expect_output "$line210"$'\n'

# The window fills with one colour (tests/java/WindowProbe.java): the
# screenshot holds a patch of it about the window's size.
need_windows_runtimes
need_java_classes
for home in "${windows_runtimes[@]}"; do
  title="Tarn window $(basename "$home")"
  echo "a Swing window through the windowed launcher on $(basename "$home")"
  rm -f "$work/close" "$work/status"
  printf '[Java Runtime Environment]\r\nMain Class=WindowProbe\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=%s\r\n[Application]\r\nCmd=%s "%s"\r\n' \
    "$(winpath "$home")" "$(winpath "$classes")" "$(winpath "$work/close")" "$title" >"$work/app/viewer.ini"
  (set +e; cd "$work"; wine "$app" >"$work/out.raw" 2>"$work/err"; echo $? >"$work/status") &
  patch=0
  for _ in $(seq 120); do
    if xdotool search --name "^$title\$" >/dev/null 2>&1; then
      import -window root "$work/shot.png"
      patch=$(convert "$work/shot.png" -fill white -opaque '#12A45E' -fill black +opaque white \
                -format '%[fx:round(mean*w*h)]' info:)
      [ "$patch" -ge 40000 ] && break
    fi
    [ -f "$work/status" ] && break
    sleep 0.5
  done
  [ "$patch" -ge 40000 ] || fail "no window in the screenshot (a patch of $patch pixels)"
  touch "$work/close"
  wait_app
  sed 's/\r$//' "$work/out.raw" >"$work/out"
  expect_status 0
  expect_output $'window shown\n'
done
echo ok

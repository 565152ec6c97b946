# The JRE Not Found dialog in a real window under Xvfb: its texts, OK
# disabled until a folder with a VM is picked, Cancel ending the launch
# without a console line, the runtimes found listed in a dialog grown to fit
# at 100 % and 200 % (read back from screenshots), and a folder picked in
# the shell's browser that the next start takes from the remembered "JRE Path".
# runtime_dialog.sh <launcher> <dialog_probe.exe>
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/runtime_lib.sh"
probe=${2:?usage: runtime_dialog.sh <launcher> <dialog_probe.exe>}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "no Xvfb/xdotool: skipped"; exit 0; }

start_dialog_display

app=$(make_app "$work/app" viewer)
printf '[Java Runtime Environment]\r\nMain Class=a.Main\r\nMinimum Version=99\r\n[Product Information]\r\nProduct Name=Dialog: Test\r\nProduct Code=D1\r\n' >"$work/app/viewer.ini"
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -1)
rm -rf "$appdata/Dialog Test"

start_app() { (set +e; cd "$work"; wine "$app" >"$work/out.raw" 2>"$work/err"; echo $? >"$work/status") & }
wait_app() {
  for _ in $(seq 300); do [ -f "$work/status" ] && break; sleep 0.1; done
  [ -f "$work/status" ] || fail "the launcher did not end"
  status=$(cat "$work/status"); rm -f "$work/status"
  sed 's/\r$//' "$work/out.raw" >"$work/out"
}
# Control lines of a window: "id|class|enabled|l,t,r,b|text".
controls() { wine "$probe" "$@" | sed 's/\r$//' >"$work/controls" || fail "window $1 did not appear"; }
control() { grep "^$1|" "$work/controls" | head -1; }
# Clicks the middle of a control. Without a window manager a click on a
# window that is not yet active can be lost, so a second one follows; it
# lands on nothing once the first has closed the window.
click() {
  local box; box=$(control "$1" | cut -d'|' -f4)
  IFS=, read -r l t r b <<<"$box"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
  sleep 0.3
  xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
  sleep 0.7
  xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
}
# Clicks a control until the window it opens appears: under load a click
# can be lost both times.
click_until() {
  local attempt i
  for attempt in 1 2 3; do
    click "$1"
    for i in $(seq 50); do
      xdotool search --name "$2" >/dev/null 2>&1 && return 0
      sleep 0.1
    done
  done
}
expect_control() {
  [ "$(control "$1" | cut -d'|' -f3,5)" = "$2" ] || fail "control $1: $(control "$1"), expected $2"
}

echo "texts, OK disabled, Cancel"
start_app
controls "JRE Not Found"
grep -q '^window|.*|JRE Not Found$' "$work/controls" || fail "caption"
expect_control 1 "0|OK"
expect_control 2 "1|Cancel"
expect_control 202 "1|Browse..."
expect_control 201 "1|"
expect_control 203 "1|The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (minimum version 99.0) from:"
expect_control 205 "1|https://adoptium.net/marketplace/"
expect_control 206 "1|If you have a JRE installed you can browse for it below:"
grep -q '^-1|Static|1|.*|JRE Path:$' "$work/controls" || fail "JRE Path label"
grep -q '^-1|Button|1|.*|Missing JRE$' "$work/controls" || fail "group box"
click 2
wait_app
expect_status 255
expect_output ""

# The share of dark pixels in the box l,t,r,b of the screenshot.
ink() {
  convert "$work/shot$dpi.png" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage -threshold 50% -negate \
    -format '%[fx:mean]' info:
}
box() { control "$1" | cut -d'|' -f4 | tr , ' '; }
log_pixels() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}

echo "three runtimes found: listed below the link in a dialog grown to fit, at 100 % and 200 %"
registry_begin
for runtime in JRE/1.8.0_401 JDK/11.0.22 JDK/21.0.2; do
  make_runtime "$work/rt/$runtime" server
  register_value HKEY_LOCAL_MACHINE "JavaSoft/$runtime" JavaHome "$work/rt/$runtime"
done
printf 'MZ%058d\x40\0\0\0PE\0\0\x4c\x01%018d' 0 0 | tr 0 '\0' >"$work/rt/JDK/21.0.2/bin/server/jvm.dll"
registry_apply
# A dialog left open would keep the server waiting: it goes first.
trap 'wineserver -k 2>/dev/null; log_pixels 96; registry_clear; end_wineserver
      kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sed -i 's/^Minimum Version=99/Minimum Version=17/' "$work/app/viewer.ini"
printf '%s\n' "Java runtimes found, and why none fits:" \
  "- Java 21.0.2 (x86) in $(winpath "$work/rt/JDK/21.0.2/"): its VM library is built for x86, this launcher loads x86_64" \
  "- Java 11.0.22 (unknown architecture) in $(winpath "$work/rt/JDK/11.0.22/"): below the minimum version 17.0" \
  "- Java 1.8.0.401 (unknown architecture) in $(winpath "$work/rt/JRE/1.8.0_401/"): below the minimum version 17.0" \
  >"$work/found.expected"
for dpi in 96 192; do
  log_pixels $dpi
  start_app
  controls "JRE Not Found"
  import -window root "$work/shot$dpi.png"
  # The list's text runs over several lines of the probe's output.
  awk '/^207\|/ {on = 1} on && /^-?[0-9]+\|[A-Za-z]+\|/ && !/^207\|/ {on = 0} on' "$work/controls" |
    sed -E '1s/^([^|]*\|){4}//' | cmp -s "$work/found.expected" - || fail "the list at $dpi dpi"
  read -r l t r b <<<"$(box 207)"
  read -r _ next _ line <<<"$(box 206)"  # a text of one line
  read -r _ _ _ cancel <<<"$(box 2)"
  read -r left _ right bottom <<<"$(control window | cut -d'|' -f2 | tr , ' ')"
  # Four lines of text at least, and everything below them still inside.
  [ $((b - t)) -ge $((4 * (line - next))) ] && [ "$b" -le "$next" ] && [ "$cancel" -le "$bottom" ] ||
    fail "the dialog did not grow at $dpi dpi: $(cat "$work/controls")"
  width[$dpi]=$((right - left))
  # Text down to the list's last line, none between it and the next text.
  all=$(ink $l $t $r $b) last=$(ink $l $((b - (b - t) / 3)) $r $b) gap=$(ink $l $b $r $next)
  awk "BEGIN { exit !($all > 0.01 && $last > 0.005 && $gap < 0.002) }" ||
    fail "the list's pixels at $dpi dpi: all $all, last line $last, below it $gap"
  wine "$probe" "JRE Not Found" --click 2
  wait_app
done
awk "BEGIN { exit !(${width[192]} > 1.8 * ${width[96]} && ${width[192]} < 2.2 * ${width[96]}) }" ||
  fail "200 % is not twice as wide: ${width[96]} and ${width[192]} pixels"

echo "a folder picked in the browser is taken and remembered"
make_runtime "$work/pick/rt" client
start_app
controls "JRE Not Found"
click_until 202 "Browse for Folder"
controls "Browse for Folder" 'Z:\'
# Down the tree as a user would: Right opens a folder, a typed name selects.
IFS=/ read -ra parts <<<"${work#/}/pick/rt"
for part in "${parts[@]}"; do
  xdotool key Right; sleep 0.5
  xdotool type --delay 30 "$part"; sleep 1.2
done
controls "Browse for Folder"
[ "$(control 14149 | cut -d'|' -f5)" = rt ] || fail "could not reach the folder in the browser: $(control 14149)"
click 1
controls "JRE Not Found"
expect_control 1 "1|OK"
expect_control 201 "1|$(winpath "$work/pick/rt")"
click 1
wait_app
expect_vm "$work/pick/rt/bin/client/jvm.dll"
grep -qxF "JRE Path=$(winpath "$work/pick/rt")\\" <(sed 's/\r$//' "$appdata/Dialog Test/D1/viewer.ini") ||
  fail "remembered folder: $(cat "$appdata/Dialog Test/D1/viewer.ini" 2>&1)"

echo "the next start takes the remembered folder without a dialog"
unset DISPLAY
run_app "$app"
expect_vm "$work/pick/rt/bin/client/jvm.dll"
rm -rf "$appdata/Dialog Test"
echo ok

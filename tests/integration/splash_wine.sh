# The splash under Wine and Xvfb with a real Windows runtime and a Swing
# window, read back from screenshots: up before the program's window, gone
# once that is; its transparent corners show the desktop behind (Wine
# shapes the window to the pixels not fully transparent and blends partial
# alpha against black, so that is the decoder's unit test's); gone at the
# timeout when the program shows no window, and at once when main fails.
# First a file beside the executable, then an image packed by tarn-pack.
# splash_wine.sh <tarn.exe> <tarn-pack>
source "$(dirname "$0")/lib.sh"
pack=${2:?usage: splash_wine.sh <tarn.exe> <tarn-pack>}
for tool in Xvfb convert import display; do
  command -v $tool >/dev/null || { echo "SKIPPED: no $tool (xvfb, imagemagick)"; exit 77; }
done
need_windows_runtimes
javac=$(command -v javac || ls /usr/lib/jvm/*/bin/javac 2>/dev/null | head -n 1)
start_dialog_display
app=$(make_app "$work/app" viewer)
"$javac" --release 11 -d "$work/app" "$TARN_SOURCE_DIR/tests/java/SplashProgram.java"
# Red, 300 x 200, 20-pixel corners transparent: centred on the screen it
# covers 362,284 to 662,484. The desktop is blue (painted once Wine's has
# blanked it), the program's window green at 0,0.
convert -size 300x200 xc:red -alpha set -channel A \
  -fx '(i<20||i>=280)&&(j<20||j>=180)?0:1' +channel "png32:$work/splash.png"
wineserver -p
wine cmd /c exit
convert -size 1024x768 xc:blue "$work/desktop.png"
display -window root "$work/desktop.png" 2>/dev/null || true

# The screen's colours (RRGGBB) at the splash's middle, its top left corner
# and the program's window.
screen() {
  import -window root "$work/shot.png" 2>/dev/null || true
  read -r centre corner window <<<"$(for at in 1x1+512+384 1x1+364+286 1x1+100+75; do
    convert "$work/shot.png" -crop "$at" +repage -depth 8 txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'
  done | tr '\n' ' ')"
}
configure() {
  printf '[Java Runtime Environment]\r\nMain Class=SplashProgram\r\nJRE Path=%s\r\n' \
    "$(winpath "${windows_runtimes[0]}")"
  printf '%s\r\n' "[Class Path]" "Class Path=." "[Application]" "Override WorkingDir=Yes" "$@"
}
start() {
  rm -f "$work/status" "$work/app/stop"
  (set +e; cd "$work"; TARN_TRACE=1 wine "$app" >"$work/out.raw" 2>"$work/err"; echo $? >"$work/status") &
}
running() { [ ! -f "$work/status" ]; }
stop_app() {
  touch "$work/app/stop"
  for _ in $(seq 600); do running || break; sleep 0.1; done
  running && fail "the program did not end"
  status=$(cat "$work/status")
  sed 's/\r$//' "$work/out.raw" >"$work/out"
  expect_status 0
}
# await <seconds> <condition>: screenshots until the condition holds.
await() {
  local end=$((SECONDS + $1))
  while [ $SECONDS -lt $end ]; do
    screen
    eval "$2" && return 0
    sleep 0.3
  done
  fail "not within $1 s: $2 (centre $centre, corner $corner, window $window)"
}
traced() { grep -qF "$1" "$work/err" || fail "no trace line: $1"; }

echo "a file beside the executable: up before the program's window, gone once that is"
configure "Splash Image=splash.png" "Cmd=window 2000" >"$work/app/viewer.ini"
cp "$work/splash.png" "$work/app/"
start
await 180 '[ "$centre" = FF0000 ] || ! running'
running || fail "the launcher ended (status $(cat "$work/status")) before the splash was seen"
[ "$window" != 00FF00 ] || fail "the program's window came before the splash"
# The transparent corner shows the blue desktop behind.
await 10 '[ "$centre" = FF0000 ] && [ "$corner" = 0000FF ]'
await 180 '[ "$window" = 00FF00 ] || ! running'
await 10 '[ "$centre" = 0000FF ]'
stop_app
grep -q '^window shown' "$work/out" || fail "the program did not show its window"
traced "splash: Z:${work//\//\\}\\app\\splash.png, PNG 300 x 200, shown at 362,284 as 300 x 200"
traced "splash: closed by the program's first window, after "

echo "packed: gone at the timeout when the program shows no window"
rm "$work/app/splash.png" "$work/app/viewer.ini"
configure "Splash Timeout=4" "Cmd=none 0" >"$work/viewer.ini"
"$pack" "$launcher" "$work/viewer.ini" --splash "$work/splash.png" -o "$app"
"$pack" --print "$app" | grep -qx "; splash image: PNG, 300 x 200 pixels, $(stat -c %s "$work/splash.png") bytes" ||
  fail "tarn-pack --print: $("$pack" --print "$app")"
start
await 180 '[ "$centre" = FF0000 ] || ! running'
await 30 '[ "$centre" = 0000FF ] || ! running'
running || fail "the launcher ended: the timeout was not what closed the splash"
stop_app
traced "splash: closed by the timeout, after "

echo "packed: gone at once when main fails"
configure "Cmd=fail 0" >"$work/viewer.ini"
"$pack" "$launcher" "$work/viewer.ini" --splash "$work/splash.png" -o "$app"
start
await 180 '[ "$centre" = FF0000 ] || ! running'
await 180 'grep -q "main fails" "$work/err" || ! running'
await 10 '[ "$centre" = 0000FF ]'
running || fail "the launcher ended: not main's failure closed the splash"
stop_app
traced "splash: closed by the launch, after "
echo ok

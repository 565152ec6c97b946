# The splash under Wine and Xvfb with a real Windows runtime and a Swing
# window, read back from screenshots: it is up before the program's window
# and gone once that is; its transparent corners show the desktop behind it
# (Wine shapes the window to the pixels that are not fully transparent; a
# partial alpha is blended against black, so that is left to the decoder's
# unit test); it goes at the timeout when the program shows no window, and
# at once when main fails. The first run shows a file beside the
# executable, the others an image packed by tarn-pack.
# splash_wine.sh <tarn.exe> <tarn-pack>
source "$(dirname "$0")/lib.sh"
pack=${2:?usage: splash_wine.sh <tarn.exe> <tarn-pack>}
for tool in Xvfb convert import display; do
  command -v $tool >/dev/null || { echo "SKIPPED: no $tool (xvfb, imagemagick)"; exit 77; }
done
need_windows_runtimes
javac=$(command -v javac || ls /usr/lib/jvm/*/bin/javac 2>/dev/null | head -n 1)
[ -n "$javac" ] || { echo "SKIPPED: no javac"; exit 77; }
start_dialog_display

app=$(make_app "$work/app" viewer)
"$javac" --release 11 -d "$work/app" "$TARN_SOURCE_DIR/tests/java/SplashProgram.java"
# Red, 300 x 200, its 20-pixel corners transparent; centred on the 1024 x
# 768 screen it covers 362,284 to 662,484. The desktop is blue, the
# program's window green at 0,0.
convert -size 300x200 xc:red -alpha set -channel A \
  -fx '(i<20||i>=280)&&(j<20||j>=180)?0:1' +channel "png32:$work/splash.png"
# Wine's desktop blanks the root window as it starts: it is kept up, and
# the root painted after.
wineserver -p
wine cmd /c exit
convert -size 1024x768 xc:blue "$work/desktop.png"
display -window root "$work/desktop.png" 2>/dev/null || true
runtime=$(winpath "${windows_runtimes[0]}")

# The colour (RRGGBB) at x,y of the screen now, for each pair given.
colours() {
  import -window root "$work/shot.png" 2>/dev/null || { echo "no screenshot"; return; }
  local x y out=()
  while [ $# -gt 1 ]; do
    x=$1 y=$2
    shift 2
    out+=("$(convert "$work/shot.png" -crop "1x1+$x+$y" +repage -depth 8 txt:- |
             sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p')")
  done
  echo "${out[*]}"
}
# centre corner window: the splash's middle, its top left corner, the
# program's window.
screen() { read -r centre corner window < <(colours 512 384 364 286 100 75); }

configure() {
  printf '[Java Runtime Environment]\r\nMain Class=SplashProgram\r\nJRE Path=%s\r\n' "$runtime"
  printf '[Class Path]\r\nClass Path=.\r\n[Application]\r\nOverride WorkingDir=Yes\r\n'
  printf '%s\r\n' "$@"
}
start() {
  rm -f "$work/status" "$work/app/stop"
  (set +e; cd "$work"; TARN_TRACE=1 wine "$1" >"$work/out.raw" 2>"$work/err"; echo $? >"$work/status") &
}
running() { [ ! -f "$work/status" ]; }
stop_app() {
  touch "$work/app/stop"
  for _ in $(seq 600); do running || break; sleep 0.1; done
  running && fail "the program did not end"
  status=$(cat "$work/status")
  sed 's/\r$//' "$work/out.raw" >"$work/out"
}
# Screenshots until the condition holds, for at most $1 seconds.
await() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    screen
    eval "$*" && return 0
    sleep 0.3
  done
  fail "not seen within $limit s: $* (centre $centre, corner $corner, window $window)"
}
traced() { grep -qF "$1" "$work/err" || fail "no trace line: $1"; }

echo "a file beside the executable: up before the program's window, gone once that is"
configure "Splash Image=splash.png" "Cmd=window 2000" >"$work/app/viewer.ini"
cp "$work/splash.png" "$work/app/"
start "$app"
await 180 '[ "$centre" = FF0000 ] || ! running'
running || fail "the launcher ended before the splash was seen"
[ "$window" != 00FF00 ] || fail "the program's window came before the splash"
[ "$corner" = 0000FF ] || fail "the transparent corner shows $corner, not the blue desktop behind"
await 180 '[ "$window" = 00FF00 ] || ! running'
await 10 '[ "$centre" = 0000FF ]'
stop_app
expect_status 0
grep -q '^window shown' "$work/out" || fail "the program did not show its window"
traced "splash: Z:${work//\//\\}\\app\\splash.png, PNG 300 x 200, shown at 362,284 as 300 x 200"
traced "splash: closed by the program's first window, after "

echo "packed: gone at the timeout when the program shows no window"
configure "Splash Timeout=4" "Cmd=none 0" >"$work/viewer.ini"
rm "$work/app/splash.png" "$work/app/viewer.ini"
"$pack" "$launcher" "$work/viewer.ini" --splash "$work/splash.png" -o "$app" ||
  fail "tarn-pack refused the splash"
"$pack" --print "$app" | grep -qx "; splash image: PNG, 300 x 200 pixels, $(stat -c %s "$work/splash.png") bytes" ||
  fail "tarn-pack --print: $("$pack" --print "$app")"
start "$app"
await 180 '[ "$centre" = FF0000 ] || ! running'
await 30 '[ "$centre" = 0000FF ] || ! running'
running || fail "the launcher ended: the timeout was not what closed the splash"
stop_app
expect_status 0
traced "splash: closed by the timeout, after "

echo "packed: gone at once when main fails"
configure "Cmd=fail 0" >"$work/viewer.ini"
"$pack" "$launcher" "$work/viewer.ini" --splash "$work/splash.png" -o "$app"
start "$app"
await 180 '[ "$centre" = FF0000 ] || ! running'
await 180 'grep -q "main fails" "$work/err" || ! running'
await 10 '[ "$centre" = 0000FF ]'
running || fail "the launcher ended: not main's failure closed the splash"
stop_app
expect_status 0
traced "splash: closed by the launch, after "
echo ok

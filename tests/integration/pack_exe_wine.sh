# tarn-pack.exe under Wine: it packs tarn.exe and tarnw.exe with a configuration, a jar,
# an icon and version information into the same bytes as the Linux tool,
# whatever form the paths take (either separator, drive letter, UNC, the
# extended form, names outside the ANSI code page, longer than MAX_PATH);
# the results run on the real runtimes; an existing output is replaced whole or kept; it refuses
# bad input with the Linux tool's messages; its version is the project's.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack_exe=${2:?tarn-pack.exe}
host_pack=${3:?tarn-pack for Linux}
probe=${4:?resource_probe.exe}
version=${5:?project version}
windowed=${6:?tarnw.exe}
need_windows_runtimes
need_java_classes

# Runs tarn-pack.exe; its outputs go to $work/exe.out and $work/exe.err.
pack() {
  set +e
  wine "$pack_exe" "$@" >"$work/exe.out" 2>"$work/exe.err"
  status=$?
  set -e
}
packs() { pack "$@"; [ "$status" = 0 ] || fail "tarn-pack.exe $*: $status, $(cat "$work/exe.err")"; }

cd "$work"
make_jar "$work/app.jar" "$classes" Probe.class
cp "$launcher" tarn.exe
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$(winpath "${windows_runtimes[0]}")" \
  "[Application]" "Embedded Jar=yes" >app.ini
convert -size 16x16 xc:red small.png
icotool -c -o app.ico small.png
identity=(--file-version 1.4.2 --product-name Viewer --company "Example Ltd")

# Relative paths with backslashes; the output through a drive letter, in a
# folder that tarn-pack makes.
packs tarn.exe app.ini app.jar --icon app.ico "${identity[@]}" -o "$(winpath "$work/dist/viewer.exe")"
"$host_pack" tarn.exe app.ini app.jar --icon app.ico "${identity[@]}" -o "$work/viewer.exe"
cmp -s dist/viewer.exe viewer.exe || fail "tarn-pack.exe and tarn-pack wrote different bytes"
expect_clean_zip dist/viewer.exe
run_app dist/viewer.exe one
expect_status 0
expect_line "$work/out" "prop java.class.path=$(winpath "$work/dist/viewer.exe")"
expect_line "$work/out" "arg 0 one"
expect_line "$work/out" "main done"
wine "$probe" dist/viewer.exe | tr -d '\r' >probe.txt
expect_line probe.txt "fixed 1.4.2.0 1.4.2.0"
expect_line probe.txt "string ProductName=Viewer"
expect_line probe.txt "string OriginalFilename=viewer.exe"
expect_line probe.txt "icon 16 1 16"

# The window launcher the same way: it runs, on the other runtime that an
# INI beside it names, and shows the new identity.
packs "$windowed" app.ini app.jar --icon app.ico "${identity[@]}" -o dist/viewerw.exe
printf '[Java Runtime Environment]\r\nJRE Path=%s\r\n' "$(winpath "${windows_runtimes[-1]}")" >dist/viewerw.ini
run_app dist/viewerw.exe
expect_status 0
expect_line "$work/out" "prop java.version=$(runtime_version "${windows_runtimes[-1]}")"
expect_line "$work/out" "prop java.class.path=$(winpath "$work/dist/viewerw.exe")"
wine "$probe" dist/viewerw.exe | tr -d '\r' >probe.txt
expect_line probe.txt "fixed 1.4.2.0 1.4.2.0"
expect_line probe.txt "string OriginalFilename=viewerw.exe"

# Every other spelling of a path gives the same file.
unc=tarn-pack-test-$$
mkdir -p "$WINEPREFIX/dosdevices/unc/localhost"
ln -sfn "$work" "$WINEPREFIX/dosdevices/unc/localhost/$unc"
trap 'rm -f "$WINEPREFIX/dosdevices/unc/localhost/$unc"; rm -rf "$work"' EXIT
z=$(winpath "$work")
packs "${z//\\//}/tarn.exe" 'app.ini' "\\\\localhost\\$unc\\app.jar" --icon ".\\app.ico" \
  "${identity[@]}" -o "\\\\?\\$z\\dist\\viewer.exe"
cmp -s dist/viewer.exe viewer.exe || fail "other spellings gave other bytes"
packs tarn.exe app.ini -o "\\\\localhost\\$unc\\dist\\unc.exe"
[ -x dist/unc.exe ] || fail "no output through a UNC path"
# The output may not be an input by another name.
for name in "$z\\TARN.EXE" "\\\\localhost\\$unc\\tarn.exe" "\\\\?\\$z\\app.ini"; do
  pack tarn.exe app.ini -o "$name"
  [ "$status" = 1 ] || fail "-o $name: exit code $status"
  expect_text "$work/exe.err" "is one of the inputs"
done

# Names outside the ANSI code page (cp1252 here), and a path longer than
# MAX_PATH.
folder=$'Gr\xc3\xbc\xc3\x9fe-\xe6\x97\xa5\xe6\x9c\xac'
mkdir "$folder"
cp app.ini "$folder/"$'\xce\xb1pp.ini'
packs tarn.exe "$folder\\"$'\xce\xb1pp.ini' app.jar -o "$folder/"$'\xc3\xb6ut.exe'
[ -x "$folder/"$'\xc3\xb6ut.exe' ] || fail "no output under its UTF-8 name: $(ls "$folder")"
deep=$work
for _ in 1 2 3 4 5 6; do deep=$deep/folder-with-a-name-of-fifty-characters-0123456789; done
packs tarn.exe app.ini app.jar -o "$(winpath "$deep/viewer.exe")"
cmp -s <(wine "$pack_exe" --print "$(winpath "$deep/viewer.exe")") <("$host_pack" --print "$deep/viewer.exe") ||
  fail "a long path"

# An existing output is replaced whole, and nothing is left beside it; one
# that cannot be replaced stays as it was.
printf '[Application]\r\nCmd=again\r\n' >again.ini
packs dist/viewer.exe again.ini -o dist/viewer.exe.new
packs dist/viewer.exe.new app.ini -o dist/viewer.exe
[ "$(wine "$pack_exe" --print dist/viewer.exe | tr -d '\r')" = "$("$host_pack" --print viewer.exe | tr -d '\r')" ] ||
  fail "the output was not replaced"
cp dist/viewer.exe.new kept.exe
chmod a-w dist/viewer.exe.new
pack tarn.exe app.ini -o dist/viewer.exe.new
[ "$status" = 1 ] || fail "a read-only output was replaced"
cmp -s dist/viewer.exe.new kept.exe || fail "a read-only output was changed"
! ls -A dist | grep -q '\.tmp$' || fail "left behind: $(ls -A dist)"

# Bad input: the same messages and exit codes as the Linux tool.
{ echo "[Application]"; printf 'Cmd=%*s\n' 9000 x | tr ' ' y; } >big.ini
printf '[Application]\nCmd=Gr\xfc\xdfe\n' >latin1.ini
echo "plain text" >text.txt
head -c 100 app.jar >cut.jar
cat tarn.exe tarn.exe >twice.exe
cp "$(command -v ls)" elf-program
mkdir folder
printf 'not an icon' >bad.ico
same_refusal() {
  pack "$@"
  set +e
  "$host_pack" "$@" >host.out 2>host.err
  local host_status=$?
  set -e
  [ "$status" = "$host_status" ] && [ "$status" != 0 ] ||
    fail "tarn-pack $*: exit code $status under Wine, $host_status on Linux"
  # The same but for the system's own reason for a file error.
  local reason='s/(cannot be read|cannot be written): .+/\1: <reason>/'
  cmp -s <(sed -E "$reason" host.err) <(sed -E "$reason" exe.err) ||
    fail "tarn-pack $*: '$(cat exe.err)' under Wine, '$(cat host.err)' on Linux"
  cmp -s host.out exe.out || fail "tarn-pack $*: other standard output"
  [ ! -e out.exe ] || fail "tarn-pack $* left an output"
}
same_refusal tarn.exe big.ini -o out.exe
same_refusal text.txt app.ini -o out.exe
same_refusal elf-program app.ini -o out.exe
same_refusal twice.exe app.ini -o out.exe
same_refusal tarn.exe app.ini text.txt -o out.exe
same_refusal tarn.exe app.ini cut.jar -o out.exe
same_refusal tarn.exe latin1.ini -o out.exe
same_refusal tarn.exe app.ini -o tarn.exe
same_refusal tarn.exe app.ini app.jar -o ./app.jar
same_refusal missing.exe app.ini -o out.exe
same_refusal folder app.ini -o out.exe
same_refusal tarn.exe app.ini -o folder
same_refusal tarn.exe app.ini -o text.txt/out.exe
same_refusal tarn.exe app.ini --icon bad.ico -o out.exe
same_refusal tarn.exe app.ini --file-version 1.2.3.4.5 -o out.exe
same_refusal tarn.exe app.ini --company "" -o out.exe
same_refusal tarn.exe app.ini --bogus -o out.exe
same_refusal tarn.exe app.ini -o
same_refusal tarn.exe app.ini
same_refusal --print text.txt

# The version: the tool's and the resources of the executables.
pack --version
[ "$(cat exe.out)" = "tarn-pack $version" ] || fail "--version: $(cat exe.out)"
for image in "$pack_exe" tarn.exe; do
  wine "$probe" "$image" | tr -d '\r' >probe.txt
  expect_line probe.txt "fixed $version.0 $version.0"
  expect_line probe.txt "string FileVersion=$version"
  expect_line probe.txt "string ProductVersion=$version"
done
echo ok

# A packed tarn.exe under Wine, against the test VM library: with "Embedded
# Jar" and no "Class Path" the class path option names the executable
# itself, which reads as the jar; an INI file beside it still overrides and
# extends; a damaged block counts as none.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
testvm=${3:?test VM library}

use_test_vm "$testvm"
mkdir -p "$work/jar/app" "$work/dist"
echo "hello from inside" >"$work/jar/app/greeting.txt"
make_jar "$work/app.jar" "$work/jar" app/greeting.txt

printf '%s\r\n' "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$(winpath "$jre")" \
  "Virtual Machine Parameters=-Dlayer=embedded" "[Application]" "Embedded Jar=yes" \
  "Cmd=$(printf 'caf\xc3\xa9')" >"$work/app.ini"
app=$work/dist/app.exe
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" -o "$app"
expect_clean_zip "$app"
app_win=$(winpath "$app")

run_packed() {
  rm -f "$record"
  touch "$record"
  run_app "$@"
  sed -i 's/\r$//' "$record"
}

run_packed "$app" one
expect_status 0
expect_line "$record" "option -Djava.class.path=$app_win"
expect_line "$record" "option -Dlayer=embedded"
expect_line "$record" "class app/Main"
expect_line "$record" "arg 0 one"
# UTF-8 in the INI file, UTF-16 in the executable, the ANSI code page (1252)
# in the launcher, U+00E9 in Java.
expect_line "$record" "arg 1 café"

# The file beside it wins and extends.
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=other.Start" \
  "[Java Runtime Environment+]" "Virtual Machine Parameters=-Dlayer=file" \
  "[Class Path]" "Class Path=lib\\a.jar" >"$work/dist/app.ini"
run_packed "$app"
expect_status 0
expect_line "$record" "option -Djava.class.path=lib\\a.jar;$app_win"
expect_line "$record" "option -Dlayer=embedded"
expect_line "$record" "option -Dlayer=file"
expect_line "$record" "class other/Start"
rm "$work/dist/app.ini"

# A damaged block: no configuration at all.
cp "$app" "$work/dist/damaged.exe"
offset=$(marker_offsets "$work/dist/damaged.exe")
flip_byte "$work/dist/damaged.exe" $(( offset + 16 ))
run_packed "$work/dist/damaged.exe"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'

# The launcher as built carries an empty block: it behaves as before.
cp "$launcher" "$work/dist/plain.exe"
run_packed "$work/dist/plain.exe"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'
echo ok

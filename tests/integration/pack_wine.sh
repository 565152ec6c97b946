# A packed tarn.exe under Wine on the real runtimes: with "Embedded Jar" and
# no "Class Path" the class path names the executable itself, and the VM
# loads the main class from the jar inside it; an INI file beside it still
# overrides and extends; a damaged block counts as none.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
need_windows_runtimes
need_java_classes

mkdir -p "$work/dist"
make_jar "$work/app.jar" "$classes" Probe.class

printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$(winpath "${windows_runtimes[0]}")" \
  "Virtual Machine Parameters=-Dlayer=embedded" "[Application]" "Embedded Jar=yes" \
  "Cmd=$(printf 'caf\xc3\xa9')" >"$work/app.ini"
app=$work/dist/app.exe
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" -o "$app"
expect_clean_zip "$app"
app_win=$(winpath "$app")

run_app "$app" one
expect_status 0
expect_line "$work/out" "prop java.class.path=$app_win"
expect_line "$work/out" "prop java.version=$(runtime_version "${windows_runtimes[0]}")"
expect_line "$work/out" "vmarg -Dlayer=embedded"
expect_line "$work/out" "arg 0 one"
# UTF-8 in the INI file, UTF-16 in the executable, U+00E9 in Java.
expect_line "$work/out" 'arg 1 caf\u00E9'
expect_line "$work/out" "main done"

# The file beside it wins and extends: another runtime, the class path,
# one more option after the embedded one.
home=${windows_runtimes[-1]}
printf '%s\r\n' "[Java Runtime Environment]" "JRE Path=$(winpath "$home")" \
  "[Java Runtime Environment+]" "Virtual Machine Parameters=-Dlayer=file" \
  "[Class Path]" "Class Path=lib\\a.jar" >"$work/dist/app.ini"
run_app "$app"
expect_status 0
expect_line "$work/out" "prop java.version=$(runtime_version "$home")"
expect_line "$work/out" "prop java.class.path=lib\\a.jar;$app_win"
[ "$(lines_with "$work/out" "vmarg -Dlayer")" = "$(printf 'vmarg -Dlayer=embedded\nvmarg -Dlayer=file')" ] ||
  fail "options: $(lines_with "$work/out" "vmarg")"
rm "$work/dist/app.ini"

# A damaged block: no configuration at all.
cp "$app" "$work/dist/damaged.exe"
offset=$(marker_offsets "$work/dist/damaged.exe")
flip_byte "$work/dist/damaged.exe" $(( offset + 16 ))
run_app "$work/dist/damaged.exe"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'

# The launcher as built carries an empty block: it behaves as before.
cp "$launcher" "$work/dist/plain.exe"
run_app "$work/dist/plain.exe"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'
echo ok

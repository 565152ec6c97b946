# Text outside the legacy code page (Polish, Greek, Japanese) under Wine,
# started through a UTF-16 command line: the application's folder, the
# runtime's folder, the configuration's values, the class path, the output
# file, the environment and the arguments reach the stand-in VM as the same
# characters, in its options, its environment and String[]. The
# configuration file may be UTF-8 with or without a mark, UTF-16, or in the
# legacy code page. A runtime before Java 9 gets its option strings in the
# legacy code page, which it decodes them with, and its process stays
# unaware of the screen's DPI (the trace says so: Wine makes every process
# aware whatever it asks).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

testvm=${2:?test VM library}
spawn=${3:?spawn helper}
export LC_ALL=C.UTF-8

folder="$work/Zoë Łódź Ελλάδα 東京"
app=$(make_app "$folder" viewer)
app_win=$(winpath "$app")
folder_win=$(winpath "$folder")
jre="$work/Środowisko 東京/jre"
mkdir -p "$jre/bin/server"
cp "$testvm" "$jre/bin/server/jvm.dll"
jre_win=$(winpath "$jre")
export TESTVM_RECORD
TESTVM_RECORD=$(winpath "$work/record")
record=$work/record
ini=$folder/viewer.ini

ini_lines=("[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$jre_win"
  "Virtual Machine Parameters=\"-Dtitle=Zoë Łódź\" -Dgreek=Ελλάδα -Dcity=%CITY%"
  "Library Path=Łódź\\lib"
  "[Class Path]" "Class Path=lib\\東京.jar;Łódź\\classes"
  "[Application]" "Output File=$folder_win\\wyjście 東京.log" "Cmd=Ζεύς \"Żółć gęślą\" 日本語")

# run_text <script> <arguments...>: the launch through the UTF-16 helper.
run_text() {
  local script=$1
  shift
  rm -f "$record"
  touch "$record"
  TESTVM_SCRIPT=$script TARN_TRACE=1 CITY="Kraków 東京" SPAWN_COMMAND_LINE="\"$app_win\" $*" \
    run_app "$spawn"
}

expect_unicode_launch() {
  expect_status 0
  expect_line "$record" "option -Djava.class.path=lib\\東京.jar;Łódź\\classes"
  expect_line "$record" "option -Dtitle=Zoë Łódź"
  expect_line "$record" "option -Dgreek=Ελλάδα"
  expect_line "$record" "option -Dcity=Kraków 東京"
  expect_text "$record" "option -Djava.library.path=Łódź\\lib;$folder_win\\;"
  expect_line "$record" "env TARN_JVM_PATH=$jre_win\\bin\\server\\jvm.dll"
  expect_line "$record" "env TARN_JVM_HOME=$jre_win"
  expect_text "$record" ";$jre_win\\bin"
  expect_line "$record" "class app/Main"
  [ "$(lines_with "$record" "arg ")" = "$(printf '%s\n' 'arg 0 Łukasz' 'arg 1 Ελληνικά' \
      'arg 2 日本語 テキスト' 'arg 3 Ζεύς' 'arg 4 Żółć gęślą' 'arg 5 日本語')" ] ||
    fail "arguments: $(lines_with "$record" "arg ")"
  expect_line "$record" "setOut $folder_win\\wyjście 東京.log"
  [ -f "$folder/wyjście 東京.log" ] || fail "the output file was not created under its name"
  rm -f "$folder/wyjście 東京.log"
}

arguments='Łukasz Ελληνικά "日本語 テキスト"'
printf '%s\r\n' "${ini_lines[@]}" >"$ini"
run_text "" "$arguments"
expect_unicode_launch
expect_text "$work/err" "option strings in the process's code page, per-monitor DPI aware"

# The same file with a byte-order mark, and as UTF-16.
printf '\xEF\xBB\xBF%s\r\n' "${ini_lines[0]}" >"$ini"
printf '%s\r\n' "${ini_lines[@]:1}" >>"$ini"
run_text "" "$arguments"
expect_unicode_launch
printf '%s\r\n' "${ini_lines[@]}" | iconv -f UTF-8 -t UTF-16 >"$ini"
run_text "" "$arguments"
expect_unicode_launch

# Saved in the legacy code page (1252 here): its characters, not
# replacement characters.
mkdir -p "$work/Café/jre/bin/server"
cp "$testvm" "$work/Café/jre/bin/server/jvm.dll"
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$(winpath "$work/Café/jre")" \
  "Virtual Machine Parameters=-Dtitle=Café" "[Class Path]" "Class Path=." |
  iconv -f UTF-8 -t CP1252 >"$ini"
run_text "" "à"
expect_status 0
expect_line "$record" "option -Dtitle=Café"
expect_line "$record" "arg 0 à"

# A runtime before Java 9: option strings in the legacy code page, where a
# character it lacks becomes "?"; the arguments still whole.
printf '%s\r\n' "${ini_lines[@]}" >"$ini"
run_text "jni=0x10008" "$arguments"
expect_status 0
expect_line "$record" "$(printf 'option -Dtitle=Zo\xeb ?\xf3d?')"
expect_line "$record" "option -Dgreek=??????"
expect_line "$record" "arg 0 Łukasz"
expect_text "$work/err" "option strings in the legacy code page, not DPI aware"

# An error line names the characters too (a pipe takes the process's UTF-8).
mkdir -p "$folder/zły/bin/server"
echo "no library" >"$folder/zły/bin/server/jvm.dll"
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$folder_win\\zły" \
  "[Class Path]" "Class Path=." >"$ini"
run_text "" ""
expect_status 255
expect_output "Error: Failed to load Java VM library: $folder_win\\zły\\bin\\server\\jvm.dll (errno = 193)."$'\n \n'

echo ok

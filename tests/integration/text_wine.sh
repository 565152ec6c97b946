# Text outside the legacy code page (Polish, Greek, Japanese) under Wine,
# started through a UTF-16 command line: the application's folder, the
# runtime's folder, the configuration's values, the class path, the output
# file, the environment and the arguments reach the real VM (Java 17 and 25)
# as the same characters, in its options, its environment and String[]; the
# probe program loads from such a folder and writes such a file. The
# configuration file may be UTF-8 with or without a mark, UTF-16, or in the
# legacy code page. The stand-in VM plays a runtime before Java 9, which gets
# its option strings in the legacy code page, which it decodes them with, and
# whose process stays unaware of the screen's DPI (the trace says so: Wine
# makes every process aware whatever it asks).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

testvm=${2:?test VM library}
spawn=${3:?spawn helper}
export LC_ALL=C.UTF-8
need_windows_runtimes
need_java_classes

folder="$work/Zoë Łódź Ελλάδα 東京"
app=$(make_app "$folder" viewer)
app_win=$(winpath "$app")
folder_win=$(winpath "$folder")
mkdir -p "$folder/Łódź/classes" "$work/Środowisko 東京"
cp "$classes/Probe.class" "$folder/Łódź/classes/"
jre="$work/Środowisko 東京/jre"
jre_win=$(winpath "$jre")
ini=$folder/viewer.ini
out=$work/out

# Java's view of a text, as the probe prints it.
probe_text() {
  python3 -c 'import sys; print("".join(c if 0x20 <= ord(c) < 0x7f else "\\u%04X" % ord(c) for c in sys.argv[1]))' "$1"
}

ini_lines=("[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$jre_win"
  "Virtual Machine Parameters=\"-Dprobe.value=Zoë Łódź\" -Dgreek=Ελλάδα -Dcity=%CITY%"
  "Library Path=Łódź\\lib"
  "[Class Path]" "Class Path=lib\\東京.jar;Łódź\\classes"
  "[Application]" "Override WorkingDir=Yes" "Output File=$folder_win\\wyjście 東京.log"
  "Cmd=Ζεύς \"Żółć gęślą\" 日本語")

# run_text <arguments...>: the launch through the UTF-16 helper.
run_text() {
  TARN_TRACE=1 CITY="Kraków 東京" SPAWN_COMMAND_LINE="\"$app_win\" $*" run_app "$spawn"
}

expect_unicode_launch() {
  expect_status 0
  local log="$folder/wyjście 東京.log"
  [ -f "$log" ] || fail "the output file was not created under its name"
  tr -d '\r' <"$log" >"$out"
  rm -f "$log"
  expect_line "$out" "prop java.class.path=$(probe_text 'lib\東京.jar;Łódź\classes')"
  expect_line "$out" "prop probe.value=$(probe_text 'Zoë Łódź')"
  expect_line "$out" "vmarg -Dgreek=$(probe_text 'Ελλάδα')"
  expect_line "$out" "vmarg -Dcity=$(probe_text 'Kraków 東京')"
  expect_text "$out" "prop java.library.path=$(probe_text "Łódź\\lib;$folder_win\\;")"
  expect_line "$out" "prop user.dir=$(probe_text "$folder_win")"
  expect_line "$out" "env TARN_JVM_PATH=$(probe_text "$jre_win\\bin\\server\\jvm.dll")"
  expect_line "$out" "env TARN_JVM_HOME=$(probe_text "$jre_win")"
  expect_text "$out" "$(probe_text ";$jre_win\\bin")"
  local argument i=0 expected=""
  for argument in 'Łukasz' 'Ελληνικά' '日本語 テキスト' 'Ζεύς' 'Żółć gęślą' '日本語'; do
    expected+="arg $i $(probe_text "$argument")"$'\n'
    i=$((i + 1))
  done
  [ "$(lines_with "$out" "arg ")"$'\n' = "$expected" ] || fail "arguments: $(lines_with "$out" "arg ")"
  expect_line "$out" "main done"
  expect_text "$work/err" "option strings in the process's code page, per-monitor DPI aware"
}

# The file in UTF-8, with a byte-order mark, and as UTF-16, the runtimes
# taking turns.
arguments='Łukasz Ελληνικά "日本語 テキスト"'
forms=(plain mark utf16)
for i in 0 1 2; do
  form=${forms[i]}
  home=${windows_runtimes[i % 2]}
  echo "=== $form, $(basename "$home")"
  ln -sfn "$home" "$jre"
  case $form in
    plain) printf '%s\r\n' "${ini_lines[@]}" >"$ini" ;;
    mark) { printf '\xEF\xBB\xBF'; printf '%s\r\n' "${ini_lines[@]}"; } >"$ini" ;;
    utf16) printf '%s\r\n' "${ini_lines[@]}" | iconv -f UTF-8 -t UTF-16 >"$ini" ;;
  esac
  run_text "$arguments"
  expect_unicode_launch
done

# Saved in the legacy code page (1252 here): its characters, not
# replacement characters.
mkdir -p "$work/Café/classes"
ln -sfn "${windows_runtimes[0]}" "$work/Café/jre"
cp "$classes/Probe.class" "$work/Café/classes/"
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$(winpath "$work/Café/jre")" \
  "Virtual Machine Parameters=-Dprobe.value=Café" "[Class Path]" "Class Path=$(winpath "$work/Café/classes")" |
  iconv -f UTF-8 -t CP1252 >"$ini"
run_text "à"
expect_status 0
expect_line "$out" 'prop probe.value=Caf\u00E9'
expect_line "$out" 'arg 0 \u00E0'

# A runtime before Java 9: the stand-in VM gets its option strings in the
# legacy code page, where a character it lacks becomes "?"; the arguments
# still whole.
rm "$jre"
mkdir -p "$jre/bin/server"
cp "$testvm" "$jre/bin/server/jvm.dll"
export TESTVM_RECORD
TESTVM_RECORD=$(winpath "$work/record")
printf '%s\r\n' "${ini_lines[@]}" >"$ini"
TESTVM_SCRIPT=jni=0x10008 run_text "$arguments"
expect_status 0
expect_line "$work/record" "$(printf 'option -Dprobe.value=Zo\xeb ?\xf3d?')"
expect_line "$work/record" "option -Dgreek=??????"
expect_line "$work/record" "arg 0 Łukasz"
expect_text "$work/err" "option strings in the legacy code page, not DPI aware"

# An error line names the characters too (a pipe takes the process's UTF-8).
mkdir -p "$folder/zły/bin/server"
echo "no library" >"$folder/zły/bin/server/jvm.dll"
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$folder_win\\zły" \
  "[Class Path]" "Class Path=." >"$ini"
run_text ""
expect_status 255
expect_output "Error: Failed to load Java VM library: $folder_win\\zły\\bin\\server\\jvm.dll (errno = 193)."$'\n \n'

echo ok

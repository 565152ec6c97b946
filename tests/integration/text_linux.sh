# Text outside ASCII under a UTF-8 locale on Linux: an application in a
# folder named in Polish, Greek and Japanese, with its classes, a VM option,
# an environment reference, "Cmd", the output file and the arguments in
# those scripts too; the Java program receives the same characters.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/Probe.class" ] || fail "the Java test programs are not built"
find_jdk_homes
export LC_ALL=C.UTF-8

folder="$work/Zoë Łódź Ελλάδα 東京"
app=$(make_app "$folder" viewer)
mkdir -p "$folder/klasy 東京"
cp "$classes/Probe.class" "$folder/klasy 東京/"
write_ini "$folder/viewer.ini" "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=${homes[0]}" \
  "Virtual Machine Parameters=-Xshare:auto \"-Dprobe.value=Ελλάδα %PROBE_VAR%\"" \
  "[Class Path]" "Class Path=$folder/klasy 東京" \
  "[Application]" "Output File=$folder/wyjście 東京.log" "Cmd=Ζεύς \"Żółć gęślą\""
PROBE_VAR="Kraków 東京" run_app "$app" Łukasz "日本語 テキスト"
expect_status 0
out="$folder/wyjście 東京.log"
[ -f "$out" ] || fail "no output file under its name"
# The Probe's form of a text: ASCII as it is, the rest as \uXXXX.
e() {
  perl -CSA -e 'print map { my $c = ord; $c >= 0x20 && $c < 0x7f ? $_ : sprintf("\\u%04X", $c) } split //, $ARGV[0]' "$1"
}
expect_line "$out" "arg 0 $(e Łukasz)"
expect_line "$out" "arg 1 $(e '日本語 テキスト')"
expect_line "$out" "arg 2 $(e Ζεύς)"
expect_line "$out" "arg 3 $(e 'Żółć gęślą')"
expect_line "$out" "prop probe.value=$(e 'Ελλάδα Kraków 東京')"
expect_line "$out" "prop java.class.path=$(e "$folder/klasy 東京")"
expect_line "$out" "env PROBE_VAR=$(e 'Kraków 東京')"
echo ok

# The start-up cache under Wine with the stand-in VM: the options for
# runtimes whose release file says 25, 21, 17 and 1.8, the folder under
# LOCALAPPDATA, and the archive the VM writes moved into place, also when
# the program ends through System.exit.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
unset DISPLAY

app=$(make_app "$work/app" cachewin)
use_test_vm "${2:?test VM library}"
touch "$work/app/a.jar"
ini=$work/app/cachewin.ini
local_appdata=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local
folder="$local_appdata/Tarn Cache Test/{C0DE}"
win_folder='C:\users\'"${USER:-$(id -un)}"'\AppData\Local\Tarn Cache Test\{C0DE}'
rm -rf "$local_appdata/Tarn Cache Test"

# start <release version> [script]: one run with the cache on.
start() {
  printf 'JAVA_VERSION="%s"\n' "$1" >"$jre/release"
  write_ini "$ini" "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$(winpath "$jre")" \
    "Startup Cache=Yes" "Virtual Machine Parameters=-Xmx64m" \
    "[Class Path]" "Class Path=a.jar" "[Application]" "Override WorkingDir=Yes" \
    "[Product Information]" "Product Name=Tarn: Cache Test" "Product Code={C0DE}"
  rm -f "$record"
  touch "$record"
  TESTVM_SCRIPT=${2:-} run_app "$app"
  sed -i 's/\r$//' "$record"
  options=$(lines_with "$record" "option ")
}
# The options, with the key and the process id made neutral.
neutral() { sed -E 's/-[0-9a-f]{16}\.p[0-9]+\./-KEY.PID./; s/-[0-9a-f]{16}-[0-9a-f]{8}\./-KEY-STAMP./' <<<"$options"; }
expect_options() {
  [ "$(neutral)" = "$(printf '%s\n' "$@")" ] || fail "options: $(neutral)"
}
cp=$(winpath "$work/app")
base="option -Djava.class.path=a.jar"
at="$win_folder\\cachewin"

echo "17: an archive written at exit, then used"
start 17.0.9
expect_status 0
expect_options "$base" "option -Xlog:cds*=off" "option -XX:ArchiveClassesAtExit=$at-KEY.PID.jsa" \
  "option -Xmx64m" "option exit"
[ -d "$folder" ] || fail "no cache folder under LOCALAPPDATA"
ls "$folder" | grep -qE '^cachewin-[0-9a-f]{16}-[0-9a-f]{8}\.jsa$' || fail "not moved into place: $(ls "$folder")"
start 17.0.9
expect_options "$base" "option -Xlog:cds*=off" "option -XX:SharedArchiveFile=$at-KEY-STAMP.jsa" \
  "option -Xmx64m"

echo "another runtime: the old archive goes, System.exit still leaves the new one"
start 17.0.10 main=exit:3
expect_status 3
[ "$(ls "$folder" | wc -l)" = 1 ] || fail "files: $(ls "$folder")"
start 17.0.10
expect_options "$base" "option -Xlog:cds*=off" "option -XX:SharedArchiveFile=$at-KEY-STAMP.jsa" \
  "option -Xmx64m"

echo "21: auto-created archive"
start 21.0.2
expect_options "$base" "option -Xlog:cds*=off" "option -XX:+AutoCreateSharedArchive" \
  "option -XX:SharedArchiveFile=$at-KEY.PID.jsa" "option -Xmx64m" "option exit"
start 21.0.2
expect_options "$base" "option -Xlog:cds*=off" "option -XX:+AutoCreateSharedArchive" \
  "option -XX:SharedArchiveFile=$at-KEY-STAMP.jsa" "option -Xmx64m"

echo "25: a recording run; no recording, nothing to assemble"
start 25.0.1
expect_options "$base" "option -Xlog:aot*=off" "option -Xlog:cds*=off" \
  "option -XX:+UnlockDiagnosticVMOptions" "option -XX:-DisplayVMOutput" \
  "option -XX:AOTMode=record" "option -XX:AOTConfiguration=$at-KEY.PID.aotconf" \
  "option -Xmx64m" "option exit"
[ -z "$(ls "$folder")" ] || fail "left over: $(ls "$folder")"

echo "1.8: nothing"
start 1.8.0_392
expect_options "$base" "option -Xmx64m"
echo "cache tests passed"

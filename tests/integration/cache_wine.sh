# The start-up cache under Wine with the stand-in VM: the options for
# runtimes whose release file says 25, 21, 17 and 1.8, the folder under
# LOCALAPPDATA, the archive the VM writes moved into place, also when the
# program ends through System.exit, and the 25 cache built after the program
# by a process that inherits none of the program's handles.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
unset DISPLAY

app=$(make_app "$work/app" cachewin)
use_test_vm "${2:?test VM library}"
cp "${3:?stand-in java.exe}" "$jre/bin/java.exe"
# The default archive that a dynamic archive builds on.
touch "$jre/bin/server/classes.jsa"
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

echo "another runtime: the old archive stays, System.exit still leaves the new one"
start 17.0.10 main=exit:3
expect_status 3
[ "$(ls "$folder" | wc -l)" = 2 ] || fail "files: $(ls "$folder")"
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

echo "25: a recording run, then the cache built by a process of its own"
start 25.0.1
expect_options "$base" "option -Xlog:aot*=off" "option -Xlog:cds*=off" \
  "option -XX:DumpLoadedClassList=$at-KEY.PID.classlist" "option -Xmx64m" "option exit"
for _ in $(seq 300); do
  ls "$folder" | grep -qE '^cachewin-[0-9a-f]{16}-[0-9a-f]{8}\.aot$' && break
  sleep 0.2
done
sed -i 's/\r$//' "$record"
expect_line "$record" "java inherited no"
expect_line "$record" "java -Xshare:dump"
expect_line "$record" "java -Djava.class.path=a.jar"
start 25.0.1
expect_options "$base" "option -Xlog:aot*=off" "option -Xlog:cds*=off" \
  "option -XX:AOTCache=$at-KEY-STAMP.aot" "option -Xmx64m"

echo "1.8: nothing"
start 1.8.0_392
expect_options "$base" "option -Xmx64m"
echo "cache tests passed"

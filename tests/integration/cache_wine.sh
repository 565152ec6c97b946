# The start-up cache under Wine on a real Windows runtime (its Java version
# is the second argument): what the program prints and its exit code never
# change; the cache is made, used by later starts, and a damaged one is
# made anew. These runtimes come without the default archive a dynamic one
# builds on: on 17 a class list then makes the archive after the program,
# as on 25; a copy of 17 given its default archive writes one at exit.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
unset DISPLAY
need_windows_runtimes
version=${2:?Java version of the Windows runtime}
home=$TARN_RUNTIMES/windows-$version
classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/cache1/CacheProgram.class" ] || fail "the Java test programs are not built"

app=$(make_app "$work/app" cached)
(cd "$classes/cache1" && jar cf "$work/app/app.jar" CacheProgram.class Greeting.class)
ini=$work/app/cached.ini
product="Cache Test $version"
caches=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local/$product
rm -rf "$caches"
trap 'rm -rf "$work" "$caches"' EXIT

# configure <runtime folder> <runtime section lines...>
configure() {
  local jre=$1
  shift
  write_ini "$ini" "[Java Runtime Environment]" "Main Class=CacheProgram" \
    "JRE Path=$(winpath "$jre")" "$@" "[Class Path]" "Class Path=app.jar" \
    "[Application]" "Override WorkingDir=Yes" "[Product Information]" "Product Name=$product"
}
baseline() {
  run_app "$app" "$@"
  expected_status=$status
  cp "$work/out" "$work/expected-out"
  cp "$work/err" "$work/expected-err"
}
run_same() {
  run_app "$app" "$@"
  [ "$status" = "$expected_status" ] || fail "exit code $status, expected $expected_status"
  cmp -s "$work/out" "$work/expected-out" || fail "standard output differs"
  cmp -s "$work/err" "$work/expected-err" || fail "standard error differs"
}
cache_files() { find "$caches" -type f 2>/dev/null | sort; }
finished() { cache_files | grep -- '-[0-9a-f]\{16\}-[0-9a-f]\{8\}\.\(jsa\|aot\)$' || true; }
settled() {
  for _ in $(seq 600); do cache_files | grep -q '\.p[0-9]*\.' || return 0; sleep 0.2; done
  fail "the cache was not finished: $(cache_files)"
}
# The program's classes came from the cache (the log is the working folder's).
cached_log="Virtual Machine Parameters=-Xlog:class+load=info:file=classes.log"
expect_cached() {
  grep -q "CacheProgram source: shared objects file" "$work/app/classes.log" ||
    fail "the cache was not used: $(grep CacheProgram "$work/app/classes.log")"
}
expect_one_finished() {
  [ "$(finished | wc -l)" = 1 ] || fail "one cache file expected: $(cache_files)"
  finished | grep -q "\\.$1\$" || fail "not a .$1 cache: $(cache_files)"
}

echo "=== $home: made after the program, then used"
configure "$home"
baseline b a b
expect_line "$work/out" "out one {a=1, b=2}"
configure "$home" "Startup Cache=yes" "$cached_log"
TARN_TRACE=$(winpath "$work/trace") run_same b a b
grep -q "start-up cache: building in the background" "$work/trace" ||
  fail "no cache built: $(grep 'start-up cache' "$work/trace")"
[ -z "$(finished)" ] || fail "the first start waited for the cache"
settled
extension=jsa
[ "$version" -ge 25 ] && extension=aot
expect_one_finished $extension
run_same b a b
expect_cached

echo "damaged: ignored, then made anew"
file=$(finished)
chmod u+w "$file"
truncate -s 4096 "$file"
run_same b a b
settled
run_same b a b
expect_cached
# Damaged inside, its size and time kept: the VM cannot start from it, and
# the start that finds so takes it away for the next.
file=$(finished)
chmod u+w "$file"
cp -p "$file" "$work/sound"
printf 'damage%.0s' $(seq 2000) | dd of="$file" bs=1 seek=3000000 conv=notrunc 2>/dev/null
touch -r "$work/sound" "$file"
run_app "$app" b a b
[ -z "$(finished)" ] || fail "the damaged cache stayed: $(cache_files)"
run_same b a b
settled
run_same b a b
expect_cached

if [ "$version" -lt 25 ]; then
  echo "=== with its default archive: written at exit, also after System.exit"
  rm -rf "$caches"
  full=$work/jre-full
  cp -rs "$home" "$full"
  wine "$(winpath "$full/bin/java.exe")" -Xshare:dump >"$work/dump.out" 2>&1 ||
    fail "no default archive: $(cat "$work/dump.out")"
  configure "$full"
  baseline exit
  configure "$full" "Startup Cache=yes" "$cached_log"
  run_same exit
  expect_one_finished jsa
  run_same exit
  expect_cached
fi
echo "cache tests passed"

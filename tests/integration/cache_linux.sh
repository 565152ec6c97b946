# The start-up cache with the real VMs under /usr/lib/jvm: what the program
# prints never changes, the cache is used, remade when the jar changes or
# the cache is damaged, and left alone when the key is off or the user
# chose a sharing option.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/cache1/CacheProgram.class" ] || fail "the Java test programs are not built"

find_jdk_homes

export XDG_CACHE_HOME=$work/cache
# Runs the application and compares both streams and the code with the run
# without a cache.
run_same() {
  run_app "$app" "$@"
  [ "$status" = "$expected_status" ] || fail "exit code $status, expected $expected_status"
  cmp -s "$work/out" "$work/expected-out" || fail "standard output differs"
  cmp -s "$work/err" "$work/expected-err" || fail "standard error differs"
}
expect_baseline() {
  expected_status=$1
  cp "$work/out" "$work/expected-out"
  cp "$work/err" "$work/expected-err"
}
cache_files() { find "$XDG_CACHE_HOME" -type f 2>/dev/null | sort; }
# The program's classes came from the cache.
expect_cached() {
  grep -q "CacheProgram source: shared objects file" "$work/classes.log" ||
    fail "the cache was not used: $(grep CacheProgram "$work/classes.log")"
}

for home in "${homes[@]}"; do
  version=$(sed -n 's/^JAVA_VERSION="\(.*\)"$/\1/p' "$home/release")
  feature=${version%%.*}
  [ "$feature" -ge 13 ] && [ -x "$home/bin/jar" ] || continue
  echo "=== $home ($version)"
  app_dir=$work/app-$feature
  app=$(make_app "$app_dir" cached)
  (cd "$classes/cache1" && "$home/bin/jar" cf "$app_dir/one.jar" CacheProgram.class Greeting.class)
  (cd "$classes/cache2" && "$home/bin/jar" cf "$app_dir/two.jar" Greeting.class)
  cp "$app_dir/one.jar" "$app_dir/app.jar"
  ini=$app_dir/cached.ini
  rm -rf "$XDG_CACHE_HOME"
  # configure <runtime section lines...>
  configure() {
    write_ini "$ini" "[Java Runtime Environment]" "Main Class=CacheProgram" "JRE Path=$home" "$@" \
      "[Class Path]" "Class Path=app.jar" "[Application]" "Override WorkingDir=Yes" \
      "[Product Information]" "Product Name=Cache Test: $feature"
  }
  configure
  run_app "$app" b a b
  expect_baseline 0
  expect_line "$work/out" "out one {a=1, b=2}"

  # Twice with the cache: the same output; the second run from the cache.
  params="Virtual Machine Parameters=-Xlog:class+load=info:file=$work/classes.log"
  configure "Startup Cache=yes" "$params"
  run_same b a b
  [ "$(cache_files | wc -l)" = 1 ] || fail "one cache file expected: $(cache_files)"
  expect_text <(cache_files) "$XDG_CACHE_HOME/Cache Test $feature/cached-"
  run_same b a b
  expect_cached

  # The jar changes: the new class runs at once, and one new cache replaces the old.
  old=$(cache_files)
  cp "$app_dir/two.jar" "$app_dir/app.jar"
  (cd "$classes/cache1" && "$home/bin/jar" uf "$app_dir/app.jar" CacheProgram.class)
  sed 's/ one / two /; s/ one$/ two/' "$work/expected-out" >"$work/expected-out.2"
  sed 's/ one$/ two/' "$work/expected-err" >"$work/expected-err.2"
  mv "$work/expected-out.2" "$work/expected-out"
  mv "$work/expected-err.2" "$work/expected-err"
  run_same b a b
  [ "$(cache_files | wc -l)" = 1 ] && [ "$(cache_files)" != "$old" ] || fail "not remade: $(cache_files)"
  run_same b a b
  expect_cached

  # Every cache file truncated: still clean, and made again.
  while read -r file; do chmod u+w "$file"; truncate -s 4096 "$file"; done < <(cache_files)
  run_same b a b
  run_same b a b
  expect_cached

  # System.exit keeps its code and still writes the cache: four first
  # starts at once, each runs cleanly, and one cache remains in use.
  rm -rf "$XDG_CACHE_HOME"
  configure
  run_app "$app" exit
  expect_baseline 5
  configure "Startup Cache=yes"
  for i in 1 2 3 4; do
    (cd "$work"; set +e; "$app" exit >"$work/out.$i" 2>"$work/err.$i"; echo $? >"$work/status.$i") &
  done
  wait
  for i in 1 2 3 4; do
    [ "$(cat "$work/status.$i")" = 5 ] || fail "start $i: exit code $(cat "$work/status.$i")"
    cmp -s "$work/out.$i" "$work/expected-out" && cmp -s "$work/err.$i" "$work/expected-err" ||
      fail "start $i printed: $(cat "$work/out.$i" "$work/err.$i")"
  done
  [ -z "$(cache_files | grep -v -- '-[0-9a-f]\{16\}-[0-9a-f]\{8\}\.\(jsa\|aot\)$')" ] ||
    fail "files left over: $(cache_files)"
  configure "Startup Cache=yes" "$params"
  run_same exit
  expect_cached

  # Off, or the user's own choice: nothing written, nothing added.
  for own in "" "-Xshare:off" "-XX:SharedArchiveFile=$work/own.jsa"; do
    rm -rf "$XDG_CACHE_HOME"
    if [ -z "$own" ]; then
      configure "Startup Cache=no"
    else
      configure "Startup Cache=YES" "Virtual Machine Parameters=$own"
    fi
    # The user's own archive may draw the VM's own remarks: only the code counts.
    run_app "$app" exit
    expect_status 5
    [ -z "$(cache_files)" ] || fail "written with '$own': $(cache_files)"
  done
done
echo "cache tests passed"

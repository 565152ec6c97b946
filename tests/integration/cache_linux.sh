# The start-up cache with the real VMs under /usr/lib/jvm: what the program
# prints and its exit code never change, on a full disk neither; the cache
# is used, built after the program on 25, kept per install, remade when
# damaged, and left alone when the key is off or the user chose a sharing
# option; the process that builds it holds nothing of the program's.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"

classes=${TARN_BINARY_DIR:?}/tests/java/classes
[ -f "$classes/cache1/CacheProgram.class" ] || fail "the Java test programs are not built"

find_jdk_homes

export XDG_CACHE_HOME=$work/cache
disk=$work/disk
mkdir -p "$disk"
trap 'umount "$disk" 2>/dev/null || true; rm -rf "$work"' EXIT
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
finished() { cache_files | grep -- '-[0-9a-f]\{16\}-[0-9a-f]\{8\}\.\(jsa\|aot\)$' || true; }
building() { cache_files | grep -q '\.p[0-9]*\.'; }
# Until no run writes or builds a cache any more.
settled() {
  for _ in $(seq 600); do building || return 0; sleep 0.2; done
  fail "the cache was not finished: $(cache_files)"
}
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

  # With the cache: the same output each time. The first start ends
  # before a 25 cache exists, and the start right after runs without it.
  params="Virtual Machine Parameters=-Xlog:class+load=info:file=$work/classes.log"
  configure "Startup Cache=yes" "$params"
  run_same b a b
  if [ "$feature" -ge 25 ]; then
    [ -z "$(finished)" ] || fail "the first start waited for the cache"
    run_same b a b
    ! grep -q "CacheProgram source: shared" "$work/classes.log" || fail "used before it was finished"
    settled
  fi
  [ "$(finished | wc -l)" = 1 ] || fail "one cache file expected: $(cache_files)"
  expect_text <(finished) "$XDG_CACHE_HOME/Cache Test $feature/cached-"
  run_same b a b
  expect_cached

  # A second install with another jar, started in turn with the first:
  # each keeps using its own cache.
  other=$work/other-$feature
  cp -r "$app_dir" "$other"
  cp "$app_dir/two.jar" "$other/app.jar"
  (cd "$classes/cache1" && "$home/bin/jar" uf "$other/app.jar" CacheProgram.class)
  run_app "$other/cached" b a b
  settled
  for app in "$other/cached" "$app_dir/cached" "$other/cached"; do
    run_app "$app" b a b
    expect_status 0
    expect_cached
  done
  [ "$(finished | wc -l)" = 2 ] || fail "two caches expected: $(cache_files)"
  app=$app_dir/cached

  # Every cache file truncated: still clean, and made again.
  while read -r file; do chmod u+w "$file"; truncate -s 4096 "$file"; done < <(finished)
  run_same b a b
  settled
  run_same b a b
  expect_cached

  # System.exit keeps its code and still leaves a cache: four first starts
  # at once, each runs cleanly, and one cache remains in use.
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
  settled
  [ "$(cache_files)" = "$(finished)" ] || fail "files left over: $(cache_files)"
  configure "Startup Cache=yes" "$params"
  run_same exit
  expect_cached

  # A disk that fills while the program runs: no cache can be written,
  # and the run still ends as the program did; no start tries again for
  # a day, and none without room; with room, it is made.
  mount -t tmpfs -o size=140m tmpfs "$disk"
  export XDG_CACHE_HOME=$disk
  configure
  run_app "$app" fill "$disk/fill"
  expect_baseline 0
  rm "$disk/fill"
  configure "Startup Cache=yes" "$params"
  run_same fill "$disk/fill"
  settled
  rm "$disk/fill"
  run_same fill "$disk/fill"
  rm "$disk/fill"
  [ -z "$(finished)" ] || fail "a cache on a full disk: $(cache_files)"
  touch -d "2 days ago" "$disk"/*/*.tried
  mount -o remount,size=8m "$disk"
  run_same fill "$disk/fill"
  rm "$disk/fill"
  [ -z "$(cache_files)" ] || fail "written without room: $(cache_files)"
  mount -o remount,size=200m "$disk"
  run_app "$app" b a b
  settled
  run_app "$app" b a b
  expect_status 0
  expect_cached
  umount "$disk"
  export XDG_CACHE_HOME=$work/cache

  # Off, or the user's own choice, or a folder that someone else's link
  # takes in a shared cache folder: nothing written, nothing added, and the
  # shared folder's mode kept.
  rm -rf "$XDG_CACHE_HOME"
  mkdir -p "$XDG_CACHE_HOME" "$work/elsewhere"
  chmod 1777 "$XDG_CACHE_HOME"
  ln -s "$work/elsewhere" "$XDG_CACHE_HOME/Cache Test $feature"
  chown -h nobody "$XDG_CACHE_HOME/Cache Test $feature"
  configure "Startup Cache=yes"
  run_app "$app" exit
  expect_status 5
  [ "$(stat -c %a "$XDG_CACHE_HOME")" = 1777 ] || fail "the shared cache folder's mode changed"
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
  [ -z "$(find "$work/elsewhere" -type f)" ] || fail "written through another's link"

  # The process that builds a 25 cache after the program holds none of
  # its descriptors: not the port the program listened on, nor a file the
  # launcher was started with.
  if [ "$feature" -ge 25 ]; then
    configure "Startup Cache=yes"
    port=$((20000 + RANDOM % 20000))
    run_app "$app" listen "$port" 7>>"$work/held"
    expect_status 0
    building || fail "no cache being built"
    [ -z "$(ss -Htln "sport = :$port")" ] || fail "port $port still taken"
    held=$(find /proc/[0-9]*/fd -lname "$work/held" 2>/dev/null || true)
    [ -z "$held" ] || fail "the launcher's file still held: $held"
    settled
  fi
done
echo "cache tests passed"

# assemble with <linkRuntime>: examples/maven linked for linux-x64 on JDK 17 (the JDK that runs
# Maven, from jmods/) and on JDK 25 (Maven run on it: a JDK without jmods/ links its own
# system), each run from another folder where no Java is visible (a private mount namespace
# hides /usr/lib/jvm), with the start-up cache trained and used, with and without the runtime's
# default class-data archive. The refusals name the JDK and what is wrong, and leave target/tarn/
# as it was. (check_maven.sh runs assembled Windows folders with real runtimes under Wine.)
# usage: bash tests/maven/check_linked_runtime.sh   (as root, after tests/maven/check_maven.sh)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-link.XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(sed -n 's/^project(tarn VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -d "build/maven/m2/dev/tarn/tarn-maven-plugin/$version" ] || scripts/maven-plugin -DskipTests
plugin=dev.tarn:tarn-maven-plugin:$version
maven() { mvn -B -s "$source_dir/build/maven/settings.xml" "$@"; }
# jdk <feature>: a JDK of that version under /usr/lib/jvm that has jlink.
jdk() {
  local home
  for home in /usr/lib/jvm/*-"$1"-*; do [ -x "$home/bin/jlink" ] && realpath "$home" && return; done
  fail "no JDK $1 with jlink under /usr/lib/jvm"
}

app=$work/greeter
cp -r examples/maven "$app"
# A JDK per launcher and the minimum version from properties, for the refusals.
sed -i -e 's|<copyright>|<runtimeJdks><windows-x64>${jdk.windows}</windows-x64></runtimeJdks>&|' \
  -e 's|<minimumVersion>1.8<|<minimumVersion>${minimum}<|' -e 's|<properties>|&<minimum>1.8</minimum>|' "$app/pom.xml"
cd "$app"
maven -q package -Dtarn.skip >"$work/build.log" 2>&1 || fail "the example does not build: $(cat "$work/build.log")"

# no_java <command...>: runs it from / with no Java on the machine to be seen.
no_java() {
  unshare -m --propagation private sh -c 'mount -t tmpfs none /usr/lib/jvm && cd / && exec "$@"' sh \
    env -u JAVA_HOME -u JDK_HOME XDG_CACHE_HOME="$work/cache" TARN_TRACE=1 "$@"
}
# expect_run <Java version> <cache state> <executable>: the greeting, and what the cache did.
expect_run() {
  no_java "$3" alpha beta >"$work/run.out" 2>"$work/trace" || fail "$3: $(cat "$work/run.out" "$work/trace")"
  printf 'Hello, Alpha beta!\nJava %s\n' "$1" | cmp -s - "$work/run.out" || fail "$3 printed: $(cat "$work/run.out")"
  grep -q "start-up cache in .*: $2" "$work/trace" || fail "$3: the cache was not '$2': $(grep cache "$work/trace")"
}
# settle <count>: waits until that many caches of this Java version are in place, the ones
# built in the background included.
settle() {
  local kind=jsa
  [ "$java" = 25 ] && kind=aot
  for _ in $(seq 600); do [ "$(find "$work/cache" -name "*.$kind" ! -name '*.p[0-9]*' | wc -l)" -ge "$1" ] && return 0; sleep 0.2; done
}

for java in 17 25; do
  JAVA_HOME=$(jdk "$java") maven "$plugin:assemble" -Dtarn.launchers=linux-x64 -Dtarn.linkRuntime=true \
    -Dtarn.name="g$java" -Dtarn.startupCache=true >"$work/build.log" 2>&1 || fail "linking on $java: $(cat "$work/build.log")"
  grep -qF -- "--add-modules java.base,java.desktop,jdk.charsets,jdk.crypto.ec,jdk.zipfs --strip-debug" "$work/build.log" ||
    fail "the build log lacks the jlink command: $(cat "$work/build.log")"
  folder=$app/target/tarn/linux-x64/g$java-2.5.1-SNAPSHOT
  [ -f "$folder/jre/lib/server/classes.jsa" ] && [ ! -e "$folder/jre/lib/server/classes_nocoops.jsa" ] &&
    [ ! -e "$app/target/tarn/.tarn-link" ] || fail "$java: the linked runtime's archives, or the scratch folder"
  expect_run "$java" recording "$folder/g$java"
  settle 1
  expect_run "$java" "in use" "$folder/g$java"
  # Linked without the default archive that 17's dynamic archive needs: there a class list
  # makes a static one, as it makes 25's cache.
  cp -r "$folder" "$work/bare-$java"
  rm "$work/bare-$java/jre/lib/server/classes.jsa"
  expect_run "$java" recording "$work/bare-$java/g$java"
  settle 2
  expect_run "$java" "in use" "$work/bare-$java/g$java"
done

# Refusals, before anything is written.
(cd target/tarn && find . | LC_ALL=C sort) >"$work/before"
fake_windows=$work/windows-jdk
mkdir -p "$fake_windows/bin"
printf 'JAVA_VERSION="17.0.9"\nOS_NAME="Windows"\nOS_ARCH="amd64"\n' >"$fake_windows/release"
refuse() {
  local message=$1
  shift
  if maven "$plugin:assemble" -Dtarn.linkRuntime=true "$@" >"$work/build.log" 2>&1; then fail "$* passed"; fi
  grep -qF -- "$message" "$work/build.log" || fail "$*: $(cat "$work/build.log")"
  (cd target/tarn && find . | LC_ALL=C sort) | diff "$work/before" - >&2 || fail "$* left files"
}
refuse "<runtimeJdks> $(jdk 17) is a JDK for Linux x86_64, not for windows-x64 (Windows x86_64)" \
  -Dtarn.launchers=linux-x64,windows-x64 -Djdk.windows="$(jdk 17)"
refuse "<linkRuntime> the JDK that runs Maven, $(jdk 17), is Java 17.0" -Dtarn.launchers=linux-x64 -Dminimum=18
refuse "<runtimeJdks> $fake_windows has no jmods/, so it cannot link a runtime for another system than its own" \
  -Dtarn.launchers=windows-x64 -Djdk.windows="$fake_windows"

echo "linked runtime: ok"

# The Maven plugin as a user meets it, offline: built with the launchers' images and compared
# with the native tarn-pack (scripts/maven-plugin), then the example application built with
# it. The Linux executables run the application on JDK 17 and 25, whatever the current folder;
# the Windows ones, of both launchers, packed and assembled, run it under Wine on the real Windows
# Java 17 and 25 (scripts/runtimes), one from its private runtime that the plugin copied in; the
# JDK loads the main class from the packed .exe; the version resource carries the project's
# version; a second build gives the same bytes; bad configuration fails by name and leaves
# what was built as it was.
# usage: bash tests/maven/check_maven.sh   (from the source tree, after the CMake presets)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-maven.XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

scripts/maven-plugin
version=$(sed -n 's/^project(tarn VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
plugin=dev.tarn:tarn-maven-plugin:$version
maven() { mvn -B -q -s "$source_dir/build/maven/settings.xml" "$@"; }

app=$work/greeter
cp -r examples/maven "$app"
cd "$app"
maven package >"$work/build.log" 2>&1 || fail "the example does not build: $(cat "$work/build.log")"
out=$app/target/tarn
folder=greeter-2.5.1-SNAPSHOT
(cd "$out" && find . -type f | LC_ALL=C sort) >"$work/files"
printf '%s\n' ./linux-x64/greeter "./linux-x64/$folder-linux-x64.zip" "./linux-x64/$folder/greeter" \
  "./linux-x64/$folder/greeter.ini" "./linux-x64/$folder/lib/commons-lang3-3.12.0.jar" \
  "./linux-x64/$folder/lib/$folder.jar" ./windows-x64-window/greeter.exe \
  "./windows-x64/$folder-windows-x64.zip" "./windows-x64/$folder/greeter.exe" \
  "./windows-x64/$folder/greeter.ini" "./windows-x64/$folder/lib/commons-lang3-3.12.0.jar" \
  "./windows-x64/$folder/lib/$folder.jar" | LC_ALL=C sort | diff - "$work/files" >&2 ||
  fail "target/tarn holds other files"
grep -qxF "Class Path=lib/$folder.jar;lib/commons-lang3-3.12.0.jar" "$out/linux-x64/$folder/greeter.ini" ||
  fail "the assembled INI: $(cat "$out/linux-x64/$folder/greeter.ini")"

# add_jre_path <ini> <folder>: the configuration with "JRE Path" set, in the file's line ends.
add_jre_path() {
  JRE=$2 awk '{ print } /^\[Java Runtime Environment\]\r?$/ { print "JRE Path=" ENVIRON["JRE"] (/\r$/ ? "\r" : "") }' \
    "$1" >"$1.new"
  mv "$1.new" "$1"
}

# expect_greeting <Java version> <command...>: the application ran on that Java.
expect_greeting() {
  local java=$1
  shift
  "$@" alpha beta >"$work/run.out" 2>&1 || fail "$*: $(cat "$work/run.out")"
  printf 'Hello, Alpha beta!\nJava %s\n' "$java" | cmp -s - "$work/run.out" ||
    fail "$* printed: $(cat "$work/run.out")"
}
mkdir "$work/elsewhere"
cd "$work/elsewhere"
for java in 17 25; do
  home=$(realpath "$(ls -d /usr/lib/jvm/*-$java-* | head -n 1)")
  [ -f "$home/lib/server/libjvm.so" ] || fail "no JDK $java under /usr/lib/jvm"
  # An INI beside a packed executable wins over its embedded values.
  mkdir "$work/packed-$java"
  cp "$out/linux-x64/greeter" "$work/packed-$java/"
  printf '[Java Runtime Environment]\nJRE Path=%s\n' "$home" >"$work/packed-$java/greeter.ini"
  expect_greeting "$java" "$work/packed-$java/greeter"
  # The zip unpacked: the launcher still executable, its INI naming lib/.
  mkdir "$work/unzipped-$java"
  unzip -q "$out/linux-x64/$folder-linux-x64.zip" -d "$work/unzipped-$java"
  add_jre_path "$work/unzipped-$java/$folder/greeter.ini" "$home"
  expect_greeting "$java" "$work/unzipped-$java/$folder/greeter"
done

# Windows, under Wine on the real runtimes. Without them (offline) this part says so and is
# left out.
export WINEPREFIX=$source_dir/build/windows/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
"$source_dir/scripts/wine-prefix" "$WINEPREFIX"
probe=$source_dir/build/windows/tools/tarn-pack/resource_probe.exe
[ -f "$probe" ] || fail "build the windows preset first"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
runtimes=${TARN_RUNTIMES:-$source_dir/build/runtimes}
windows=yes
for java in 17 25; do
  [ -f "$runtimes/windows-$java/bin/server/jvm.dll" ] || windows=""
done
[ -n "$windows" ] ||
  echo "SKIPPED: the Windows executables under Wine: no real Windows runtimes under $runtimes (scripts/runtimes fetches them)"
# expect_windows_greeting <Java version> <executable>: the application ran on that Java under
# Wine, started from its own folder.
expect_windows_greeting() {
  (cd "$(dirname "$2")" && wine "$2" alpha beta) >"$work/wine.out" 2>"$work/wine.err" ||
    fail "$2 under Wine: $(cat "$work/wine.out" "$work/wine.err")"
  printf 'Hello, Alpha beta!\nJava %s\n' "$1" | cmp -s - <(tr -d '\r' <"$work/wine.out") ||
    fail "$2 under Wine printed: $(cat "$work/wine.out" "$work/wine.err")"
}
if [ -n "$windows" ]; then
  mkdir "$work/win"
  cp "$out/windows-x64-window/greeter.exe" "$work/win/"
  printf '[Java Runtime Environment]\r\nJRE Path=%s\r\n' "$(winpath "$runtimes/windows-17")" >"$work/win/greeter.ini"
  expect_windows_greeting 17 "$work/win/greeter.exe"
  cp -r "$out/windows-x64/$folder" "$work/win-folder"
  add_jre_path "$work/win-folder/greeter.ini" "$(winpath "$runtimes/windows-25")"
  expect_windows_greeting 25 "$work/win-folder/greeter.exe"
fi
java -cp "$out/windows-x64-window/greeter.exe" dev.tarn.examples.greeter.Greeter alpha >"$work/java.out" 2>&1 ||
  fail "java -cp greeter.exe: $(cat "$work/java.out")"
grep -qxF 'Hello, Alpha!' "$work/java.out" || fail "java -cp greeter.exe printed: $(cat "$work/java.out")"
wine "$probe" "$(winpath "$out/windows-x64-window/greeter.exe")" | tr -d '\r' >"$work/probe.txt"
for line in "fixed 2.5.1.0 2.5.1.0" "string CompanyName=Example Ltd" "string FileDescription=Greeter" \
    "string FileVersion=2.5.1.0" "string LegalCopyright=(c) 2026 Example Ltd" \
    "string OriginalFilename=greeter.exe" "string ProductName=Greeter" "string ProductVersion=2.5.1-SNAPSHOT"; do
  grep -qxF "$line" "$work/probe.txt" || fail "the version resource lacks '$line': $(cat "$work/probe.txt")"
done

# The same build again gives the same bytes.
cd "$app"
(cd "$out" && find . -type f -exec sha256sum {} + | LC_ALL=C sort -k2) >"$work/first.sha256"
maven package >"$work/build.log" 2>&1 || fail "the second build: $(cat "$work/build.log")"
(cd "$out" && sha256sum --quiet -c "$work/first.sha256") || fail "a second build gave other bytes"

# By each goal alone after the build: the console launcher packed, and a folder of the window
# launcher with a private runtime, the real Java 17 copied in as jre/ from a tree of links to it
# (a link to a folder followed, a broken one left out with a warning).
if [ -n "$windows" ]; then
  maven "$plugin:pack" -Dtarn.launchers=windows-x64 -Dtarn.jar="target/$folder-all.jar" -Dtarn.name=single \
    >"$work/build.log" 2>&1 || fail "pack of the console launcher: $(cat "$work/build.log")"
  printf '[Java Runtime Environment]\r\nJRE Path=%s\r\n' "$(winpath "$runtimes/windows-25")" \
    >"$out/windows-x64/single.ini"
  expect_windows_greeting 25 "$out/windows-x64/single.exe"
  rm "$out/windows-x64/single.ini"
  cp -as "$runtimes/windows-17" "$work/jre"
  rm -r "$work/jre/bin/server"
  ln -s "$runtimes/windows-17/bin/server" "$work/jre/bin/server"
  ln -s missing.zip "$work/jre/src.zip"
  mvn -B -s "$source_dir/build/maven/settings.xml" "$plugin:assemble" -Dtarn.launchers=windows-x64-window \
    -Dtarn.name=private -Dtarn.runtime="$work/jre" >"$work/build.log" 2>&1 ||
    fail "assemble with a runtime: $(cat "$work/build.log")"
  grep -qF "Left out of the runtime: $work/jre/src.zip: a link to missing.zip, which does not exist" \
    "$work/build.log" || fail "no warning of the broken link: $(cat "$work/build.log")"
  private=$out/windows-x64-window/private-2.5.1-SNAPSHOT
  (cd "$runtimes/windows-17" && find . -type f ! -name .sha256 | LC_ALL=C sort) >"$work/runtime-files"
  (cd "$private/jre" && find . ! -type d ! -name .sha256 | LC_ALL=C sort) | diff "$work/runtime-files" - >&2 ||
    fail "the private runtime is not the runtime's copy"
  expect_windows_greeting 17 "$private/private.exe"
fi

# A Linux name with a dot: the INI bears the name the launcher reads.
maven "$plugin:assemble" -Dtarn.launchers=linux-x64 -Dtarn.name=greeter.app >"$work/build.log" 2>&1 ||
  fail "assemble greeter.app: $(cat "$work/build.log")"
add_jre_path "$out/linux-x64/greeter.app-2.5.1-SNAPSHOT/greeter.ini" "$(realpath /usr/lib/jvm/*-17-*/ | head -n 1)"
(cd "$work/elsewhere" && expect_greeting 17 "$out/linux-x64/greeter.app-2.5.1-SNAPSHOT/greeter.app")

# Bad configuration: the message names the parameter, nothing is written.
(cd "$out" && find . | LC_ALL=C sort) >"$work/before"
echo "no icon" >"$work/bad.ico"
# refuse <message> <goal and properties...>
refuse() {
  local message=$1
  shift
  if maven "$@" >"$work/build.log" 2>&1; then fail "$* passed"; fi
  grep -qF -- "$message" "$work/build.log" || fail "$*: $(cat "$work/build.log")"
  (cd "$out" && find . | LC_ALL=C sort) | diff "$work/before" - >&2 || fail "$* left files"
}
refuse "<jar> is not set, and the project's jar lacks its runtime dependencies [commons-lang3-3.12.0.jar]" \
  "$plugin:pack" -Dtarn.launchers=windows-x64
refuse "<icon> $work/bad.ico: the icon is not usable: not an icon file" \
  "$plugin:pack" -Dtarn.launchers=linux-x64,windows-x64 -Dtarn.jar="target/$folder-all.jar" -Dtarn.icon="$work/bad.ico"
refuse "<splash> $work/bad.ico: the splash image is not usable: it is no PNG, GIF or BMP file" \
  "$plugin:pack" -Dtarn.launchers=windows-x64 -Dtarn.jar="target/$folder-all.jar" -Dtarn.splash="$work/bad.ico"
printf '[Application]\nEmbedded Jar=No\n' >"$work/no-jar.ini"
refuse '<iniFile> sets "Embedded Jar=No", but pack puts the jar into the executable' \
  "$plugin:pack" -Dtarn.launchers=linux-x64 -Dtarn.jar="target/$folder-all.jar" -Dtarn.iniFile="$work/no-jar.ini"
refuse '<launchers> names no launcher "mac"; use windows-x64, windows-x64-window, windows-x86, windows-x86-window or linux-x64' \
  "$plugin:pack" -Dtarn.launchers=linux-x64,mac
echo "maven plugin and example: ok"

# Checks what scripts/release wrote: the three archives and the Maven plugin
# under the project's version, the archives with exactly the listed files,
# the plugin with their launchers, the checksums, the same bytes from a
# second run, images without build paths or link times; then uses
# the unpacked archives as a publisher would: on Linux `tarn` runs the
# example on a real VM and `tarn-pack` packs it; under Wine `tarn-pack.exe`
# packs `tarn.exe` with a configuration and a jar, the packed executable
# reads its configuration (stand-in VM) and a real JDK loads its main
# class, and `tarn-pack.exe` refuses bad input as the Linux tool does.
# usage: bash tests/release/check_release.sh [DIST]   (from the source tree)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"
dist=$(cd "${1:-dist}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tarn-release.XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(sed -n 's/^project(tarn VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
names=("tarn-$version-linux-x64.tar.gz" "tarn-$version-windows-x64.zip" "tarn-$version-windows-x86.zip"
       "tarn-maven-plugin-$version.jar" "tarn-maven-plugin-$version.pom")
[ "$(cd "$dist" && ls)" = "$(printf '%s\n' SHA256SUMS "${names[@]}")" ] ||
  fail "dist holds $(cd "$dist" && ls | tr '\n' ' ')"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "the checksums do not verify"
[ "$(cut -d' ' -f3 "$dist/SHA256SUMS")" = "$(printf '%s\n' "${names[@]}")" ] ||
  fail "SHA256SUMS covers $(cut -d' ' -f3 "$dist/SHA256SUMS" | tr '\n' ' ')"

# Contents: the programs and the papers, nothing else, sorted by name.
papers=$( (printf '%s\n' README.md LICENSE THIRD-PARTY-NOTICES.txt CHANGELOG.md; find docs examples -type f) )
expect_listing() {
  local archive=$1 listing=$2
  shift 2
  local top=${archive%.zip}
  top=${top%.tar.gz}
  (printf '%s\n' "$@"; echo "$papers") | sed "s|^|$top/|" | LC_ALL=C sort >"$work/expected"
  LC_ALL=C sort -c "$listing" 2>/dev/null || fail "$archive: entries not sorted"
  diff "$work/expected" "$listing" >"$work/diff" || fail "$archive holds other files: $(cat "$work/diff")"
}
tar tzf "$dist/${names[0]}" >"$work/list0"
expect_listing "${names[0]}" "$work/list0" tarn tarn-pack
unzip -Z1 "$dist/${names[1]}" >"$work/list1"
expect_listing "${names[1]}" "$work/list1" tarn.exe tarnw.exe tarn-pack.exe
unzip -Z1 "$dist/${names[2]}" >"$work/list2"
expect_listing "${names[2]}" "$work/list2" tarn.exe tarnw.exe

# A second run gives the same bytes.
scripts/release "$work/again" >/dev/null
for name in "${names[@]}" SHA256SUMS; do
  cmp -s "$dist/$name" "$work/again/$name" || fail "$name differs between two runs"
done

mkdir -p "$work/linux" "$work/win64" "$work/win32"
tar xzf "$dist/${names[0]}" -C "$work/linux"
unzip -q "$dist/${names[1]}" -d "$work/win64"
unzip -q "$dist/${names[2]}" -d "$work/win32"
linux=$work/linux/tarn-$version-linux-x64
win64=$work/win64/tarn-$version-windows-x64
win32=$work/win32/tarn-$version-windows-x86

# The images: no build folder inside, no link time, the version.
for image in "$linux"/tarn "$linux"/tarn-pack "$win64"/*.exe "$win32"/*.exe; do
  ! grep -qaF "$source_dir" "$image" || fail "$image holds the build path $source_dir"
done
for image in "$win64"/*.exe "$win32"/*.exe; do
  case $image in
    "$win64"/*) objdump=x86_64-w64-mingw32-objdump machine=8664 ;;
    *) objdump=i686-w64-mingw32-objdump machine=14c ;;
  esac
  grep -q '^Time/Date.*1970$' <<<"$("$objdump" -p "$image")" || fail "$image carries its link time"
  case $(basename "$image") in
    tarnw.exe) subsystem=2 kind=launcher ;;
    tarn-pack.exe) subsystem=3 kind=tool ;;
    *) subsystem=3 kind=launcher ;;
  esac
  bash tests/image/check_image.sh "$objdump" "$machine" "$subsystem" "$image" "$version" "$kind" \
    >/dev/null || fail "$(bash tests/image/check_image.sh "$objdump" "$machine" "$subsystem" "$image" "$version" "$kind")"
done
[ "$("$linux/tarn-pack" --version)" = "tarn-pack $version" ] || fail "tarn-pack --version"

# The plugin carries the archives' launchers, byte for byte, under the project's version.
plugin=$dist/tarn-maven-plugin-$version.jar
for pair in "linux-x64/tarn $linux/tarn" "windows-x64/tarn.exe $win64/tarn.exe" \
    "windows-x64-window/tarnw.exe $win64/tarnw.exe" "windows-x86/tarn.exe $win32/tarn.exe" \
    "windows-x86-window/tarnw.exe $win32/tarnw.exe"; do
  unzip -p "$plugin" "dev/tarn/launchers/${pair% *}" | cmp -s - "${pair#* }" ||
    fail "the plugin's ${pair% *} is not the archive's"
done
unzip -p "$plugin" META-INF/maven/plugin.xml | grep -qF "<version>$version</version>" ||
  fail "the plugin's descriptor does not name $version"
grep -qF "<version>$version</version>" "$dist/tarn-maven-plugin-$version.pom" || fail "the plugin's pom"

# Linux: the example application on a real VM, then packed into one file.
app=$work/hello
mkdir -p "$app/classes"
javac --release 11 -d "$app/classes" examples/hello/Hello.java
cp "$linux/tarn" "$app/hello"
cp "$linux/examples/hello/hello.ini" "$app/"
"$app/hello" alpha >"$work/hello.out" 2>"$work/hello.err" || fail "hello: $(cat "$work/hello.err")"
grep -qxF '  [0] alpha' "$work/hello.out" || fail "hello printed: $(cat "$work/hello.out")"
jar cf "$app/hello.jar" -C "$app/classes" .
mkdir "$work/single"
"$linux/tarn-pack" "$linux/tarn" "$linux/examples/hello/hello-packed.ini" "$app/hello.jar" \
  -o "$work/single/hello"
"$work/single/hello" alpha >/dev/null 2>&1 || fail "the packed example failed"
grep -qxF '  [0] alpha' "$work/single/hello-output.log" || fail "the packed example printed nothing"

# Windows, under Wine with the stand-in VM of the windows build.
export WINEPREFIX=$source_dir/build/windows/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
scripts/wine-prefix "$WINEPREFIX"
testvm=build/windows/tests/testvm/testvm.dll
probe=build/windows/tools/tarn-pack/resource_probe.exe
[ -f "$testvm" ] && [ -f "$probe" ] || fail "build the windows preset first"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
[ "$(wine "$win64/tarn-pack.exe" --version)" = "tarn-pack $version" ] || fail "tarn-pack.exe --version"
for image in tarn.exe tarnw.exe tarn-pack.exe; do
  grep -qxF "string FileVersion=$version" <<<"$(wine "$probe" "$win64/$image" | tr -d '\r')" ||
    fail "$image: the version resource is not $version"
done

mkdir -p "$work/ship/jre/bin/server"
cp "$testvm" "$work/ship/jre/bin/server/jvm.dll"
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Hello" \
  "JRE Path=$(winpath "$work/ship/jre")" "[Application]" "Embedded Jar=yes" >"$work/ship/app.ini"
cd "$work/ship"
wine "$win64/tarn-pack.exe" "$(winpath "$win64/tarn.exe")" app.ini "$(winpath "$app/hello.jar")" \
  -o packed.exe || fail "tarn-pack.exe could not pack"
export TESTVM_RECORD
TESTVM_RECORD=$(winpath "$work/ship/record")
wine ./packed.exe one >/dev/null 2>&1 || fail "the packed executable failed under Wine"
tr -d '\r' <record >record.txt
grep -qxF 'class Hello' record.txt || fail "the packed configuration was not read: $(cat record.txt)"
grep -qxF "option -Djava.class.path=$(winpath "$work/ship/packed.exe")" record.txt ||
  fail "the packed executable is not its class path"
java -cp packed.exe Hello alpha >java.out 2>&1 || fail "java -cp packed.exe: $(cat java.out)"
grep -qxF '  [0] alpha' java.out || fail "java cannot load Hello from packed.exe: $(cat java.out)"

# The same refusals as the Linux tool.
echo "plain text" >text.txt
cp "$win64/tarn.exe" tarn.exe
for arguments in "text.txt app.ini -o out.exe" "tarn.exe app.ini text.txt -o out.exe" \
                 "tarn.exe app.ini -o tarn.exe" "tarn.exe app.ini --company"; do
  set +e
  # shellcheck disable=SC2086
  wine "$win64/tarn-pack.exe" $arguments >exe.out 2>exe.err
  exe_status=$?
  # shellcheck disable=SC2086
  "$linux/tarn-pack" $arguments >linux.out 2>linux.err
  linux_status=$?
  set -e
  [ "$exe_status" = "$linux_status" ] && [ "$exe_status" != 0 ] ||
    fail "tarn-pack $arguments: exit code $exe_status under Wine, $linux_status on Linux"
  cmp -s exe.err linux.err || fail "tarn-pack $arguments: '$(cat exe.err)' under Wine, '$(cat linux.err)' on Linux"
done
echo "release archives of $version: ok"

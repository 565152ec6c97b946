# tarn.exe packed with an icon and version information: the resources read
# back with wrestool and objdump hold the new icon and version strings and
# still the string table, dialogs and manifest, whose execution level alone
# changes when asked; the executable starts under Wine and the real runtimes
# load the main class from it; packing the same input twice gives the same
# bytes; a packed file packs again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/jvm_lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
# A 32-bit launcher is read with its own objdump and not started: this
# machine's Wine runs 64-bit programs only.
objdump=x86_64-w64-mingw32-objdump
starts=yes
if od -An -tx1 -j "$(( $(od -An -tu4 -j 60 -N4 "$launcher") + 4 ))" -N2 "$launcher" | grep -q '4c 01'; then
  objdump=i686-w64-mingw32-objdump
  starts=no
fi
for tool in wrestool icotool convert "$objdump"; do
  command -v "$tool" >/dev/null || fail "$tool is missing (icoutils, imagemagick, mingw-w64)"
done

runtime=""
if [ "$starts" = yes ]; then
  need_windows_runtimes
  runtime=$(winpath "${windows_runtimes[0]}")
fi
need_java_classes
mkdir -p "$work/one" "$work/two"
make_jar "$work/app.jar" "$classes" Probe.class
printf '%s\r\n' "[Java Runtime Environment]" "Main Class=Probe" "JRE Path=$runtime" \
  "[Application]" "Embedded Jar=yes" >"$work/app.ini"

# An icon of two images, one of them larger than the launcher's whole
# icon, so that the resources need a section of their own.
convert -size 16x16 xc:red "$work/small.png"
convert -size 64x64 plasma:red-blue -depth 8 "$work/large.png"
icotool -c -o "$work/app.ico" "$work/small.png" "$work/large.png"

identity=(--icon "$work/app.ico" --file-version 2.5 --product-name "Viewer" --company "Example Ltd"
          --description "Image viewer" --copyright "(c) 2026 Example")
app=$work/one/viewer.exe
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" "${identity[@]}" -o "$app"
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" "${identity[@]}" -o "$work/two/viewer.exe"
cmp -s "$app" "$work/two/viewer.exe" || fail "packing twice gave different bytes"
expect_clean_zip "$app"

# The resource list: the new icons, everything else of the launcher.
wrestool -l "$launcher" | sed 's/ \[.*//' | grep -v -e '--type=3 ' -e '--type=14 ' -e '--type=16 ' \
  >"$work/kept.expected"
wrestool -l "$app" >"$work/list" 2>"$work/list.err" || fail "wrestool -l: $(cat "$work/list.err")"
[ ! -s "$work/list.err" ] || fail "wrestool -l: $(cat "$work/list.err")"
sed 's/ \[.*//' "$work/list" | grep -v -e '--type=3 ' -e '--type=14 ' -e '--type=16 ' >"$work/kept"
cmp -s "$work/kept.expected" "$work/kept" || fail "resources lost: $(diff "$work/kept.expected" "$work/kept")"
grep -q -- '--type=5 --name=201 ' "$work/kept" || fail "no dialog 201"
grep -q -- '--type=5 --name=231 ' "$work/kept" || fail "no dialog 231"
grep -q -- '--type=6 ' "$work/kept" || fail "no string table"
grep -q -- '--type=24 --name=1 ' "$work/kept" || fail "no manifest"
[ "$(grep -c -- '--type=3 ' "$work/list")" = 2 ] || fail "not two icon images: $(cat "$work/list")"
grep -q -- '--type=14 --name=1 ' "$work/list" || fail "no icon group 1"

# Each image as in the icon file; the group lists the same images.
icotool -l "$work/app.ico" >"$work/icons.expected"
wrestool -x -t14 -n1 "$app" >"$work/group.ico"
icotool -l "$work/group.ico" | sed 's/group/app/' >"$work/icons"
cmp -s "$work/icons.expected" "$work/icons" || fail "icon group: $(cat "$work/icons")"
offsets=$(od -An -tu4 -j 18 -N4 "$work/app.ico"; od -An -tu4 -j 34 -N4 "$work/app.ico")
sizes=$(od -An -tu4 -j 14 -N4 "$work/app.ico"; od -An -tu4 -j 30 -N4 "$work/app.ico")
for n in 1 2; do
  offset=$(echo $offsets | cut -d' ' -f$n)
  size=$(echo $sizes | cut -d' ' -f$n)
  # dd rather than tail | head: head closing the pipe early fails the pipeline.
  dd if="$work/app.ico" of="$work/image.expected" iflag=skip_bytes,count_bytes \
     skip="$offset" count="$size" status=none
  wrestool -x -t3 -n$n --raw "$app" >"$work/image"
  cmp -s "$work/image.expected" "$work/image" || fail "icon image $n differs"
done

# The version strings.
wrestool -x -t16 --raw "$app" | iconv -f UTF-16LE -t UTF-8 | tr -c '[:print:]' '\n' | grep . >"$work/version"
for text in "CompanyName" "Example Ltd" "FileDescription" "Image viewer" "FileVersion" "2.5" \
    "LegalCopyright" "(c) 2026 Example" "OriginalFilename" "viewer.exe" "ProductName" "Viewer" \
    "ProductVersion" "040904B0"; do
  grep -qxF -- "$text" "$work/version" || fail "version strings lack '$text': $(tr '\n' '|' <"$work/version")"
done

# The system's own readers see the same: the version strings of the
# translation the file names, the fixed numbers, and for each size the
# icon image made for it.
if [ "$starts" = yes ]; then
  probe=${TARN_BINARY_DIR:?}/tools/tarn-pack/resource_probe.exe
  [ -f "$probe" ] || fail "$probe is missing"
  run_app "$probe" "$(winpath "$app")"
  expect_status 0
  expect_output "fixed 2.5.0.0 2.5.0.0
translation 0409 04b0
string CompanyName=Example Ltd
string FileDescription=Image viewer
string FileVersion=2.5
string LegalCopyright=(c) 2026 Example
string OriginalFilename=viewer.exe
string ProductName=Viewer
string ProductVersion=2.5
icon 16 1 16
icon 64 2 64
manifest level asInvoker
"
fi

# objdump reads the headers and the resource directory without a complaint.
"$objdump" -p "$app" >"$work/objdump" 2>"$work/objdump.err" || fail "objdump -p failed"
[ ! -s "$work/objdump.err" ] || fail "objdump -p: $(cat "$work/objdump.err")"
grep -q "Resource Directory \[.rsrc\]" "$work/objdump" || fail "objdump: no resource directory"
grep -qE "^CheckSum[[:space:]]+0*[1-9a-f]" "$work/objdump" || fail "objdump: the checksum is gone"

# The packed executable starts and reads its configuration and jar.
if [ "$starts" = yes ]; then
  run_app "$app" one
  expect_status 0
  expect_line "$work/out" "prop java.class.path=$(winpath "$app")"
  expect_line "$work/out" "arg 0 one"
  expect_line "$work/out" "main done"
fi

# Packed again with another version only: the icon stays, the jar moves
# behind the resources and still reads.
"$pack" "$app" "$work/app.ini" --file-version 3.0.1 -o "$work/again.exe"
expect_clean_zip "$work/again.exe"
wrestool -x -t3 -n2 --raw "$work/again.exe" | cmp -s - "$work/image" || fail "the icon was not kept"
wrestool -x -t16 --raw "$work/again.exe" | iconv -f UTF-16LE -t UTF-8 | tr -c '[:print:]' '\n' |
  grep -qxF "3.0.1" || fail "the new version is missing"
if [ "$starts" = yes ]; then
  # On the other runtime, named by an INI beside it.
  printf '[Java Runtime Environment]\r\nJRE Path=%s\r\n' "$(winpath "${windows_runtimes[-1]}")" \
    >"$work/again.ini"
  run_app "$work/again.exe"
  expect_status 0
  expect_line "$work/out" "prop java.version=$(runtime_version "${windows_runtimes[-1]}")"
  expect_line "$work/out" "main done"
fi

# An execution level changes that word of the manifest and nothing else.
"$pack" "$app" "$work/app.ini" --execution-level requireAdministrator -o "$work/elevated.exe"
wrestool -x -t24 -n1 --raw "$launcher" | sed 's/level="asInvoker"/level="requireAdministrator"/' \
  >"$work/manifest.expected"
wrestool -x -t24 -n1 --raw "$work/elevated.exe" | cmp -s - "$work/manifest.expected" ||
  fail "manifest: $(wrestool -x -t24 -n1 --raw "$work/elevated.exe")"
if [ "$starts" = yes ]; then
  wine "$probe" "$(winpath "$work/elevated.exe")" | tr -d '\r' >"$work/probe.txt"
  expect_line "$work/probe.txt" "manifest level requireAdministrator"
  expect_line "$work/probe.txt" "icon 64 2 64"
fi

# The launcher without a console window, when built, stays one when packed.
gui=$(dirname "$launcher")/tarnw.exe
if [ -f "$gui" ]; then
  "$pack" "$gui" "$work/app.ini" "$work/app.jar" "${identity[@]}" -o "$work/gui.exe"
  "$objdump" -p "$work/gui.exe" >"$work/objdump" 2>"$work/objdump.err" || fail "objdump -p gui.exe failed"
  [ ! -s "$work/objdump.err" ] || fail "objdump -p gui.exe: $(cat "$work/objdump.err")"
  grep -qE "^Subsystem[[:space:]]+0*2[[:space:]]" "$work/objdump" || fail "gui.exe is no GUI program any more"
  wrestool -x -t3 -n2 --raw "$work/gui.exe" | cmp -s - "$work/image" || fail "gui.exe lacks the icon"
  if [ "$starts" = yes ]; then
    run_app "$work/gui.exe" two
    expect_status 0
    expect_line "$work/out" "arg 0 two"
  fi
fi

# Bad identities are refused by name, with no output left behind.
refuse() {
  local expected=$1
  shift
  rm -f "$work/out.exe"
  ! "$pack" "$launcher" "$work/app.ini" "$@" -o "$work/out.exe" 2>"$work/pack.err" || fail "tarn-pack $* succeeded"
  grep -qF -- "tarn-pack: $expected" "$work/pack.err" || fail "tarn-pack $*: $(cat "$work/pack.err")"
  [ ! -e "$work/out.exe" ] || fail "tarn-pack $* left an output"
}
refuse "$work/small.png: the icon is not usable" --icon "$work/small.png"
refuse "the version \"1.x\"" --file-version 1.x
refuse "--company needs a value that is not empty" --company ""
refuse "the execution level \"admin\" is not asInvoker" --execution-level admin
echo ok

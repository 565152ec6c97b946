#!/bin/bash
# Reads a built launcher image without running it: its machine type, its
# subsystem, the DLLs it imports (Windows system DLLs only, so it starts on
# a bare system), the resources the launcher loads at run time, what its
# manifest asks of Windows and the version in its version information.
# usage: check_image.sh OBJDUMP MACHINE SUBSYSTEM IMAGE [VERSION [tool]]
#   MACHINE: 14c (i386) or 8664 (x86-64); SUBSYSTEM: 2 (GUI) or 3 (console)
#   tool: an image of tarn-pack, which has no launcher resources
set -uo pipefail
objdump=$1 machine=$2 subsystem=$3 image=$4 version=${5:-} kind=${6:-launcher}
failures=0
fail() { echo "FAIL: $image: $*"; failures=$((failures + 1)); }

[ -f "$image" ] || { echo "FAIL: $image is missing"; exit 1; }

# The machine field of the COFF header, behind the PE signature.
u16() { od -An -tu2 -j "$1" -N2 "$image" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$image" | tr -d ' '; }
pe=$(u32 60)
[ "$(od -An -c -j "$pe" -N4 "$image" | tr -d ' ')" = 'PE\0\0' ] || fail "no PE signature"
actual=$(printf '%x' "$(u16 $((pe + 4)))")
[ "$actual" = "$machine" ] || fail "machine 0x$actual, expected 0x$machine"
# The optional header's magic follows the 20-byte COFF header.
magic=$(printf '%x' "$(u16 $((pe + 24)))")
case $machine in
  14c) [ "$magic" = 10b ] || fail "optional header magic 0x$magic, expected 0x10b (PE32)" ;;
  *) [ "$magic" = 20b ] || fail "optional header magic 0x$magic, expected 0x20b (PE32+)" ;;
esac
# The subsystem sits at offset 68 of either form of the optional header.
actual=$(u16 $((pe + 24 + 68)))
[ "$actual" = "$subsystem" ] || fail "subsystem $actual, expected $subsystem"

headers=$("$objdump" -p "$image") || { fail "objdump cannot read it"; exit 1; }

allowed=" kernel32.dll user32.dll advapi32.dll gdi32.dll comctl32.dll shell32.dll ole32.dll msvcrt.dll "
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no import table"
for dll in $dlls; do
  [[ $allowed == *" $dll "* ]] || fail "imports $dll, not a Windows system DLL"
done

# type/name pairs of the resource directory: objdump indents a type entry
# by three spaces and a name entry by five.
resources=$(
  type=
  while read -r depth id; do
    if [ "$depth" = 3 ]; then type=$((id)); else echo "$type/$((id))"; fi
  done < <(sed -nE -e 's/^[0-9a-f]+ {3}Entry: ID: (0x[0-9a-f]+).*/3 \1/p' \
                   -e 's/^[0-9a-f]+ {5}Entry: ID: (0x[0-9a-f]+).*/5 \1/p' <<<"$headers"))
need() {
  grep -qx "$1" <<<"$resources" || fail "no $2 resource ($1)"
}
need '24/1' "manifest"
need '16/1' "version information"
if [ "$kind" = launcher ]; then
  need '6/[0-9]*' "string table"
  need '5/201' "dialog 201"
  need '5/231' "dialog 231"
  need '14/[0-9]*' "icon group"
  need '3/[0-9]*' "icon image"
  need '10/250' "RCDATA 250 (embedded configuration)"
fi

# The file and product version of the fixed file information (behind its
# signature 0xFEEF04BD, in the resource section) are the project's.
if [ -n "$version" ]; then
  read -r size offset < <(awk '$2 == ".rsrc" { print $3, $6 }' <<<"$("$objdump" -h "$image")")
  at=
  for found in $(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$image" | cut -d: -f1); do
    if (( found >= 16#${offset:-0} && found < 16#${offset:-0} + 16#${size:-0} )); then
      at=$found
      break
    fi
  done
  if [ -z "$at" ]; then
    fail "no fixed file information"
  else
    number() { echo "$(( $(u32 "$1") >> 16 )).$(( $(u32 "$1") & 65535 )).$(( $(u32 "$2") >> 16 )).$(( $(u32 "$2") & 65535 ))"; }
    [ "$(number $((at + 8)) $((at + 12)))" = "$version.0" ] ||
      fail "file version $(number $((at + 8)) $((at + 12))), expected $version.0"
    [ "$(number $((at + 16)) $((at + 20)))" = "$version.0" ] ||
      fail "product version $(number $((at + 16)) $((at + 20))), expected $version.0"
  fi
fi

# The manifest, read back through icoutils' resource reader.
manifest=$(wrestool -x --raw --type=24 --name=1 "$image" 2>/dev/null | tr -s ' \t\r\n' ' ')
[ -n "$manifest" ] || fail "no manifest could be read"
has() { [[ $manifest == *"$1"* ]] || fail "manifest lacks $2"; }
has '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "the execution level asInvoker"
has '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' "Windows 10 and 11"
has '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>' "Windows 8.1"
has '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>' "Windows 8"
has '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>' "Windows 7"
if [ "$kind" = launcher ]; then
  has 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "version 6 of the common controls"
  has '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>' \
    "UTF-8 as the code page"
  # Whether the process is DPI aware depends on the runtime it hosts: the
  # launcher decides when it knows it, so the manifest must not.
  [[ $manifest != *dpiAware* ]] || fail "manifest fixes the DPI awareness"
fi
# The launcher's own identity would have to name the image's architecture.
[[ $manifest != *processorArchitecture=\"amd64\"* && $manifest != *processorArchitecture=\"x86\"* ]] ||
  fail "manifest names one processor architecture"

[ $failures -eq 0 ] && echo "ok: $image"
exit $((failures > 0))

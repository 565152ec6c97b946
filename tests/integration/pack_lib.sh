# Helpers of the packing tests, on top of lib.sh.

# Positions of the embedded block's marker in a file, one per line.
marker_offsets() {
  LC_ALL=C grep -obUaP '\x89TRNCFG\x1a' "$1" | cut -d: -f1 || true
}

# Flips one byte of a file in place.
flip_byte() {
  local file=$1 offset=$2 byte
  byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "\\$(printf '%03o' $(( byte ^ 1 )))" |
    dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

# A zip archive of the given files (relative to the folder), without
# needing the zip program: the JDK's jar tool, else Python.
make_jar() {
  local jar=$1 folder=$2
  shift 2
  if command -v jar >/dev/null; then
    (cd "$folder" && jar cf "$jar" "$@")
  else
    (cd "$folder" && python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    [z.write(name) for name in sys.argv[2:]]' "$jar" "$@")
  fi
}

# The archive reads in the zip tools. Its offsets count from the archive's
# own start, the one layout the JDK still reads once a signature follows it,
# so Info-ZIP notes the launcher's bytes in front of it ("extra bytes at
# beginning") and reads on; any other complaint fails. The JDK's jar tool
# lists it without a word.
expect_clean_zip() {
  local file=$1 report listing status=0
  if command -v unzip >/dev/null; then
    report=$(unzip -t "$file" 2>&1) || status=$?
    [ $status -le 1 ] || fail "unzip -t failed: $report"
    report=$(grep -v -e 'extra bytes at beginning or within zipfile' -e 'attempting to process anyway' <<<"$report")
    case $report in
      *warning*|*seek*) fail "unzip -t: $report" ;;
      *"No errors detected"*) ;;
      *) fail "unzip -t: $report" ;;
    esac
  fi
  if command -v jar >/dev/null; then
    listing=$(jar tf "$file" 2>&1) || fail "jar tf: $listing"
    [ -n "$listing" ] || fail "jar tf lists nothing"
  fi
}

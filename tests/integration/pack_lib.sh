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

# The archive's listing must be read without a complaint about offsets
# ("extra bytes at beginning", "attempt to seek before beginning").
expect_clean_zip() {
  local file=$1 report
  command -v unzip >/dev/null || return 0
  report=$(unzip -t "$file" 2>&1) || fail "unzip -t failed: $report"
  case $report in
    *warning*|*"extra bytes"*|*seek*) fail "unzip -t: $report" ;;
    *"No errors detected"*) ;;
    *) fail "unzip -t: $report" ;;
  esac
}

# Helpers of the VM hosting tests, on top of lib.sh.

# write_ini <file> <lines...>: one INI line per argument.
write_ini() {
  local file=$1
  shift
  printf '%s\n' "$@" >"$file"
}

# The line must be in the file (whole line, as written).
expect_line() {
  local file=$1 line=$2
  grep -qxF -- "$line" "$file" || fail "missing line in $(basename "$file"): $line"
}

expect_no_line() {
  local file=$1 line=$2
  ! grep -qxF -- "$line" "$file" || fail "unexpected line in $(basename "$file"): $line"
}

expect_text() {
  local file=$1 text=$2
  grep -qF -- "$text" "$file" || fail "missing text in $(basename "$file"): $text"
}

expect_no_text() {
  local file=$1 text=$2
  ! grep -qF -- "$text" "$file" || fail "unexpected text in $(basename "$file"): $text"
}

# Lines of the file that start with the prefix, in order, one per line.
lines_with() {
  grep -- "^$2" "$1" || true
}

# Sets homes: each runtime under /usr/lib/jvm once, whatever links point
# at it, by its real path.
find_jdk_homes() {
  homes=()
  local candidate library real
  declare -A seen=()
  for candidate in /usr/lib/jvm/*/; do
    for library in lib/server/libjvm.so lib/amd64/server/libjvm.so; do
      [ -f "$candidate$library" ] || continue
      real=$(realpath "${candidate%/}")
      [ -n "${seen[$real]:-}" ] && continue
      seen[$real]=1
      homes+=("$real")
      break
    done
  done
  [ ${#homes[@]} -gt 0 ] || fail "no JDK under /usr/lib/jvm"
}

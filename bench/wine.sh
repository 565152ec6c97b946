# The Windows section of bench/startup: Hello World under Wine through
# tarn.exe against the same runtime's own java.exe -cp, on each Windows
# runtime that scripts/runtimes fetches, without and with the start-up
# cache, all interleaved in each round. Uses bench/lib.sh and the caller's
# root, bench, rounds and jdk.

# -Xshare:auto, the default, would count as the user's own sharing choice
# and keep the start-up cache off.
wine_options="-Xmx64m"

# wine_time <runs per round>: the timing, or wine_skipped with the reason.
wine_time() {
  wine_rows=() wine_skipped="" wine_caches=()
  if ! command -v wine >/dev/null || [ ! -f build/windows/tarn.exe ]; then
    wine_skipped="no Wine or no build/windows/tarn.exe"
    return
  fi
  if ! scripts/runtimes windows-17 windows-25 >"$bench/runtimes.txt" 2>&1; then
    wine_skipped="the Windows runtimes could not be fetched: $(tail -n 1 "$bench/runtimes.txt")"
    return
  fi
  local w=$bench/wine count=$1 version home app
  mkdir -p "$w/classes"
  # Its own prefix, whose server stays up: each run pays its own start only.
  export WINEPREFIX=$w/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  scripts/wine-prefix "$WINEPREFIX"
  wineserver -p
  "$jdk/bin/javac" --release 11 -d "$w/classes" "$bench/Hello.java"
  (cd "$w/classes" && "$jdk/bin/jar" cf "$w/hello.jar" Hello.class)
  local jar="Z:${w//\//\\}\\hello.jar" commands=()
  for version in 17 25; do
    home="Z:${root//\//\\}\\build\\runtimes\\windows-$version"
    for app in hello$version cached$version; do
      cp build/windows/tarn.exe "$w/$app.exe"
      printf '%s\n' "[Java Runtime Environment]" "Main Class=Hello" "JRE Path=$home" \
        "Virtual Machine Parameters=$wine_options" "Startup Cache=$([ "$app" = hello$version ] && echo No || echo Yes)" \
        "[Class Path]" "Class Path=$jar" "[Product Information]" "Product Name=Tarn Bench Wine $version" \
        >"$w/$app.ini"
    done
    # The training: the cache made and in place before the timing.
    wine "$w/cached$version.exe" >/dev/null 2>&1
    local caches=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Tarn\ Bench\ Wine\ $version
    for _ in $(seq 600); do
      find "$caches" -name '*.p[0-9]*.*' 2>/dev/null | grep -q . || break
      sleep 0.1
    done
    wine_caches+=("$version:$(find "$caches" -name '*-*-*.*' -printf '%f %s bytes' 2>/dev/null)")
    commands+=(-n "java.exe $version" "wine '$home\\bin\\java.exe' $wine_options -cp '$jar' Hello"
      -n "tarn.exe $version" "wine '$w/hello$version.exe'"
      -n "tarn.exe cached $version" "wine '$w/cached$version.exe'")
  done
  echo "Timing Hello World under Wine ($rounds rounds of $count runs)..." >&2
  local round
  for round in $(seq "$rounds"); do
    hyperfine -N -i --style none --warmup 1 --runs "$count" \
      --export-csv "$bench/wine-$round.csv" "${commands[@]}" >>"$bench/wine.txt" 2>&1
  done
  wineserver -k
  local i java_row row offset each
  for i in 0 1; do
    java_row=$(( 3 * i + 1 ))
    row="$(( i == 0 ? 17 : 25 ))|$(medians wine "$java_row")"
    for offset in 1 2; do
      each=$(ratios wine $(( java_row + offset )) "$java_row" | paste -sd ' ')
      row+="|$(medians wine $(( java_row + offset )))|$(printf '%.3f' "$(median_of $each)")|$each"
    done
    wine_rows+=("$row|$(cpu_ratio wine $(( java_row + 1 )) "$java_row")|$(cpu_ratio wine $(( java_row + 2 )) "$java_row")")
  done
}

# The section of the report.
wine_report() {
  echo "Hello World under Wine ($(wine --version)): tarn.exe against the same runtime's own"
  echo "\`java.exe $wine_options -cp hello.jar Hello\`, the Windows runtimes of scripts/runtimes (made"
  echo "with jlink, without a default class-data archive), interleaved, $rounds rounds:"
  echo
  if [ -n "$wine_skipped" ]; then
    echo "Skipped: $wine_skipped."
    echo
    return
  fi
  echo "| Java | java.exe | tarn.exe | tarn / java | tarn.exe, cached | cached / java | tarn / java in each round | cached / java in each round | processor time tarn / java | processor time cached / java |"
  echo "|---|---|---|---|---|---|---|---|---|---|"
  local row feature j t tr te c cr ce tp cp
  for row in "${wine_rows[@]}"; do
    IFS='|' read -r feature j t tr te c cr ce tp cp <<<"$row"
    echo "| $feature | $(milli "$j") ms | $(milli "$t") ms | $tr | $(milli "$c") ms | $cr | $te | $ce | $tp | $cp |"
  done
  echo
  echo "The caches: $(printf '%s; ' "${wine_caches[@]}" | sed 's/; $//')."
  echo
}

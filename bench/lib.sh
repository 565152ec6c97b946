# Helpers of bench/startup: medians and ratios of hyperfine's CSV files,
# and the rounds that interleave the commands. The caller sets bench (the
# output folder) and rounds.

# median_of <numbers...>
median_of() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# column <csv> <row>: the median of a row of hyperfine's CSV, in seconds.
column() { awk -F, -v row="$2" 'NR == row + 1 { print $4 }' "$1"; }
# cpu <csv> <row>: mean user plus system time of a row, in seconds.
cpu() { awk -F, -v row="$2" 'NR == row + 1 { print $5 + $6 }' "$1"; }
micro() { awk -v s="$1" 'BEGIN { printf "%.0f", s * 1e6 }'; }
milli() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1e3 }'; }
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }

# timed <name> <warm-up> <runs> <hyperfine arguments...>: runs the rounds;
# leaves each command's medians in rows_1, rows_2, rows_3.
timed() {
  local name=$1 warmup=$2 count=$3 round
  shift 3
  rows_1=() rows_2=() rows_3=() cpu_1=() cpu_2=()
  for round in $(seq "$rounds"); do
    hyperfine -N -i --style none --warmup "$warmup" --runs "$count" \
      --export-csv "$bench/$name-$round.csv" "$@" >>"$bench/$name.txt" 2>&1
    rows_1+=("$(column "$bench/$name-$round.csv" 1)")
    rows_2+=("$(column "$bench/$name-$round.csv" 2)")
    rows_3+=("$(column "$bench/$name-$round.csv" 3)")
    cpu_1+=("$(cpu "$bench/$name-$round.csv" 1)")
    cpu_2+=("$(cpu "$bench/$name-$round.csv" 2)")
  done
}

# Over the rounds of a timing <name> (its CSV files <name>-<round>.csv):
# medians <name> <row>: the row's median; ratios <name> <row> <base row>:
# the row's ratio to the base row in each round, one a line; cpu_ratio
# <name> <row> <base row>: the median ratio of processor time.
medians() {
  local round values=()
  for round in $(seq "$rounds"); do values+=("$(column "$bench/$1-$round.csv" "$2")"); done
  median_of "${values[@]}"
}
ratios() {
  local round
  for round in $(seq "$rounds"); do
    ratio_of "$(column "$bench/$1-$round.csv" "$2")" "$(column "$bench/$1-$round.csv" "$3")"
    echo
  done
}
cpu_ratio() {
  local round values=()
  for round in $(seq "$rounds"); do
    values+=("$(ratio_of "$(cpu "$bench/$1-$round.csv" "$2")" "$(cpu "$bench/$1-$round.csv" "$3")")")
  done
  printf '%.3f' "$(median_of "${values[@]}")"
}

# tarn-pack refuses bad input with a message and a non-zero exit, writes
# no output then, and never changes its inputs.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
cp "$launcher" "$work/launcher"
printf '[Java Runtime Environment]\nMain Class=app.Main\n[Application]\nEmbedded Jar=Yes\n' >"$work/app.ini"
mkdir -p "$work/jar"
echo "Main-Class: app.Main" >"$work/jar/note.txt"
make_jar "$work/app.jar" "$work/jar" note.txt
echo "plain text" >"$work/text.txt"
(cd "$work" && sha256sum launcher app.ini app.jar text.txt >"$work/inputs.sha256")

# refuse <message part> <arguments...>
refuse() {
  local expected=$1
  shift
  rm -f "$work/out"
  set +e
  "$pack" "$@" >"$work/pack.out" 2>"$work/pack.err"
  local code=$?
  set -e
  [ "$code" != 0 ] || fail "tarn-pack $* succeeded"
  grep -qF -- "$expected" "$work/pack.err" || fail "tarn-pack $*: expected '$expected', got: $(cat "$work/pack.err")"
  grep -q '^tarn-pack: ' "$work/pack.err" || fail "message without the tool's name: $(cat "$work/pack.err")"
  [ ! -e "$work/out" ] || fail "tarn-pack $* left an output"
}

cd "$work"
# A configuration larger than the reserved room.
{ echo "[Application]"; printf 'Cmd=%*s\n' 9000 x | tr ' ' y; } >big.ini
refuse "but the launcher reserves only" launcher big.ini -o out
# Inputs that are no launcher: a text file, an executable of the system.
refuse "neither a Windows (PE) nor a Linux (ELF) executable" text.txt app.ini -o out
cp "$(command -v ls)" system-program
refuse "not a Tarn launcher" system-program app.ini -o out
# A launcher that was already packed is a launcher still; one whose marker
# appears twice is not taken.
cat launcher launcher >twice
refuse "2 configuration markers" twice app.ini -o out
# A jar that is no zip, or is cut short.
refuse "the jar is not usable" launcher app.ini text.txt -o out
head -c 100 app.jar >cut.jar
refuse "the jar is not usable" launcher app.ini cut.jar -o out
# A configuration that is not UTF-8.
printf '[Application]\nCmd=Gr\xfc\xdfe\n' >latin1.ini
refuse "save it as UTF-8" launcher latin1.ini -o out
# The output may be none of the inputs, by whatever name.
refuse "is one of the inputs" launcher app.ini -o launcher
refuse "is one of the inputs" launcher app.ini app.jar -o ./app.jar
ln -s launcher link
refuse "is one of the inputs" link app.ini -o launcher
refuse "missing-launcher: cannot be read: No such file or directory" missing-launcher app.ini -o out
refuse "text.txt/out: cannot be written: Not a directory" launcher app.ini -o text.txt/out

sha256sum -c --quiet inputs.sha256 || fail "an input was changed"

# And the good case, for contrast: one marker, the text in the embedded form.
"$pack" launcher app.ini app.jar -o out
[ "$(marker_offsets out | wc -l)" = 1 ] || fail "the packed file holds $(marker_offsets out | wc -l) markers"
[ "$(marker_offsets launcher)" = "$(marker_offsets out)" ] || fail "the block moved"
printf '[Java Runtime Environment]\r\nMain Class=app.Main\r\n[Application]\r\nEmbedded Jar=Yes\n' >expected
"$pack" --print out >shown
cmp -s expected shown || fail "--print: $(od -c shown | head)"
[ "$(stat -c %s out)" = $(( $(stat -c %s launcher) + $(stat -c %s app.jar) )) ] || fail "size"
[ -x out ] || fail "the output is not executable"
# Missing folders of the output are made.
"$pack" launcher app.ini -o dist/new/out
[ -x dist/new/out ] || fail "no output in the folders made for it"
expect_clean_zip out
sha256sum -c --quiet inputs.sha256 || fail "an input was changed"

# Packed again with another configuration and jar: both are replaced.
printf '[Application]\nCmd=again\n' >again.ini
echo "second" >jar/second.txt
make_jar "$work/second.jar" "$work/jar" second.txt
"$pack" out again.ini second.jar -o repacked
[ "$(stat -c %s repacked)" = $(( $(stat -c %s launcher) + $(stat -c %s second.jar) )) ] ||
  fail "the old jar was kept"
# The jar makes the configuration embed it.
[ "$("$pack" --print repacked)" = $'[Application]\r\nEmbedded Jar=Yes\r\nCmd=again' ] ||
  fail "--print after repacking"
expect_clean_zip repacked
echo ok

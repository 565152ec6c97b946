# A single-file application on a real VM: the launcher packed with its
# configuration and jar runs its main class from itself, with no INI file
# and no "Class Path"; an INI file beside it still overrides and extends.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pack_lib.sh"

pack=${2:?tarn-pack}
javac=$(command -v javac || ls /usr/lib/jvm/*/bin/javac 2>/dev/null | head -n 1)
[ -n "$javac" ] || fail "no javac"
home=""
for candidate in /usr/lib/jvm/*/; do
  [ -f "$candidate/lib/server/libjvm.so" ] && { home=${candidate%/}; break; }
done
[ -n "$home" ] || fail "no JDK under /usr/lib/jvm"

mkdir -p "$work/src/app" "$work/classes/app"
cat >"$work/src/app/Main.java" <<'JAVA'
package app;

import java.io.InputStream;
import java.nio.charset.StandardCharsets;

// Prints where it was loaded from, a resource of its own jar, its
// arguments (non-ASCII escaped) and one system property.
public class Main {
    static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray())
            out.append(c >= 0x20 && c < 0x7f ? String.valueOf(c) : String.format("\\u%04X", (int) c));
        return out.toString();
    }

    public static void main(String[] args) throws Exception {
        System.out.println("class path " + System.getProperty("java.class.path"));
        System.out.println("code " + Main.class.getProtectionDomain().getCodeSource().getLocation().getPath());
        try (InputStream in = Main.class.getResourceAsStream("/app/greeting.txt")) {
            System.out.println("resource " + new String(in.readAllBytes(), StandardCharsets.UTF_8).trim());
        }
        for (String arg : args) System.out.println("arg " + escape(arg));
        System.out.println("layer " + System.getProperty("layer"));
    }
}
JAVA
"$javac" --release 11 -d "$work/classes" "$work/src/app/Main.java"
echo "hello from inside" >"$work/classes/app/greeting.txt"
make_jar "$work/app.jar" "$work/classes" app/Main.class app/greeting.txt

# Names in any case, as a file beside the launcher may spell them.
printf '%s\n' "[java runtime environment]" "main class=app.Main" "JRE Path=$home" \
  "VIRTUAL MACHINE PARAMETERS=-Dlayer=embedded" \
  "[application]" "Embedded Jar=Yes" "cmd=first $(printf 'caf\xc3\xa9')" >"$work/app.ini"
mkdir -p "$work/dist"
"$pack" "$launcher" "$work/app.ini" "$work/app.jar" -o "$work/dist/app"
app=$work/dist/app
expect_clean_zip "$app"
[ ! -e "$work/dist/app.ini" ] || fail "an INI file beside the packed application"

LC_ALL=C.UTF-8 run_app "$app" last
expect_status 0
expect_output "$(printf '%s\n' "class path $app" "code $app" "resource hello from inside" \
  "arg last" "arg first" 'arg caf\u00E9' "layer embedded")
"

# In a locale whose character set is Latin-1 the embedded text is converted
# to that set, and the value still reaches Java as the same character.
if command -v localedef >/dev/null; then
  mkdir -p "$work/locales"
  localedef -i en_US -f ISO-8859-1 "$work/locales/en_US.ISO-8859-1" >/dev/null 2>&1 || true
  if [ -f "$work/locales/en_US.ISO-8859-1/LC_CTYPE" ]; then
    run_app env LOCPATH="$work/locales" LC_ALL=en_US.ISO-8859-1 "$app"
    expect_status 0
    grep -qxF 'arg caf\u00E9' "$work/out" || fail "Latin-1 locale: $(cat "$work/out")"
  fi
fi

# An INI file beside it wins where it sets a value and extends through an
# append section.
printf '%s\n' "[Java Runtime Environment+]" "Virtual Machine Parameters=-Dlayer=file" \
  "[Application]" "Cmd=other" >"$work/dist/app.ini"
LC_ALL=C.UTF-8 run_app "$app"
expect_status 0
expect_output "$(printf '%s\n' "class path $app" "code $app" "resource hello from inside" \
  "arg other" "layer file")
"
rm "$work/dist/app.ini"

# Damage to the block: the executable behaves as one without a configuration.
cp "$app" "$work/dist/damaged"
offset=$(marker_offsets "$work/dist/damaged")
flip_byte "$work/dist/damaged" $(( offset + 40 ))
run_app "$work/dist/damaged"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'

# Configuration only, the classes beside it: a packed launcher needs no jar.
printf '%s\n' "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=$home" \
  "[Class Path]" "Class Path=classes" "[Application]" "Override WorkingDir=Yes" >"$work/plain.ini"
"$pack" "$launcher" "$work/plain.ini" -o "$work/app-classes"
cp -r "$work/classes" "$work/dist/classes"
mv "$work/app-classes" "$work/dist/"
run_app "$work/dist/app-classes"
expect_status 0
grep -qx "resource hello from inside" "$work/out" || fail "classes beside the executable"

# "Single Instance" embedded like every other key: the second start hands
# its arguments over to the first instead of running main again.
state=$work/state
mkdir -p "$state"
printf '%s\n' "[Java Runtime Environment]" "Main Class=InstanceInt" "JRE Path=$home" \
  "Virtual Machine Parameters=-Dstate.dir=$state" \
  "[Class Path]" "Class Path=$TARN_BINARY_DIR/tests/java/classes" \
  "[Application]" "Single Instance=yes" >"$work/single.ini"
"$pack" "$launcher" "$work/single.ini" -o "$work/dist/single"
"$work/dist/single" first >"$work/first.out" 2>&1 &
first=$!
trap 'kill "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 1200); do [ -e "$state/started" ] && break; sleep 0.05; done
[ -e "$state/started" ] || fail "the packed single instance never started"
run_app timeout 60 "$work/dist/single" one two
expect_status 42
touch "$state/quit"
wait "$first" || fail "the first instance ended with $?"
[ "$(cat "$state/main")" = "InstanceInt 1 [first]" ] || fail "main ran: $(cat "$state/main")"
echo ok

# Helpers of the runtime selection tests under Wine: runtime folders with
# placeholder libraries, registry entries in the private prefix.

# A runtime folder holding an empty jvm.dll in each named VM folder.
make_runtime() {
  local home=$1; shift
  local vm
  for vm in "$@"; do
    mkdir -p "$home/bin/$vm"
    : >"$home/bin/$vm/jvm.dll"
  done
}

reg_file=""
# Starts a registry file that first removes every runtime registration.
registry_begin() {
  reg_file=$work/runtimes.reg
  printf 'Windows Registry Editor Version 5.00\r\n\r\n' >"$reg_file"
  printf '[-HKEY_LOCAL_MACHINE\\Software\\JavaSoft]\r\n\r\n' >>"$reg_file"
  printf '[-HKEY_LOCAL_MACHINE\\Software\\JRockit]\r\n\r\n' >>"$reg_file"
  local hive key
  for hive in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
    for key in JavaSoft 'Eclipse Adoptium' AdoptOpenJDK 'Microsoft\JDK' 'Azul Systems' 'BellSoft'; do
      printf '[-%s\\Software\\%s]\r\n\r\n' "$hive" "$key" >>"$reg_file"
    done
  done
}

# register_value <hive> <key below Software, / between parts> <value> <Linux home>
register_value() {
  local home
  home=$(winpath "$4")
  home=${home//\\/\\\\}
  printf '[%s\\Software\\%s]\r\n"%s"="%s"\r\n\r\n' "$1" "${2//\//\\}" "$3" "$home" >>"$reg_file"
}

# A runtime of the JDK 9+ layout: a server VM, a release file with the
# version, a compiler when the kind is jdk.
make_modern_runtime() {
  local home=$1 version=$2 kind=$3
  make_runtime "$home" server
  printf 'IMPLEMENTOR="Test"\nJAVA_VERSION="%s"\n' "$version" >"$home/release"
  if [ "$kind" = jdk ]; then : >"$home/bin/javac.exe"; fi
}

# register <vendor key below Software> <version subkey> <Linux home>
register() {
  local home
  home=$(winpath "$3")
  home=${home//\\/\\\\}
  printf '[HKEY_LOCAL_MACHINE\\Software\\%s\\%s]\r\n"JavaHome"="%s"\r\n\r\n' \
    "${1//\//\\}" "$2" "$home" >>"$reg_file"
}

registry_apply() { wine reg import "$reg_file" >/dev/null 2>&1 || fail "reg import"; }

registry_clear() { registry_begin; registry_apply; }

# The launch ended at loading the placeholder library of this Linux path,
# which shows that selection chose it.
expect_vm() {
  expect_status 255
  expect_output "Error: Failed to load Java VM library: $(winpath "$1") (errno = 193)."$'\n \n'
}

# A launcher copy "viewer" with a main class; `settings LINE...` writes its
# INI from the Java Runtime Environment lines given, `launch LINE...` also runs it.
make_selection_app() {
  app=$(make_app "$work/app" viewer)
  ini=$work/app/viewer.ini
}
settings() {
  printf '[Java Runtime Environment]\r\nMain Class=a.Main\r\n' >"$ini"
  local line
  for line in "$@"; do printf '%s\r\n' "$line" >>"$ini"; done
}
launch() { settings "$@"; run_app "$app"; }

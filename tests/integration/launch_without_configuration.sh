# A launcher with no configuration beside it says that no main class is set
# and ends with -1 (255 as the shell sees it).
source "$(dirname "$0")/lib.sh"

app=$(make_app "$work/app" viewer)
run_app "$app"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'

# Also for a name without an extension and a folder with a dot in it.
app=$(make_app "$work/my.apps" tool)
run_app "$app" -nosplash "two words"
expect_status 255
expect_output $'Error: Main class was not specified in INI file. \n'
echo ok

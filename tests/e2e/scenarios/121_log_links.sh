# Scenario: a link in the log's place (file link, dangling link, second name, directory link) leaves its target unchanged and the program runs without a log
# Wine's CreateSymbolicLinkA creates nothing, so the links are Unix ones in
# the prefix: to the program a link to a file looks like an ordinary file and
# only the opened file's final path names its target; a link to a directory
# is reported as a reparse point. Each run starts the program from a working
# directory of its own with one link; a plain directory shows first that the
# program does log in this setup. The targets are larger than the size rule,
# so that emptying them would show as well as appending.
VICTIM_SIZE=50001

# The files and directories the links point at, inside drive C:.
victim_dir() { echo "$WINEPREFIX/drive_c/victims"; }

run_from() { # CWD: starts the program there and closes it again
  e2e_start_app "$1" || { e2e_fail "the main window appears (started from $1)"; return 1; }
  e2e_close_app
}

# check_victim WHAT FILE: FILE still holds its original content.
check_victim() {
  local what=$1 file=$2
  check_eq "$what" "$(head -c "$VICTIM_SIZE" /dev/zero | tr '\0' v | md5sum)" "$(md5sum <"$file")"
}

make_victim() { head -c "$VICTIM_SIZE" /dev/zero | tr '\0' v >"$1"; }

scenario_main() {
  local v case_dir
  v=$(victim_dir)
  mkdir -p "$v/dir"
  make_victim "$v/linked.txt"
  # A second name must be on the same file system as the working directories.
  make_victim "$E2E_SCENARIO_DIR/hard.txt"
  make_victim "$v/dir/purvex.log"

  # Control: a plain working directory gets its log.
  case_dir=$E2E_SCENARIO_DIR/plain
  mkdir -p "$case_dir"
  run_from "$case_dir"
  check "without a link the program logs" test -s "$case_dir/log/purvex.log"

  # The log file is a link to another file.
  case_dir=$E2E_SCENARIO_DIR/filelink
  mkdir -p "$case_dir/log"
  ln -s "$v/linked.txt" "$case_dir/log/purvex.log"
  run_from "$case_dir"
  check "the file link is still a link" test -L "$case_dir/log/purvex.log"
  check_victim "the file behind the link is unchanged" "$v/linked.txt"

  # The log file is a link to a file that does not exist yet.
  case_dir=$E2E_SCENARIO_DIR/dangling
  mkdir -p "$case_dir/log"
  ln -s "$v/created.txt" "$case_dir/log/purvex.log"
  run_from "$case_dir"
  check "the dangling link is still a link" test -L "$case_dir/log/purvex.log"
  check "the link's target is not created" test ! -e "$v/created.txt"

  # The log file is a second name of another file.
  case_dir=$E2E_SCENARIO_DIR/hardlink
  mkdir -p "$case_dir/log"
  ln "$E2E_SCENARIO_DIR/hard.txt" "$case_dir/log/purvex.log"
  run_from "$case_dir"
  check "the log file is still a second name of the other file" \
    test "$(stat -c %i "$case_dir/log/purvex.log")" = "$(stat -c %i "$E2E_SCENARIO_DIR/hard.txt")"
  check_victim "the file with the second name is unchanged" "$E2E_SCENARIO_DIR/hard.txt"

  # The log directory is a link to another directory holding a log.
  case_dir=$E2E_SCENARIO_DIR/dirlink
  mkdir -p "$case_dir"
  ln -s "$v/dir" "$case_dir/log"
  run_from "$case_dir"
  check "the directory link is still a link" test -L "$case_dir/log"
  check_victim "the log in the linked directory is unchanged" "$v/dir/purvex.log"
  check_eq "nothing new in the linked directory" "purvex.log" "$(ls "$v/dir")"
}

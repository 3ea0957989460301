# Shell library of the Wine suite: one display and one template prefix per
# run, a private prefix, working directory and program copy per scenario, and
# the checks that scenarios use. Sourced by run.sh and tools/demo.sh.
#
# Inputs (environment):
#   PURVEX_EXE        purvex.exe to test (default build/win64/purvex.exe)
#   E2E_TOOLS_DIR     directory holding uidriver.exe (and seed.exe when built)
#   E2E_WORK          scratch directory for prefixes (default /tmp/purvex-e2e.<pid>)
#   E2E_ARTIFACTS     where screenshots, logs and reports go (default build/e2e-artifacts)
#   E2E_USE_DISPLAY   1: use $DISPLAY instead of a private Xvfb
#   E2E_KEEP          1: keep E2E_WORK at the end

E2E_REPO_ROOT=${E2E_REPO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
E2E_WINE_TIMEOUT=${E2E_WINE_TIMEOUT:-60}
E2E_UI_TIMEOUT=${E2E_UI_TIMEOUT:-30}
E2E_BOOT_TIMEOUT=${E2E_BOOT_TIMEOUT:-180}
E2E_APP_START_SECONDS=${E2E_APP_START_SECONDS:-30}
E2E_APP_EXIT_SECONDS=${E2E_APP_EXIT_SECONDS:-15}
# Where the program lives inside the prefix: never the scenario's working
# directory, so that "log under the current directory" is really tested.
E2E_APP_WINDIR='C:\Program Files\Purvex'
E2E_APP_NAME=purvex
E2E_MAIN_CAPTION=Purvex
E2E_SCREEN=1024x768

export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko download prompts while a prefix boots; the seeded
# stand-ins, when present, win over Wine's printui.dll and its DIFXAPI.dll
# stub (without them Wine's own are used).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;printui,difxapi=n,b}

e2e_note() { echo "[e2e] $*" >&2; }

source "$E2E_REPO_ROOT/tools/display.sh"

# The program's resource ids by the names of resources/resource_ids.h: each
# IDC_/IDS_/IDD_/IDM_/IDR_/IDB_/IDI_ name becomes a shell variable holding its
# number (IDC_PRINTER_COMBO=1013), so that scenarios never write a number that
# the program may change. A header that yields no names stops everything.
E2E_RESOURCE_IDS=$E2E_REPO_ROOT/resources/resource_ids.h
declare -gA E2E_IDS=()
e2e_load_ids() {
  local name value
  while read -r name value; do
    E2E_IDS[$name]=$((value))
    declare -g "$name=$((value))"
  done < <(sed -nE 's/^#define[[:space:]]+(ID[A-Z]_[A-Za-z0-9_]+)[[:space:]]+(0[xX][0-9A-Fa-f]+|[0-9]+)[[:space:]]*(\/\/.*)?$/\1 \2/p' \
    "$E2E_RESOURCE_IDS" 2>/dev/null)
  if ((${#E2E_IDS[@]} == 0)); then
    echo "[e2e] no resource ids read from $E2E_RESOURCE_IDS" >&2
    return 1
  fi
}
e2e_load_ids || exit 1

# Ids of the system's own, not the program's: the buttons of a message box
# and of a dialog.
E2E_IDOK=1
E2E_IDCANCEL=2

# A wrong id name must fail its scenario even when it is spelled inside $(...),
# where a check's count does not reach the scenario: such errors are written
# to a file that the scenario's end reads.
e2e_id_error() {
  echo "[e2e] $*" >&2
  echo "$*" >>"${E2E_SCENARIO_DIR:-${E2E_WORK:-/tmp}}/id-errors"
}

# e2e_id NAME: the number of a resource id name; unknown names are errors.
e2e_id() {
  if [[ -n ${E2E_IDS[$1]+set} ]]; then
    echo "${E2E_IDS[$1]}"
    return 0
  fi
  e2e_id_error "no id named [$1] in $E2E_RESOURCE_IDS"
  return 1
}

e2e_init() {
  E2E_WORK=${E2E_WORK:-/tmp/purvex-e2e.$$}
  E2E_ARTIFACTS=${E2E_ARTIFACTS:-$E2E_REPO_ROOT/build/e2e-artifacts}
  PURVEX_EXE=${PURVEX_EXE:-$E2E_REPO_ROOT/build/win64/purvex.exe}
  E2E_TOOLS_DIR=${E2E_TOOLS_DIR:-$(dirname "$PURVEX_EXE")/e2e}
  E2E_UIDRIVER=$E2E_TOOLS_DIR/uidriver.exe
  E2E_SEED=$E2E_TOOLS_DIR/seed.exe
  mkdir -p "$E2E_WORK" "$E2E_ARTIFACTS"
  E2E_WORK=$(cd "$E2E_WORK" && pwd)
  E2E_ARTIFACTS=$(cd "$E2E_ARTIFACTS" && pwd)
  export E2E_WORK E2E_ARTIFACTS PURVEX_EXE E2E_TOOLS_DIR E2E_UIDRIVER E2E_SEED
}

# Overlays left mounted under a directory (by a run that was cut short).
e2e_unmount_under() {
  local dir=$1 m
  for m in $(awk -v w="$dir/" 'index($2, w) == 1 {print $2}' /proc/mounts); do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null
  done
}

e2e_cleanup() {
  e2e_release_prefix
  e2e_stop_display
  if [[ -n ${E2E_WORK:-} && -d $E2E_WORK ]]; then
    e2e_unmount_under "$E2E_WORK"
    [[ ${E2E_KEEP:-0} != 1 ]] && rm -rf "$E2E_WORK"
  fi
}

# Every wine call is bounded.
e2e_wine() {
  local limit=$1; shift
  timeout --kill-after=5 "$limit" wine "$@"
}

e2e_start_display() {
  if [[ ${E2E_USE_DISPLAY:-0} == 1 && -n ${DISPLAY:-} ]]; then
    e2e_note "using display $DISPLAY"
    return 0
  fi
  purvex_start_xvfb "${E2E_SCREEN}x24" "$E2E_WORK/xvfb.log" || { e2e_note "Xvfb did not start"; return 1; }
  E2E_XVFB_PID=$PURVEX_XVFB_PID
  export DISPLAY=$PURVEX_XVFB_DISPLAY
  e2e_note "Xvfb on $DISPLAY (pid $E2E_XVFB_PID)"
}

e2e_stop_display() {
  purvex_stop_xvfb "${E2E_XVFB_PID:-}"
  E2E_XVFB_PID=
}

# The settings every scenario prefix starts with: a crash ends the process
# instead of waiting for a debugger dialog, and a virtual desktop gives the
# windows frames and a screen to be photographed on.
e2e_template_reg() {
  cat <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]
"Auto"="0"
"Debugger"=""

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$E2E_SCREEN"
EOF
}

e2e_make_template() {
  E2E_TEMPLATE=$E2E_WORK/template
  if [[ -f $E2E_TEMPLATE/.purvex-template ]]; then return 0; fi
  rm -rf "$E2E_TEMPLATE"
  local started=$SECONDS
  WINEPREFIX=$E2E_TEMPLATE e2e_wine "$E2E_BOOT_TIMEOUT" wineboot --init >"$E2E_WORK/wineboot.log" 2>&1
  WINEPREFIX=$E2E_TEMPLATE timeout "$E2E_BOOT_TIMEOUT" wineserver -w
  if [[ ! -f $E2E_TEMPLATE/system.reg ]]; then
    e2e_note "wineboot failed"; tail -20 "$E2E_WORK/wineboot.log" >&2
    return 1
  fi
  e2e_template_reg >"$E2E_TEMPLATE/drive_c/purvex-template.reg"
  WINEPREFIX=$E2E_TEMPLATE e2e_wine "$E2E_WINE_TIMEOUT" regedit /S 'C:\purvex-template.reg' >>"$E2E_WORK/wineboot.log" 2>&1
  WINEPREFIX=$E2E_TEMPLATE timeout "$E2E_WINE_TIMEOUT" wineserver -w
  rm -f "$E2E_TEMPLATE/drive_c/purvex-template.reg"
  if ! grep -q '"ShowCrashDialog"=dword:00000000' "$E2E_TEMPLATE/user.reg"; then
    e2e_note "template settings were not written"
    return 1
  fi
  touch "$E2E_TEMPLATE/.purvex-template"
  e2e_note "template prefix ready in $((SECONDS - started)) s"
}

# A private copy of the template: an overlay when we may mount one (a few
# milliseconds), a full copy otherwise (about a second).
e2e_new_prefix() {
  local name=$1
  e2e_release_prefix
  E2E_SCENARIO_DIR=$E2E_WORK/scenarios/$name
  e2e_unmount_under "$E2E_SCENARIO_DIR"
  rm -rf "$E2E_SCENARIO_DIR"
  mkdir -p "$E2E_SCENARIO_DIR"/{upper,ovwork,prefix,cwd}
  E2E_PREFIX_MOUNT=
  if [[ $(id -u) == 0 && ${E2E_NO_OVERLAY:-0} != 1 ]] &&
    mount -t overlay overlay -o "lowerdir=$E2E_TEMPLATE,upperdir=$E2E_SCENARIO_DIR/upper,workdir=$E2E_SCENARIO_DIR/ovwork" \
      "$E2E_SCENARIO_DIR/prefix" 2>/dev/null; then
    E2E_PREFIX_MOUNT=$E2E_SCENARIO_DIR/prefix
  else
    rmdir "$E2E_SCENARIO_DIR/prefix"
    cp -a "$E2E_TEMPLATE" "$E2E_SCENARIO_DIR/prefix"
  fi
  export WINEPREFIX=$E2E_SCENARIO_DIR/prefix
  E2E_CWD=$E2E_SCENARIO_DIR/cwd
  E2E_APP_DIR=$WINEPREFIX/drive_c/Program\ Files/Purvex
  mkdir -p "$E2E_APP_DIR"
  cp "$PURVEX_EXE" "$E2E_APP_DIR/$E2E_APP_NAME.exe"
  E2E_LOG_FILE=$E2E_CWD/log/$E2E_APP_NAME.log
}

e2e_release_prefix() {
  e2e_stop_app
  if [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-} && ${WINEPREFIX} == "${E2E_WORK:-/nonexistent}"/* ]]; then
    timeout 20 wineserver -k 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
  fi
  if [[ -n ${E2E_PREFIX_MOUNT:-} ]]; then
    umount "$E2E_PREFIX_MOUNT" 2>/dev/null || umount -l "$E2E_PREFIX_MOUNT" 2>/dev/null
    E2E_PREFIX_MOUNT=
  fi
}

# Lays down installations inside the scenario's prefix before the program
# starts: e2e_seed PROFILE... (seed.exe profiles lists them: "maker" is one
# complete USB printer installation of the maker, "canary" unrelated things
# that must survive). Also installs the stand-ins of the platform parts Wine
# lacks: the printer-UI command over Wine's printui.dll, and the driver-install
# framework over Wine's DIFXAPI.dll stub in the system directory, the only
# place the program loads it from (Wine's own file there is lower-case).
e2e_seed() {
  if [[ ! -f $E2E_SEED ]]; then
    e2e_note "seed.exe is not built: nothing seeded"
    return 2
  fi
  cp "$E2E_TOOLS_DIR/printui.dll" "$WINEPREFIX/drive_c/windows/system32/printui.dll" || return 1
  cp "$E2E_TOOLS_DIR/DIFXAPI.dll" "$WINEPREFIX/drive_c/windows/system32/difxapi.dll" || return 1
  local out=$E2E_SCENARIO_DIR/seed.out profile rc=0
  for profile in "$@"; do
    (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" "$E2E_SEED" install "$profile") >>"$out" 2>&1 || rc=1
  done
  tr -d '\r' <"$out"
  return $rc
}

# What of a seeded profile is still there: SEED_OUT holds "kind.name=0|1" lines.
e2e_seed_report() {
  SEED_OUT=$(cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" "$E2E_SEED" report "$1" 2>/dev/null | tr -d '\r')
}

# check_seeded WHAT PROFILE 0|1 [FACT...]: every item of the profile is gone
# (0) or there (1), except the FACTs named (e.g. "file.C:\windows\x.dll"),
# which must be the other way round.
check_seeded() {
  local what=$1 profile=$2 expected=$3; shift 3
  local other=$((1 - expected)) wrong=() line fact value want exception
  e2e_seed_report "$profile"
  if [[ -z $SEED_OUT ]]; then
    e2e_fail "$what" "seed.exe report $profile printed nothing"
    return
  fi
  for exception in "$@"; do
    grep -qxF -- "$exception=0" <<<"$SEED_OUT" || grep -qxF -- "$exception=1" <<<"$SEED_OUT" ||
      wrong+=("$exception is no fact of $profile")
  done
  while IFS= read -r line; do
    fact=${line%=*} value=${line##*=} want=$expected
    for exception in "$@"; do [[ $fact == "$exception" ]] && want=$other; done
    [[ $value == "$want" ]] || wrong+=("$fact=$value (want $want)")
  done <<<"$SEED_OUT"
  if ((${#wrong[@]} == 0)); then e2e_pass "$what"; else e2e_fail "$what" "$(printf '%s; ' "${wrong[@]}")"; fi
}

# Starts the program from the scenario's working directory (or $1).
e2e_start_app() {
  local cwd=${1:-$E2E_CWD}
  mkdir -p "$cwd"
  (cd "$cwd" && exec timeout --kill-after=5 "${E2E_APP_TIMEOUT:-300}" wine "$E2E_APP_WINDIR\\$E2E_APP_NAME.exe") \
    >"$E2E_SCENARIO_DIR/app.out" 2>&1 &
  E2E_APP_PID=$!
  if ! ui wait-window "$E2E_MAIN_CAPTION" "$E2E_APP_START_SECONDS"; then
    e2e_note "the main window did not appear"
    return 1
  fi
}

# For scenarios: start the program or give up on the scenario.
e2e_start_app_or_fail() {
  if e2e_start_app "$@"; then
    e2e_pass "the main window \"$E2E_MAIN_CAPTION\" appears"
    return 0
  fi
  e2e_fail "the main window \"$E2E_MAIN_CAPTION\" appears" "see app.out"
  return 1
}

e2e_app_running() { [[ -n ${E2E_APP_PID:-} ]] && kill -0 "$E2E_APP_PID" 2>/dev/null; }

# Waits for the program to end by itself; true when it did in time.
e2e_wait_app_exit() {
  local seconds=${1:-$E2E_APP_EXIT_SECONDS} i
  for ((i = 0; i < seconds * 10; i++)); do
    e2e_app_running || { wait "$E2E_APP_PID" 2>/dev/null; E2E_APP_EXIT=$?; E2E_APP_PID=; return 0; }
    sleep 0.1
  done
  return 1
}

e2e_stop_app() {
  e2e_app_running || { E2E_APP_PID=; return 0; }
  ui close >/dev/null 2>&1
  if ! e2e_wait_app_exit; then
    kill -- "$E2E_APP_PID" 2>/dev/null
    wait "$E2E_APP_PID" 2>/dev/null
    E2E_APP_PID=
  fi
}

# ui VERB ARGS: runs the UI driver; its key=value output stays in UI_OUT for
# ui_get and is echoed to the scenario's transcript.
# The wall-clock bound of one UI-driver call: the usual bound plus whatever
# the verb itself is asked to wait, so a long wait is not cut off by the bound.
ui_limit() {
  local words=()
  while (($#)); do
    case $1 in
      --main|--box|--method) shift ;;
      --post|--shift|--in-main) ;;
      *) words+=("$1") ;;
    esac
    shift
  done
  local verb=${words[0]:-} wait=
  case $verb in
    box-text|box-none|box-gone) wait=${words[1]:-} ;;
    box-answer|wait-window|wait-gone) wait=${words[2]:-} ;;
  esac
  [[ $wait =~ ^[0-9]+$ ]] || wait=0
  echo $((E2E_UI_TIMEOUT + wait))
}

# A UI-driver run that ends without a word (seen about once in a hundred
# scenarios while another scenario runs beside it) is no answer: a verb that
# only reads is asked again; one that acts is not, since it may have acted.
ui_reads_only() {
  local word
  for word in "$@"; do
    case $word in --*) continue ;; esac
    case $word in
      state|combo|text|page-text|page-caption|progress|rect|tabs|controls|windows|handles|clipboard|dialog-text|box-text|box-none|box-gone|wait-window|wait-gone|sysmenu) return 0 ;;
      *) return 1 ;;
    esac
  done
  return 1
}

# The UI driver's verbs that take a control or command id, and where it
# stands among the verb's words. An empty or non-numeric id (a name that is
# not in resources/resource_ids.h) is refused before the driver runs.
ui_id_position() {
  case $1 in
    page-text|text|state|click|combo|combo-select|progress|syscommand|box-answer) echo 1 ;;
    dialog-text|dialog-click) echo 2 ;;
    *) echo 0 ;;
  esac
}

ui_check_ids() {
  local words=()
  while (($#)); do
    case $1 in
      --main|--box|--method) shift ;;
      --*) ;;
      *) words+=("$1") ;;
    esac
    shift
  done
  local at
  at=$(ui_id_position "${words[0]:-}")
  ((at > 0)) || return 0
  [[ ${words[at]:-} =~ ^[0-9]+$ ]] && return 0
  e2e_id_error "ui ${words[0]}: [${words[at]:-}] is no id (a name missing from resources/resource_ids.h?)"
  return 1
}

ui() {
  local rc try
  if ! ui_check_ids "$@"; then
    UI_OUT=
    return 2
  fi
  for try in 1 2 3; do
    UI_OUT=$(e2e_wine "$(ui_limit "$@")" "$E2E_UIDRIVER" "$@" 2>>"${E2E_SCENARIO_DIR:-$E2E_WORK}/uidriver.err")
    rc=$?
    printf '    ui %s -> %s\n' "$*" "$(printf '%s' "$UI_OUT" | tr '\n' ' ')" >>"${E2E_TRANSCRIPT:-/dev/null}"
    ((rc != 0)) && [[ -z $UI_OUT ]] && ui_reads_only "$@" || break
    printf '    (no answer, exit %d: asked again)\n' "$rc" >>"${E2E_TRANSCRIPT:-/dev/null}"
    sleep 0.5
  done
  return $rc
}

ui_get() {
  printf '%s\n' "$UI_OUT" | sed -n "s/^$1=//p" | head -n 1
}

# Saves a picture of the screen (the Wine desktop when on a real display).
e2e_screenshot() {
  local name=$1
  local dir=${E2E_SCENARIO_ARTIFACTS:-$E2E_ARTIFACTS}
  local file=$dir/$name.png
  local target=root
  if [[ ${E2E_USE_DISPLAY:-0} == 1 ]]; then
    target=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)
    target=${target:-root}
  fi
  mkdir -p "$dir"
  if timeout 20 import -display "$DISPLAY" -window "$target" "$file" 2>/dev/null; then
    echo "    screenshot: $file" >>"${E2E_TRANSCRIPT:-/dev/null}"
    E2E_LAST_SCREENSHOT=$file
  else
    e2e_note "screenshot $name failed"
  fi
}

# Checks. Each prints one "ok"/"FAIL" line; a failed check fails the scenario
# but the scenario goes on, so one run shows every broken expectation.
E2E_CHECKS_FAILED=0
e2e_pass() { echo "    ok   - $1"; }
e2e_fail() {
  echo "    FAIL - $1"
  [[ -n ${2:-} ]] && printf '           %s\n' "$2"
  E2E_CHECKS_FAILED=$((E2E_CHECKS_FAILED + 1))
}

check() {
  local what=$1; shift
  if "$@"; then e2e_pass "$what"; else e2e_fail "$what" "command failed: $*"; return 1; fi
}

check_eq() {
  local what=$1 expected=$2 actual=$3
  if [[ $actual == "$expected" ]]; then e2e_pass "$what"; else e2e_fail "$what" "expected [$expected] got [$actual]"; fi
}

check_contains() {
  local what=$1 needle=$2 haystack=$3
  if [[ $haystack == *"$needle"* ]]; then e2e_pass "$what"; else e2e_fail "$what" "[$needle] not in [$haystack]"; fi
}

# check_ui WHAT KEY EXPECTED VERB ARGS...
check_ui() {
  local what=$1 key=$2 expected=$3; shift 3
  if ! ui "$@"; then
    e2e_fail "$what" "uidriver $* failed: $(printf '%s' "$UI_OUT" | tr '\n' ' ')"
    return
  fi
  check_eq "$what" "$expected" "$(ui_get "$key")"
}

# A string-table text as the UI driver prints it (CR LF spelled \r\n):
# string_table IDS_NAME (or its number). A string that is not there is an error.
string_table() {
  local id=$1 text
  [[ $id =~ ^[0-9]+$ ]] || id=$(e2e_id "$id") || return 1
  text=$(sed -n "s/^PURVEX_STRING($id, \"\\(.*\\)\")\$/\\1/p" "$E2E_REPO_ROOT/resources/string_table.h" | sed 's/\\"/"/g')
  if [[ -z $text ]]; then
    e2e_id_error "no string $1 ($id) in resources/string_table.h"
    return 1
  fi
  printf '%s\n' "$text"
}

# The log as text with CR LF ends, one line per line.
log_lines() { tr -d '\r' <"${1:-$E2E_LOG_FILE}"; }

# A time-stamped log line: the marker, h.m.s, the closing marker, two spaces, the text.
log_has_line() {
  local text=$1 file=${2:-$E2E_LOG_FILE}
  [[ -f $file ]] || return 1
  log_lines "$file" | grep -Fx -- "$text" >/dev/null && return 0
  log_lines "$file" | grep -E -- '^--> [0-9]{1,2}\.[0-9]{1,2}\.[0-9]{1,2} <--  ' |
    sed -E 's/^--> [0-9]{1,2}\.[0-9]{1,2}\.[0-9]{1,2} <--  //' | grep -Fx -- "$text" >/dev/null
}

check_log_line() {
  local text=$1
  if log_has_line "$text"; then e2e_pass "log: $text"; else e2e_fail "log: $text" "not in $E2E_LOG_FILE"; fi
}

# Registry of the scenario's prefix, through Wine's own reg tool.
# reg_query prints the values as "reg query" does, and nothing at all when the
# key is missing (Wine's reg prints its error text on standard output).
reg_query() {
  local out
  out=$(e2e_wine "$E2E_WINE_TIMEOUT" reg query "$@" 2>/dev/null) || return 1
  printf '%s\n' "$out" | tr -d '\r'
}
reg_key_exists() { e2e_wine "$E2E_WINE_TIMEOUT" reg query "$1" >/dev/null 2>&1; }

# Keeps the scenario's wineserver, and with it the services it runs, alive
# after the program ends, so that a service state seen afterwards is the one
# the program left (by default Wine ends its services a few seconds after the
# last program). Call it before anything else starts Wine in the prefix; the
# prefix's release kills the server.
e2e_hold_wineserver() {
  timeout 20 wineserver -p
}

# The state of a service as the service manager reports it ("running", "stopped", ...).
seed_service_state() {
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" "$E2E_SEED" service-state "$1" 2>/dev/null) |
    tr -d '\r' | sed -n 's/^state=//p'
}

check_service_state() {
  local what=$1 service=$2 expected=$3
  check_eq "$what" "$expected" "$(seed_service_state "$service")"
}

# How long to wait before looking again at a box caught before its text was set.
E2E_EMPTY_BOX_PAUSE=0.2

# The log's texts without their time stamps, one per line.
log_texts() {
  log_lines "${1:-$E2E_LOG_FILE}" | sed -E 's/^--> [0-9]{1,2}\.[0-9]{1,2}\.[0-9]{1,2} <--  //'
}

# check_log_in_order WHAT TEXT...: the log holds every TEXT as a whole line,
# each after the one before it.
check_log_in_order() {
  local what=$1; shift
  local missing
  missing=$(log_texts 2>/dev/null | awk -v n=$# '
    BEGIN { for (i = 1; i <= n; i++) want[i] = ARGV[i]; ARGC = 1; k = 1 }
    k <= n && $0 == want[k] { k++ }
    END { if (k <= n) print want[k] }' "$@")
  if [[ -f $E2E_LOG_FILE && -z $missing ]]; then e2e_pass "$what"; else e2e_fail "$what" "missing or out of order: [$missing]"; fi
}

# check_log_lacks WHAT TEXT: no log line is TEXT.
check_log_lacks() {
  local what=$1 text=$2
  if log_texts 2>/dev/null | grep -Fxq -- "$text"; then e2e_fail "$what" "[$text] is in the log"; else e2e_pass "$what"; fi
}

# --- Helpers of the bad-input scenarios ---

# Answers every message box of a running operation with OK until the command
# buttons are usable again and no more box follows, or until LIMIT seconds
# passed. E2E_BOXES holds the box texts in order; the operation's own
# confirmation must have been answered already. BUTTON is a control that the
# operation locks and that an empty printer list leaves enabled (default:
# "Reload list").
# Waits until the page's status line reads TEXT (polled closely: a status
# such as the spooler's stop lasts only a few seconds):
# e2e_wait_status TEXT [SECONDS]. Fails the scenario's check when it does not.
e2e_wait_status() {
  local wanted=$1 deadline=$((SECONDS + ${2:-30}))
  while ((SECONDS < deadline)); do
    ui page-text "$IDC_STATUS_LINE" >/dev/null
    [[ $(ui_get text) == "$wanted" ]] && return 0
    sleep 0.05
  done
  e2e_fail "the status line reads \"$wanted\"" "last: $(ui_get text)"
  return 1
}

e2e_collect_boxes() {
  local limit=${1:-180} button=${2:-$IDC_RELOAD_LIST} grace=${3:-3}
  local completed report
  completed=$(string_table IDS_UNINSTALL_COMPLETED) report=$(string_table IDS_REPORT_HEADING)
  local deadline=$((SECONDS + limit)) text i
  E2E_BOXES=()
  # The operation locks the button as it starts: wait for that first, so that
  # a check made before the lock is not taken for the end.
  for ((i = 0; i < 50; i++)); do
    ui state "$button" || return 1
    [[ $(ui_get enabled) == 0 ]] && break
    ui box-none 0.1 || break
  done
  while ((SECONDS < deadline)); do
    if ui box-text 1; then
      text=$(ui_get box.text)
      # A box caught while it is built has no text yet: look again.
      if [[ -z $text ]]; then
        sleep "$E2E_EMPTY_BOX_PAUSE"
        continue
      fi
      E2E_BOXES+=("$text")
      e2e_screenshot "box-${#E2E_BOXES[@]}"
      ui box-answer "$E2E_IDOK"
      ui box-gone 10
      # The final report is the last box of an operation.
      [[ $text == "$completed" || $text == "$report"* ]] && return 0
      continue
    fi
    ui state "$button" || return 1
    [[ $(ui_get enabled) == 1 ]] || continue
    # Unlocked: the final report follows the reload at once, if there is one.
    ui box-text "$grace" || return 0
  done
  e2e_note "the operation did not end within $limit s"
  return 1
}

# The boxes of the last operation, joined with "|".
e2e_boxes_joined() { local IFS='|'; echo "${E2E_BOXES[*]}"; }

# Selects the combo box entry whose text is NAME; false when none is.
e2e_select_printer() {
  local name=$1 combo=${2:-$IDC_PRINTER_COMBO} i count
  ui combo "$combo" || return 1
  count=$(ui_get combo.count)
  for ((i = 0; i < count; i++)); do
    if [[ $(ui_get "combo.$i") == "$name" ]]; then
      ui combo-select "$combo" "$i"
      return
    fi
  done
  return 1
}

# Starts "Uninstall selected printer" on the selected printer and answers its
# confirmation; false when no confirmation came.
e2e_confirm_uninstall() {
  local button=${1:-$IDC_UNINSTALL_SELECTED}
  ui click "$button" --post
  ui box-text 10 || return 1
  E2E_CONFIRMATION=$(ui_get box.text)
  E2E_CONFIRMATION_CANCEL=$(ui_get box.button.2)
  ui box-answer "$E2E_IDOK"
}

# e2e_run_uninstall BUTTON [SECONDS]: presses an uninstall button, answers its
# confirmation (kept in E2E_CONFIRMATION) and every box that follows until the
# operation ends (texts in E2E_BOXES); false when no confirmation came.
e2e_run_uninstall() {
  local button=$1 seconds=${2:-180}
  e2e_confirm_uninstall "$button" || return 1
  ui box-gone 10
  e2e_collect_boxes "$seconds" || e2e_fail "the operation ends within $seconds s"
}

# Sets a registry value in the scenario's prefix: e2e_reg_set KEY NAME TYPE DATA.
e2e_reg_set() {
  e2e_wine "$E2E_WINE_TIMEOUT" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}

# Keeps a file open without sharing (holder.exe) until e2e_release. The
# holder runs from the scenario's working directory; PATH is a Windows path.
e2e_hold() {
  local path=$1 seconds=${2:-240} i
  E2E_HOLDER_OUT=$E2E_SCENARIO_DIR/holder.$((${E2E_HOLDERS:-0} + 1)).out
  E2E_HOLDERS=$((${E2E_HOLDERS:-0} + 1))
  E2E_HOLD_STOP=$E2E_CWD/holder-release.$E2E_HOLDERS
  (cd "$E2E_CWD" && exec timeout --kill-after=5 $((seconds + 10)) wine "$E2E_TOOLS_DIR/holder.exe" "$path" "$seconds" \
    "holder-release.$E2E_HOLDERS") >"$E2E_HOLDER_OUT" 2>&1 &
  E2E_HOLDER_PID=$!
  for ((i = 0; i < 200; i++)); do
    grep -q '^held=1' "$E2E_HOLDER_OUT" 2>/dev/null && return 0
    grep -q '^held=0' "$E2E_HOLDER_OUT" 2>/dev/null && break
    kill -0 "$E2E_HOLDER_PID" 2>/dev/null || break
    sleep 0.1
  done
  e2e_note "holder.exe could not hold $path: $(tr -d '\r' <"$E2E_HOLDER_OUT")"
  return 1
}

# Lets the last holder go and waits for it to end.
e2e_release() {
  [[ -n ${E2E_HOLDER_PID:-} ]] || return 0
  touch "$E2E_HOLD_STOP"
  wait "$E2E_HOLDER_PID" 2>/dev/null
  E2E_HOLDER_PID=
}

# Sets check box ID of the page to 0 or 1 by clicking it as the user would.
e2e_set_check() {
  local id=$1 want=$2
  ui state "$id" || return 1
  [[ $(ui_get checked) == "$want" ]] || ui click "$id"
}

# "Uninstall" with only "Selected printer" checked, for PRINTER after a
# reload: the queue goes, its driver stays, and with one printer listed the
# control-panel cleanup runs. The boxes are in E2E_BOXES.
e2e_remove_queue_only() {
  local printer=$1
  ui click "$IDC_RELOAD_LIST" >/dev/null
  e2e_select_printer "$printer" || { e2e_fail "select $printer"; return 1; }
  ui state "$IDC_CHECK_PRINTER"
  [[ $(ui_get visible) == 1 ]] || ui click "$IDC_ADVANCED_TOGGLE"
  e2e_set_check "$IDC_CHECK_PRINTER" 1
  e2e_set_check "$IDC_CHECK_DRIVER" 0
  e2e_set_check "$IDC_CHECK_PORT_SERVICE" 0
  e2e_run_uninstall "$IDC_UNINSTALL_CHECKED" 60 || { e2e_fail "\"Uninstall\" asks for confirmation"; return 1; }
}

# --- Openings and endings that the scenarios share ---

# The seed's maker installation (profile "maker"), as the scenarios name it.
E2E_PRINTER="Korvex Model 80"
E2E_COMPLETED_TEXT="Uninstallation completed!"
E2E_SEPARATOR=------------------------------------------------------------------------
E2E_STOPPING_SPOOLER="Stop spooler service..."
# The confirmation of a removal of the maker's printer (string 139 with its name).
E2E_CONFIRM_PRINTER='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
# What any removal of Model 80 leaves by design: a support DLL outside the
# fixed DLL list, and the USB device entries of the printer's port (its own
# printer entry goes before its driver package; "Clean system" handles the
# others).
E2E_MAKER_LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
)
# The control-panel application and its settings.
E2E_MAKER_CONSOLE=(
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
  'key.HKCU\Software\Korvex\QdConsole\App. settings'
)
# The port service with its device entry, driver file, INF files and package.
E2E_MAKER_PORT_SERVICE=(
  'service.VomuUsb'
  'device.USB\VID_0E7B&PID_0105&MI_01\6&2C3D4E5F&0&0001'
  'file.C:\windows\system32\drivers\VOMUUSB.sys'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
)
# What a removal of Model 80 leaves beside Model 58 (seeds maker and second):
# the DLLs that Model 58's driver names too, the port service that Model 58's
# device still runs, and with two printers listed the control-panel
# application, besides what any removal of Model 80 leaves.
E2E_MAKER_LEFT_BESIDE_SECOND=(
  'file.C:\windows\system32\QdRk.dll'
  'file.C:\windows\system32\QdRkTx.dll'
  "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  "${E2E_MAKER_PORT_SERVICE[@]}"
  "${E2E_MAKER_CONSOLE[@]}"
)
# The printer's product keys in both hives.
E2E_MAKER_PRODUCT_KEYS=(
  'key.HKLM\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
)

# e2e_seed_or_fail PROFILE...: seeds, or fails the scenario with seed.exe's output.
e2e_seed_or_fail() {
  e2e_seed "$@" >/dev/null && return 0
  e2e_fail "seeding $*" "$(cat "$E2E_SCENARIO_DIR/seed.out" 2>/dev/null)"
  return 1
}

# e2e_begin [--hold] PROFILE...: the usual opening: (with --hold, services
# outlive the program,) the profiles seeded, the program started.
e2e_begin() {
  if [[ ${1:-} == --hold ]]; then
    shift
    e2e_hold_wineserver
  fi
  if (($#)); then e2e_seed_or_fail "$@" || return 1; fi
  e2e_start_app_or_fail
}

# The opening of the scenarios of the advanced settings: a maker
# installation, services that outlive the program, the settings shown.
e2e_begin_advanced() {
  e2e_begin --hold maker canary || return 1
  ui click "$IDC_ADVANCED_TOGGLE"
}

# The usual ending: the window closed, the program gone.
e2e_close_app() {
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"
}

# As on Windows, the spooler runs before the program stops it.
e2e_start_spooler() {
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" net start spooler) >/dev/null 2>&1
}

# e2e_windows_version NAME NUMBER: the prefix reports Windows NUMBER (winecfg's NAME).
e2e_windows_version() {
  timeout --kill-after=5 "$E2E_WINE_TIMEOUT" wine winecfg -v "$1" >/dev/null 2>&1
  check_contains "the prefix reports Windows $2" "$2" \
    "$(reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion)"
}

# e2e_uninstall_selected [SECONDS]: "Uninstall selected printer" on the printer
# selected, its confirmation and every box after it (E2E_BOXES).
e2e_uninstall_selected() {
  e2e_run_uninstall "$IDC_UNINSTALL_SELECTED" "${1:-180}" && return 0
  e2e_fail "the button asks for confirmation"
  return 1
}

# e2e_uninstall_checked [SECONDS]: the same for "Uninstall" of the advanced settings.
e2e_uninstall_checked() {
  e2e_run_uninstall "$IDC_UNINSTALL_CHECKED" "${1:-120}" && return 0
  e2e_fail "\"Uninstall\" asks for confirmation"
  return 1
}

# "Uninstall selected printer" on the first listed printer, confirmed, up to
# the spooler's stop, with the spooler running before: the opening of the
# scenarios that interrupt an operation.
e2e_uninstall_until_spooler_stops() {
  e2e_hold_wineserver
  e2e_seed_or_fail maker canary || return 1
  e2e_start_spooler
  check_spooler_running "the spooler runs before the program starts"
  e2e_start_app_or_fail || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_confirm_uninstall "$IDC_UNINSTALL_SELECTED" || { e2e_fail "the button asks for confirmation"; return 1; }
  e2e_wait_status "$E2E_STOPPING_SPOOLER" 30 || return 1
  e2e_pass "the status line reads \"$E2E_STOPPING_SPOOLER\""
}

# e2e_select_one_of_two PRINTER: two maker models are listed; selects PRINTER.
e2e_select_one_of_two() {
  check_ui "both maker models are listed" combo.count 2 combo "$IDC_PRINTER_COMBO"
  check "\"$1\" is one of them" e2e_select_printer "$1"
}

check_completed_only() {
  check_eq "the only box after the confirmation is \"$E2E_COMPLETED_TEXT\"" "$E2E_COMPLETED_TEXT" "$(e2e_boxes_joined)"
}

check_canary() { check_seeded "the canary is untouched" canary 1; }

# Keys where a removal would show; files anywhere on drive C.
E2E_STATE_KEYS=(
  'HKLM\SYSTEM\CurrentControlSet\Control\Print'
  'HKLM\SYSTEM\CurrentControlSet\Services'
  'HKLM\SYSTEM\CurrentControlSet\Enum\USB'
  'HKLM\SOFTWARE\QD'
  'HKCU\Software\QD'
  'HKCU\Software\Korvex'
)

# What the system holds, apart from a run's own log folder (C:\logs) and
# reports and what Wine itself writes while a program runs, and the
# program's own folder: equal before and after, nothing was changed.
e2e_system_state() {
  (cd "$WINEPREFIX/drive_c" && find . \( -path ./logs -o -path './Program Files/Purvex' -o -path ./windows/temp -o -path './users/*/Temp' \
      -o -path './users/*/AppData/Local/Temp' -o -name '*.json' \) -prune -o -printf '%p %s\n' | sort)
  local key n=0
  for key in "${E2E_STATE_KEYS[@]}"; do
    n=$((n + 1))
    rm -f "$E2E_CWD/state$n.reg"
    if e2e_wine 60 reg export "$key" "C:\\state$n.reg" >/dev/null 2>&1; then
      echo "$key $(md5sum <"$WINEPREFIX/drive_c/state$n.reg" | cut -d' ' -f1)"
      rm -f "$WINEPREFIX/drive_c/state$n.reg"
    else
      echo "$key absent"
    fi
  done
}

check_spooler_running() { check_service_state "${1:-the spooler is running afterwards}" spooler running; }

# check_box WHAT EXPECTED [SCREENSHOT]: a message box shows within 10 s (WHAT),
# reads EXPECTED, and OK closes it.
check_box() {
  local what=$1 expected=$2 shot=${3:-}
  if ! ui box-text 10; then
    e2e_fail "$what"
    return 1
  fi
  e2e_pass "$what"
  check_eq "$what: it reads as expected" "$expected" "$(ui_get box.text)"
  [[ -n $shot ]] && e2e_screenshot "$shot"
  ui box-answer "$E2E_IDOK"
  check "OK closes the box" ui box-gone 10
}

# ---- unattended runs ----
# e2e_run_unattended PROGRAM ARG...: runs purvexc (the console companion,
# installed beside the program on first use) or purvex with switches from the
# working directory and waits for it; standard output and error are
# redirected into $E2E_RUN_OUT and $E2E_RUN_ERR (CR LF removed), the exit code
# is E2E_RUN_EXIT.
E2E_CONSOLE_NAME=purvexc
e2e_run_unattended() {
  local program=$1; shift
  local console_exe
  console_exe=$(dirname "$PURVEX_EXE")/$E2E_CONSOLE_NAME.exe
  [[ -f "$E2E_APP_DIR/$E2E_CONSOLE_NAME.exe" ]] || cp "$console_exe" "$E2E_APP_DIR/$E2E_CONSOLE_NAME.exe"
  E2E_RUN_OUT=$E2E_SCENARIO_DIR/$program.out.txt
  E2E_RUN_ERR=$E2E_SCENARIO_DIR/$program.err.txt
  (cd "$E2E_CWD" && e2e_wine "${E2E_UNATTENDED_TIMEOUT:-180}" "$E2E_APP_WINDIR\\$program.exe" "$@") \
    >"$E2E_RUN_OUT.raw" 2>"$E2E_RUN_ERR.raw"
  E2E_RUN_EXIT=$?
  tr -d '\r' <"$E2E_RUN_OUT.raw" >"$E2E_RUN_OUT"
  tr -d '\r' <"$E2E_RUN_ERR.raw" >"$E2E_RUN_ERR"
}

# check_exit WHAT CODE: the last unattended run ended with CODE.
check_exit() { check_eq "$1 (exit code $2)" "$2" "$E2E_RUN_EXIT"; }

# True when the main window does not appear within S seconds (default 2).
e2e_no_main_window() { ! ui wait-window "$E2E_MAIN_CAPTION" "${1:-2}"; }

#!/usr/bin/env bash
# The layers of the logic only point down:
#   platform/, resources/  <-  support/  <-  engine/  <-  removal/  <-  printer_page/  <-  app/
# (controls/ beside them, for the window classes of printer_page/ and app/).
# Every target includes from the repository root, so a separate library per
# folder would not stop a backward include; this check does.
# Usage: include_direction_test.sh [repository root]
#        include_direction_test.sh --self-test   (the check must catch planted faults)
set -u
if [ "${1:-}" = --self-test ]; then
  tree=$(mktemp -d)
  trap 'rm -rf "$tree"' EXIT
  mkdir -p "$tree"/{support,engine,removal,printer_page,app,controls}
  printf '#include "support/a.h"\n#include "platform/files.h"\n' >"$tree/engine/fine.cpp"
  printf '#include "controls/button.h"\n#include "removal/steps.h"\n' >"$tree/printer_page/fine.cpp"
  "$0" "$tree" >/dev/null || { echo "a tree with only downward includes was refused"; exit 1; }
  for planted in 'engine/x.cpp:app/purvex_dlg.h' 'support/x.h:engine/device_service.h' \
                 'removal/x.cpp:printer_page/remove_drv_prn.h' 'engine/y.cpp:controls/button.h' \
                 'printer_page/x.h:app/main_window.h'; do
    file=${planted%%:*}
    printf '#include <string>\n#include "%s"\n' "${planted#*:}" >"$tree/$file"
    if "$0" "$tree" >/dev/null; then echo "not caught: $file including ${planted#*:}"; exit 1; fi
    rm "$tree/$file"
  done
  echo "every planted backward include was caught"
  exit 0
fi
root="${1:-$(cd "$(dirname "$0")/../.." && pwd)}"

rank() {
  case "$1" in
    platform|resources) echo 0 ;;
    support) echo 1 ;;
    engine) echo 2 ;;
    removal) echo 3 ;;
    controls) echo 4 ;;
    printer_page) echo 5 ;;
    app) echo 6 ;;
    *) echo "" ;;
  esac
}

failures=0
for folder in support engine removal printer_page app; do
  own=$(rank "$folder")
  [ -d "$root/$folder" ] || continue
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(printf '%s' "$rest" | sed -n 's/^[0-9]*:[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"/]*\)\/.*".*/\1/p')
    [ -n "$target" ] || continue
    theirs=$(rank "$target")
    [ -n "$theirs" ] || continue
    # controls/ may be used by the window classes above it, and uses no layer
    # above platform/ itself.
    if [ "$target" = controls ] && [ "$own" -ge 5 ]; then continue; fi
    if [ "$theirs" -gt "$own" ] || { [ "$target" = controls ] && [ "$own" -lt 5 ]; }; then
      echo "${file#"$root"/}:$line: $folder/ includes the higher folder $target/"
      failures=$((failures + 1))
    fi
  done < <(grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$folder")
done

if [ "$failures" -ne 0 ]; then
  echo "$failures include(s) against the direction of the layers"
  exit 1
fi
echo "every include points to the same or a lower layer"

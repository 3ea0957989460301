# Scenario: purvexc /preview of an uninstall changes nothing on the system and names the same targets, with the same reasons, as the report of the real run that follows
PRINTER=$E2E_PRINTER
# kind<TAB>name<TAB>reason of the report's items with one of the results.
report_items() {
  python3 - "$1" "$2" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
wanted = set(sys.argv[2].split(","))
for item in sorted(doc["items"], key=lambda i: (i["kind"], i["name"], i["reason"])):
    if item["result"] in wanted:
        print("%s\t%s\t%s" % (item["kind"], item["name"], item["reason"]))
PY
}

scenario_main() {
  e2e_hold_wineserver
  e2e_seed_or_fail maker second canary || return 1
  local before after started ended
  before=$(e2e_system_state)
  started=$(date +%s.%N)
  e2e_run_unattended purvexc /uninstall "$PRINTER" /preview /report "C:\\preview.json" /log logs
  ended=$(date +%s.%N)
  e2e_note "the preview took $(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.2f", b - a }') s"
  check_exit "the preview ends as done" 0
  after=$(e2e_system_state)
  check_eq "the preview changes nothing on the system" "$before" "$after"
  check_seeded "every seeded item of the printer is still there" maker 1
  check_seeded "the other model is untouched" second 1
  check_canary
  check_contains "the printer is listed as would-remove on standard output" \
    "would-remove	printer	$PRINTER" "$(cat "$E2E_RUN_OUT")"
  cp "$E2E_RUN_OUT" "$E2E_SCENARIO_DIR/preview.out.kept"

  e2e_run_unattended purvexc /uninstall "$PRINTER" /report "C:\\real.json" /log logs
  check_exit "the real run ends as done" 0
  check_seeded "the real run removes the printer" maker 0 "${E2E_MAKER_LEFT_BESIDE_SECOND[@]}"
  check_eq "the real run removes (or fails on) exactly what the preview named" \
    "$(report_items "$WINEPREFIX/drive_c/preview.json" would-remove)" \
    "$(report_items "$WINEPREFIX/drive_c/real.json" removed,failed)"
  check_eq "and keeps what the preview said it keeps, for the same reasons" \
    "$(report_items "$WINEPREFIX/drive_c/preview.json" kept)" \
    "$(report_items "$WINEPREFIX/drive_c/real.json" kept)"
}

# SPDX-License-Identifier: MIT
# The demo's text step: tollmark-scan scans the simulated unit the demo has started and the
# "Preset -> Cabs" table is printed, so a machine without a display shows the scan's result.

# demo_scan_table BUILD_DIR: scans the unit on the current MIDI service and prints the table
# as CSV; its progress goes to standard error. Returns tollmark-scan's exit status.
demo_scan_table() {
  local scan="$1/app/tollmark-scan" table status=0
  table="$(mktemp -t tollmark-demo-table.XXXXXX)"
  echo "demo: tollmark-scan, the same scan from the command line:"
  "$scan" --view presets -o "$table" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "demo: the \"Preset -> Cabs\" table ($(($(wc -l <"$table") - 1)) presets):"
    cat "$table"
  else
    echo "demo: tollmark-scan ended with status $status"
  fi
  rm -f "$table"
  return "$status"
}

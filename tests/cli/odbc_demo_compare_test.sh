#!/usr/bin/env bash
# The demo databases compared through ODBC (unixODBC and FreeTDS against korvane-cli serve)
# print what the embedded path prints: the same report, byte for byte, once the server names in
# the header lines are the same and the elapsed time is masked. The data comparison's CSV export
# of one table must match too.
# Usage: odbc_demo_compare_test.sh KORVANE_CLI SOURCE_DIR
set -euo pipefail
cli=$1
source_dir=$2

# shellcheck source=serve_test_support.sh
source "$(dirname "$0")/serve_test_support.sh"

k() { "$cli" --profile "$work/profile" "$@"; }

embedded="embedded:$work/srv"
k load "$embedded" ShopA "$source_dir/demo/Fernhollow_v1.sql" >/dev/null
k load "$embedded" ShopB "$source_dir/demo/Fernhollow_v2.sql" >/dev/null

start_serve "$embedded"
odbc="127.0.0.1,$port"
printf 'S3cret!\n' | k server add "$odbc" --login tester --password-stdin >/dev/null

# Runs a command for both servers (SERVER stands for the server) and compares what they print
# and their exit status. Header lines name the server; the elapsed time differs from run to run.
same_output() {  # NAME ARGS...
  local name=$1
  shift
  local status_embedded=0 status_odbc=0
  k "${@//SERVER/$embedded}" >"$work/$name.embedded" 2>&1 || status_embedded=$?
  k "${@//SERVER/$odbc}" >"$work/$name.odbc" 2>&1 || status_odbc=$?
  local mask='s/^(Time Elapsed: )[0-9:]+/\1--:--:--/'
  sed -E -e "$mask" "$work/$name.embedded" >"$work/$name.embedded.masked"
  sed -E -e "/^(Source|Target) database /s|$odbc|$embedded|" -e "$mask" "$work/$name.odbc" \
    >"$work/$name.odbc.masked"
  [[ $status_embedded -eq $status_odbc ]] ||
    fail "$name: exit status $status_odbc through ODBC, $status_embedded embedded" \
      "$(cat "$work/$name.odbc")"
  cmp -s "$work/$name.embedded.masked" "$work/$name.odbc.masked" ||
    fail "$name: the reports differ" \
      "$(diff "$work/$name.embedded.masked" "$work/$name.odbc.masked" | head -40)"
  [[ -s $work/$name.embedded ]] || fail "$name printed nothing"
}

same_output compare compare SERVER ShopA SERVER ShopB
same_output compare_details compare SERVER ShopA SERVER ShopB --types tables --details
same_output compare_data_all compare-data-all SERVER ShopA SERVER ShopB
# By key and record by record (which reads its rows through ODBC as they come).
for method in key by-record; do
  args=(--key CustomerID)
  [[ $method == by-record ]] && args=(--by-record)
  k compare-data "$embedded" ShopA "$embedded" ShopB Customers "${args[@]}" \
    --csv "$work/customers.$method.embedded.csv" >/dev/null 2>&1 || true
  k compare-data "$odbc" ShopA "$odbc" ShopB Customers "${args[@]}" \
    --csv "$work/customers.$method.odbc.csv" >/dev/null 2>&1 || true
  [[ -s $work/customers.$method.embedded.csv ]] || fail "compare-data ($method) wrote no CSV"
  cmp -s "$work/customers.$method.embedded.csv" "$work/customers.$method.odbc.csv" ||
    fail "compare-data ($method): the CSV exports differ" \
      "$(diff "$work/customers.$method.embedded.csv" "$work/customers.$method.odbc.csv" | head -40)"
done

kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
server_pid=
[[ $status -eq 0 ]] || fail "serve ended with status $status" "$(cat "$work/serve.err")"
echo "the demo comparisons through ODBC match the embedded ones"

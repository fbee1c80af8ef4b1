#!/usr/bin/env bash
# korvane-cli serve queried by FreeTDS's tsql for real: a query, a procedure call with a
# return status, a failed login, and a clean stop on SIGTERM; with "tls", over TLS 1.2 with a
# certificate made here, FreeTDS requiring encryption.
# Usage: serve_tsql_test.sh KORVANE_CLI [TDS_VERSION] [tls]
set -euo pipefail
cli=$1
tds_version=${2:-7.4}
mode=${3:-plain}
command -v tsql >/dev/null || { echo "tsql is missing (Debian package freetds-bin)" >&2; exit 1; }

# shellcheck source=serve_test_support.sh
source "$(dirname "$0")/serve_test_support.sh"

cat >"$work/shop.sql" <<'SQL'
CREATE TABLE Items (Id int NOT NULL PRIMARY KEY, Name nvarchar(50) NULL, Price money NULL)
GO
INSERT INTO Items VALUES (1, N'Grüße', 2.5)
INSERT INTO Items VALUES (2, N'Cake', 4)
GO
CREATE PROCEDURE CountItems @min int AS
  SELECT COUNT(*) AS Items FROM Items WHERE Id >= @min
  RETURN 7
GO
SQL
"$cli" --profile "$work/profile" load "embedded:$work/srv" shop "$work/shop.sql" --product-version 16.00.4096

# Passwords never cross the network in clear text: other addresses than loopback are refused.
status=0
printf 'x\n' | "$cli" --profile "$work/profile" serve "embedded:$work/srv" --listen 0.0.0.0 \
  --login tester --password-stdin >/dev/null 2>"$work/refused.err" || status=$?
[[ $status -eq 2 && $(cat "$work/refused.err") == *"loopback"* ]] ||
  fail "a non-loopback --listen was not refused (status $status)" "$(cat "$work/refused.err")"

tls_options=()
encryption=off
if [[ $mode == tls ]]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
    -days 1 -subj /CN=localhost 2>/dev/null
  tls_options=(--tls-cert "$work/cert.pem" --tls-key "$work/key.pem")
  encryption=require
fi

start_serve "embedded:$work/srv" "${tls_options[@]}"
cat >"$work/freetds.conf" <<CONF
[serve]
  host = 127.0.0.1
  port = $port
  tds version = $tds_version
  encryption = $encryption
CONF

run_tsql() {  # USER PASSWORD SQL
  printf '%s\ngo\n' "$3" | FREETDSCONF="$work/freetds.conf" timeout 60 tsql -S serve -U "$1" \
    -P "$2" -D shop 2>&1
}

out=$(run_tsql tester 'S3cret!' 'select Id, Name, Price from Items order by Id')
[[ $out == *$'1\tGrüße\t2.5000'* && $out == *$'2\tCake\t4.0000'* ]] ||
  fail "query" "$out"

out=$(run_tsql tester 'S3cret!' 'exec CountItems 2')
[[ $out == *$'Items\n1'* && $out == *"(return status = 7)"* ]] || fail "procedure call" "$out"

if out=$(run_tsql tester 'wrong' 'select 1'); then
  fail "a wrong password was accepted" "$out"
fi
[[ $out == *"Msg 18456"*"Login failed for user 'tester'."* ]] || fail "failed login" "$out"

# The listener still serves after the failed login, and stops cleanly on SIGTERM.
out=$(run_tsql tester 'S3cret!' 'select count(*) from Items')
[[ $out == *2* ]] || fail "query after a failed login" "$out"
kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
server_pid=
[[ $status -eq 0 ]] || fail "serve ended with status $status" "$(cat "$work/serve.err")"
echo "tsql $tds_version ($mode) against serve: all checks passed"

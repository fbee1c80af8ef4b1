#!/usr/bin/env bash
# Runs scripts/check-layers on small scratch trees: one include per case, with the exit status and
# the report line expected. Usage: check_layers_test.sh PATH_TO_CHECK_LAYERS
set -uo pipefail
checker=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

readme='# Source map

## Layers

1. `base/`
2. `db/`
3. `db/embedded/`, `db/odbc/`
4. `app/`

## Other notes

1. `ui/` is not a layer: a numbered list outside the section.
'

# file | its include | expected status | expected report text ("" when it passes)
cases=(
  'db/value.cpp|base/text.h|0|'
  'db/value.cpp|db/backend.h|0|'
  'db/embedded/a.cpp|db/value.h|0|'
  'db/embedded/a.cpp|db/embedded/b.h|0|'
  'app/a.cpp|db/odbc/c.h|0|'
  'db/value.cpp|sqlite3/sqlite3.h|0|'
  'base/text.cpp|db/value.h|1|src/base/text.cpp:1: base/ includes db/value.h (db/ is not below it)'
  'db/value.cpp|db/embedded/b.h|1|src/db/value.cpp:1: db/ includes db/embedded/b.h (db/embedded/ is not below it)'
  'db/embedded/a.cpp|db/odbc/c.h|1|src/db/embedded/a.cpp:1: db/embedded/ includes db/odbc/c.h (db/odbc/ is not below it)'
  'db/tds/a.cpp|db/value.h|0|'
  'db/embedded/a.h|app/settings.h|1|(app/ is not below it)'
  'ui/window.cpp|base/text.h|1|src/ui/window.cpp: its folder is not in the layer order of src/README.md'
)

failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r file include want_status want_text <<<"$entry"
  tree="$scratch/tree"
  rm -rf "$tree"
  mkdir -p "$tree/scripts" "$tree/src/$(dirname "$file")"
  cp "$checker" "$tree/scripts/check-layers"
  printf '%s' "$readme" >"$tree/src/README.md"
  printf '#include "%s"\n' "$include" >"$tree/src/$file"
  output=$(bash "$tree/scripts/check-layers" 2>&1)
  status=$?
  if [[ "$status" != "$want_status" ]]; then
    echo "FAIL $file includes $include: status $status, expected $want_status; output: $output"
    failures=$((failures + 1))
  elif [[ -n "$want_text" && "$output" != *"$want_text"* ]]; then
    echo "FAIL $file includes $include: output \"$output\" lacks \"$want_text\""
    failures=$((failures + 1))
  elif [[ -z "$want_text" && -n "$output" ]]; then
    echo "FAIL $file includes $include: a passing tree printed \"$output\""
    failures=$((failures + 1))
  fi
done

# Without the section the check cannot decide anything, and says so instead of passing.
tree="$scratch/tree"
rm -rf "$tree"
mkdir -p "$tree/scripts" "$tree/src/db"
cp "$checker" "$tree/scripts/check-layers"
printf '# Source map\n' >"$tree/src/README.md"
printf '#include "app/settings.h"\n' >"$tree/src/db/value.cpp"
if output=$(bash "$tree/scripts/check-layers" 2>&1) || [[ "$output" != *"no layer order found"* ]]; then
  echo "FAIL a README without the layer order: \"$output\""
  failures=$((failures + 1))
fi

echo "$failures failing cases"
[[ $failures -eq 0 ]]

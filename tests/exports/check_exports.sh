#!/usr/bin/env bash
# The built library, its export list and its public header must name the same functions.
# usage: check_exports.sh LIBRARY EXPORT_LIST HEADER
set -euo pipefail
lib=$1 list=$2 header=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

grep -E '^[0-9]+[[:space:]]+[A-Za-z_]' "$list" > "$tmp/entries" || true
awk '{print $2}' "$tmp/entries" | sort > "$tmp/listed"
awk '{print $1}' "$tmp/entries" | sort -n | uniq -d > "$tmp/dup_ordinals"
sort "$tmp/listed" | uniq -d > "$tmp/dup_names"
nm -D --defined-only "$lib" > "$tmp/nm"
cat "$tmp/nm" | awk '$2 ~ /^[TtWwDdBbVvi]$/ {print $3}' | sort -u > "$tmp/exported"
# Declarations in the header start with the export macro; the name is the word before the first '('.
{ grep -E '^[[:space:]]*(ZR_CORVANE_API|LMV_API)[[:space:]]' "$header" || true; } |
    sed -E 's/\(.*//; s/.*[^A-Za-z0-9_]([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*$/\1/' | sort -u > "$tmp/declared"

fail=0
report() { # title file
    if [ -s "$2" ]; then echo "$1:"; sed 's/^/  /' "$2"; fail=1; fi
}
comm -23 "$tmp/listed" "$tmp/exported" > "$tmp/missing"
comm -13 "$tmp/listed" "$tmp/exported" > "$tmp/stray"
comm -23 "$tmp/listed" "$tmp/declared" > "$tmp/undeclared"
comm -13 "$tmp/listed" "$tmp/declared" > "$tmp/unlisted"
report "listed but not exported by $lib" "$tmp/missing"
report "exported by $lib but not listed" "$tmp/stray"
report "listed but not declared in $header" "$tmp/undeclared"
report "declared in $header but not listed" "$tmp/unlisted"
report "ordinals used twice" "$tmp/dup_ordinals"
report "names listed twice" "$tmp/dup_names"
echo "$(wc -l < "$tmp/listed") exports checked in $(basename "$lib")"
exit $fail

#!/usr/bin/env bash
# Compares the export table of ZBDB900.dll with src/api/exports.list.
#
#   scripts/check_exports.sh [--quiet] DLL EXPORTS_LIST
#
# Fails (exit 1) when a name that the built entries of the list promise is
# missing from the DLL, when the DLL exports a name the list does not
# promise, or when the plain and decorated names of one export lead to
# different code. Names compare exactly, the "@N" of decorated names
# included. Also reports, without failing, the planned entries that are
# not built yet (--quiet: only their number).
#
# Reads the table with $OBJDUMP (default i686-w64-mingw32-objdump).
set -euo pipefail

quiet=0
if [[ "${1:-}" == "--quiet" ]]; then
  quiet=1
  shift
fi
if [[ $# -ne 2 ]]; then
  echo "usage: $0 [--quiet] DLL EXPORTS_LIST" >&2
  exit 2
fi
dll=$1
list=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

for f in "$dll" "$list"; do
  if [[ ! -f "$f" ]]; then
    echo "check_exports: no such file: $f" >&2
    exit 2
  fi
done
if ! command -v "$objdump" >/dev/null; then
  echo "check_exports: $objdump not found (binutils-mingw-w64-i686)" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "name rva" for every exported name. The address table lists
# "[index] ... RVA", the name table "[index] ... name" (the index is the
# ordinal less the base in both).
"$objdump" -p "$dll" >"$work/objdump.txt"
awk '
  /^Export Address Table -- Ordinal Base/ { section = "addr"; next }
  /\[Ordinal\/Name Pointer\] Table/       { section = "names"; next }
  /^[ \t]*$/                              { section = ""; next }
  section != "" && match($0, /\[ *[0-9]+\]/) {
    index_text = substr($0, RSTART + 1, RLENGTH - 2)
    gsub(/ /, "", index_text)
    if (section == "addr") {
      for (i = 1; i < NF; i++) if ($(i + 1) == "Export") rva[index_text] = $i
    } else {
      names[index_text] = $NF
    }
  }
  END { for (k in names) print names[k], (k in rva ? rva[k] : "?") }
' "$work/objdump.txt" | sort >"$work/actual_rva.txt"
cut -d' ' -f1 "$work/actual_rva.txt" | sort -u >"$work/actual.txt"

# Expected names of the built entries; planned entries for the report;
# pairs of plain and decorated names that must share their code.
awk -v expected="$work/expected.txt" -v planned="$work/planned.txt" \
    -v pairs="$work/pairs.txt" -v bad="$work/bad.txt" '
  { sub(/#.*/, "") }
  NF == 0 { next }
  {
    name = $1; args = $2; form = $3; status = $4
    if (NF < 4 || NF > 5 || form !~ /^(both|decorated|cdecl|symbol)$/ ||
        status !~ /^(built|planned)$/ || args !~ /^([0-9]+|\?)$/) {
      print FILENAME ":" FNR ": malformed entry: " $0 > bad
      next
    }
    if (status == "planned") { print name > planned; next }
    if (args == "?" && form != "cdecl") {
      print FILENAME ":" FNR ": built export without argument count: " name > bad
      next
    }
    decorated = "_" name "@" (4 * args)
    if (form == "both") {
      print name > expected
      print decorated > expected
      print name, decorated > pairs
    } else if (form == "decorated") {
      print decorated > expected
    } else {
      print name > expected
    }
  }
' "$list"
touch "$work/expected.txt" "$work/planned.txt" "$work/pairs.txt" "$work/bad.txt"
sort -u -o "$work/expected.txt" "$work/expected.txt"

status=0
if [[ -s "$work/bad.txt" ]]; then
  cat "$work/bad.txt" >&2
  status=1
fi
if [[ ! -s "$work/actual.txt" ]]; then
  echo "check_exports: $dll has no export names (or objdump's output was not understood)" >&2
  exit 1
fi

missing=$(comm -23 "$work/expected.txt" "$work/actual.txt")
extra=$(comm -13 "$work/expected.txt" "$work/actual.txt")
if [[ -n "$missing" ]]; then
  echo "Missing from $(basename "$dll") ($(wc -l <<<"$missing")):"
  sed 's/^/  /' <<<"$missing"
  status=1
fi
if [[ -n "$extra" ]]; then
  echo "Exported by $(basename "$dll") but not built in the list ($(wc -l <<<"$extra")):"
  sed 's/^/  /' <<<"$extra"
  status=1
fi

# Plain and decorated name of one export must lead to the same address.
while read -r plain decorated; do
  a=$(awk -v n="$plain" '$1 == n { print $2 }' "$work/actual_rva.txt")
  b=$(awk -v n="$decorated" '$1 == n { print $2 }' "$work/actual_rva.txt")
  if [[ -n "$a" && -n "$b" && "$a" != "$b" ]]; then
    echo "$plain (RVA $a) and $decorated (RVA $b) are different functions"
    status=1
  fi
done <"$work/pairs.txt"

built=$(grep -c . "$work/expected.txt" || true)
planned_count=$(grep -c . "$work/planned.txt" || true)
if [[ $status -eq 0 ]]; then
  echo "check_exports: OK, $built exported names match the built entries of $(basename "$list")"
else
  echo "check_exports: FAILED for $dll"
fi
if [[ $planned_count -gt 0 ]]; then
  echo "check_exports: $planned_count planned exports are not built yet"
  if [[ $quiet -eq 0 ]]; then
    fmt -w 100 "$work/planned.txt" | sed 's/^/  /'
  fi
fi
exit $status

#!/bin/bash
# Compares the exported names of libquorvel.so and quorvel.dll with the export
# catalogue. Fails on a name that is not in the catalogue, a wrong decorated
# size, or any other exported symbol; lists catalogue names not yet built.
set -euo pipefail
catalogue="$1"    # name <TAB> result <TAB> params <TAB> argc <TAB> folder
so="$2"
dll="${3:-}"
fail=0

expected=$(awk -F'\t' 'NR > 1 && $1 != "" { print $1 "\t" $4 }' "$catalogue" | sort)

so_names=$(nm -D --defined-only "$so" | awk '{ print $NF }' | sort -u)
while read -r name; do
  [ -z "$name" ] && continue
  if ! grep -q -P "^\Q$name\E\t" <<<"$expected"; then
    echo "FAIL $so exports $name, which is not in the catalogue"; fail=1
  fi
done <<<"$so_names"

if [ -n "$dll" ]; then
  dll_names=$(i686-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
              awk '/\[/ && !/Table/ { print $NF }' | sort -u)
  while read -r dec; do
    [ -z "$dec" ] && continue
    if [[ ! "$dec" =~ ^_([A-Za-z0-9_]+)@([0-9]+)$ ]]; then
      echo "FAIL $dll exports $dec, which is not a decorated stdcall name"; fail=1; continue
    fi
    name="${BASH_REMATCH[1]}"; size="${BASH_REMATCH[2]}"
    argc=$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' <<<"$expected")
    if [ -z "$argc" ]; then
      echo "FAIL $dll exports $dec, which is not in the catalogue"; fail=1
    elif [ "$size" -ne $((argc * 4)) ]; then
      echo "FAIL $dll exports $dec; expected _${name}@$((argc * 4))"; fail=1
    fi
  done <<<"$dll_names"
fi

built=0; pending=()
while IFS=$'\t' read -r name argc; do
  if grep -qx "$name" <<<"$so_names"; then
    built=$((built + 1))
    if [ -n "$dll" ] && ! grep -qx "_${name}@$((argc * 4))" <<<"$dll_names"; then
      echo "FAIL $dll lacks _${name}@$((argc * 4)), which $so exports"; fail=1
    fi
  else
    pending+=("$name")
  fi
done <<<"$expected"

echo "exports: ${built} built, ${#pending[@]} pending"
if [ ${#pending[@]} -gt 0 ]; then echo "pending: ${pending[*]}" | fold -s -w 120; fi
[ $fail -eq 0 ] && echo "export check passed" || { echo "export check FAILED"; exit 1; }

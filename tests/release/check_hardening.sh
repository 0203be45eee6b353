#!/usr/bin/env bash
# Checks that the shipped programs keep their platform's hardening:
#   check_hardening.sh elf program...         (Linux: PIE, full RELRO, BIND_NOW,
#                                              stack protector, fortified calls)
#   check_hardening.sh pe OBJDUMP program.exe... (Windows: ASLR with high-entropy
#                                              addresses, NX, no link time, an
#                                              embedded manifest)
# Prints every missing property and exits 1 if there is one.
set -uo pipefail
kind=$1
shift
objdump=
if [ "$kind" = pe ]; then
  objdump=$1
  shift
fi

missing=0
lack() {
  echo "$1: $2"
  missing=1
}

for program in "$@"; do
  case $kind in
    elf)
      header=$(readelf -hW "$program")
      segments=$(readelf -lW "$program")
      dynamic=$(readelf -dW "$program")
      symbols=$(readelf --dyn-syms -W "$program")
      grep -q 'Type: *DYN' <<< "$header" || lack "$program" "not position-independent"
      grep -q 'GNU_RELRO' <<< "$segments" || lack "$program" "no RELRO segment"
      grep -qE 'BIND_NOW|Flags:.* NOW' <<< "$dynamic" || lack "$program" "no BIND_NOW"
      grep -q '__stack_chk_fail' <<< "$symbols" || lack "$program" "no stack protector"
      grep -qE '__[a-z_]+_chk@' <<< "$symbols" || lack "$program" "no fortified calls"
      ;;
    pe)
      headers=$("$objdump" -p "$program")
      for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
        grep -q "^[[:space:]]*$flag\$" <<< "$headers" || lack "$program" "no $flag"
      done
      grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970$' <<< "$headers" ||
        lack "$program" "the link time is in the header"
      # The one resource is the application manifest, type 24 (RT_MANIFEST)
      # with id 1: with it embedded, the loader ignores a manifest file
      # beside the program that could redirect its DLLs. Its directory
      # carries no time.
      resources=$(sed -n '/The .rsrc Resource Directory section/,/Resources start/p' <<< "$headers")
      { grep -qE 'Type Table: .*Num Names: 0, IDs: 1$' <<< "$resources" &&
        grep -qE '^[0-9a-f]+ {3}Entry: ID: 0x000018,' <<< "$resources" &&
        grep -qE 'Name Table: .*Num Names: 0, IDs: 1$' <<< "$resources" &&
        grep -qE '^[0-9a-f]+ {5}Entry: ID: 0x000001,' <<< "$resources"; } ||
        lack "$program" "no embedded manifest (resource type 24, id 1) as its only resource"
      if grep -o 'Time: [0-9a-f]*' <<< "$resources" | grep -qv 'Time: 00000000'; then
        lack "$program" "a time in the resource directory"
      fi
      ;;
    *)
      echo "usage: check_hardening.sh elf|pe [OBJDUMP] program..." >&2
      exit 2
      ;;
  esac
done
exit $missing

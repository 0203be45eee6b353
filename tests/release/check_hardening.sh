#!/usr/bin/env bash
# Checks that the shipped programs keep their platform's hardening:
#   check_hardening.sh elf program...         (Linux: PIE, full RELRO, BIND_NOW,
#                                              stack protector, fortified calls)
#   check_hardening.sh pe OBJDUMP program.exe... (Windows: ASLR with high-entropy
#                                              addresses, NX, no link time)
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
      ;;
    *)
      echo "usage: check_hardening.sh elf|pe [OBJDUMP] program..." >&2
      exit 2
      ;;
  esac
done
exit $missing

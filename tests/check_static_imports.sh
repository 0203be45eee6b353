#!/usr/bin/env bash
# Checks what each Windows .exe imports.
#   check_static_imports.sh OBJDUMP program.exe[=dll,dll...]...
# With a list after "=", the program must import exactly those DLLs (lower
# case, without ".dll"): a new import is a DLL the program may load from its
# own folder, where anyone can plant one. Without a list, every import must
# be one of Windows' own DLLs, so that the program starts on a bare Windows
# machine (no libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll).
set -u
objdump=$1
shift
# Windows' own DLLs, lower case.
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|bcrypt|msvcrt|ucrtbase|ntdll|ole32|oleaut32|ws2_32|imm32|uxtheme|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
checked=0
for argument in "$@"; do
  exe=${argument%%=*}
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  if [ -z "$dlls" ]; then
    echo "FAIL $exe: no import table found"
    status=1
    continue
  fi
  if [ "$argument" != "$exe" ]; then
    expected=$(printf '%s\n' "${argument#*=}" | tr ',' '\n' | sed 's/$/.dll/' | sort)
    actual=$(printf '%s\n' "$dlls" | sort)
    if [ "$actual" != "$expected" ]; then
      echo "FAIL $(basename "$exe") imports $(echo $actual), expected exactly $(echo $expected)"
      status=1
    fi
  else
    while IFS= read -r dll; do
      if ! [[ $dll =~ $allowed ]]; then
        echo "FAIL $(basename "$exe") imports $dll, which a bare Windows machine does not have"
        status=1
      fi
    done <<< "$dlls"
  fi
  echo "$(basename "$exe"): $(echo $dlls)"
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || status=1
exit $status

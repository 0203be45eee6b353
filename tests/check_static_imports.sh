#!/usr/bin/env bash
# Fails when a Windows .exe imports any DLL that is not part of Windows itself,
# i.e. when it would not start on a bare Windows machine (a missing
# libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll, say).
#   check_static_imports.sh OBJDUMP program.exe...
set -u
objdump=$1
shift
# Windows' own DLLs, lower case.
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|bcrypt|msvcrt|ucrtbase|ntdll|ole32|oleaut32|ws2_32|imm32|uxtheme|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
checked=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$dlls" ]; then
    echo "FAIL $exe: no import table found"
    status=1
    continue
  fi
  while IFS= read -r dll; do
    lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
    if ! [[ $lower =~ $allowed ]]; then
      echo "FAIL $(basename "$exe") imports $dll, which a bare Windows machine does not have"
      status=1
    fi
  done <<< "$dlls"
  echo "$(basename "$exe"): $(echo $dlls | tr '\n' ' ')"
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || status=1
exit $status

#!/bin/sh
# Fails when the program imports a DLL that is not part of Windows itself.
# Usage: check_imports.sh OBJDUMP PROGRAM
set -eu
objdump=$1
program=$2
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll shell32.dll version.dll msvcrt.dll advapi32.dll ole32.dll "
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports found in $program" >&2; exit 1; }
status=0
for dll in $imports; do
    case $allowed in
    *" $dll "*) echo "ok: $dll" ;;
    *) echo "not a Windows DLL: $dll" >&2; status=1 ;;
    esac
done
exit $status

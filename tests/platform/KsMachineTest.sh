#!/bin/sh
# ksmachine end to end: make a machine, look into it, run a program on it,
# restart it, and compare snapshots; bad folders give an error and exit 1.
set -eu
ksmachine=$1
child=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
m=$dir/pc

"$ksmachine" create "$m" --user Ada >/dev/null
"$ksmachine" reg query "$m" 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' | grep -q 'ProgramFilesDir    REG_SZ    C:\\Program Files$'
"$ksmachine" reg export "$m" 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
  | grep -q '"AppData"="C:\\\\Users\\\\Ada\\\\AppData\\\\Roaming"'
"$ksmachine" ls "$m" 'C:\Users' | grep -q 'Ada$'
"$ksmachine" snapshot "$m" "$dir/before.txt"

cp "$child" "$m/drives/c/child.exe"
"$ksmachine" run "$m" 'C:\child.exe' write 'C:\hello.txt' hi | grep -q 'exit code 0'
test "$(cat "$m/drives/c/hello.txt")" = hi
set +e
"$ksmachine" run "$m" 'C:\child.exe' exit 3 >/dev/null
test $? -eq 3 || { echo "exit code not passed on"; exit 1; }
set -e

"$ksmachine" diff "$m" "$dir/before.txt" | grep -qx '+ file C:\\hello.txt'

for missing in "$dir/none" "$dir"; do
  if "$ksmachine" ls "$missing" 'C:\' 2>"$dir/err"; then echo "no error for $missing"; exit 1; fi
  grep -q 'ksmachine:' "$dir/err"
done
echo ok

#!/usr/bin/env bash
# The folders of the programs form a one-way chain:
#   core/ <- win32/ <- ui/ <- engine/ (SETUP.EXE)
#                    win32/ <- uninstall/ (UNINST.EXE)
#                    win32/ <- webstub/ (WEBSTUB.EXE)
# A source may include its own folder's headers (by bare name) and those of
# the folders below it (as "folder/name.h"); res/resource.h is open to every
# folder but core/. Any other include, and any include through "..", is an
# error. The build runs this before it compiles anything.
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || exit 2

allowed() {
  case "$1" in
    core) echo "core" ;;
    win32) echo "core win32 res" ;;
    ui) echo "core win32 ui res" ;;
    engine) echo "core win32 ui engine res" ;;
    uninstall) echo "core win32 uninstall res" ;;
    webstub) echo "core win32 webstub res" ;;
  esac
}

status=0
for folder in core win32 ui engine uninstall webstub; do
  ok=" $(allowed "$folder") "
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS=: read -r line text; do
      name=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]*)".*/\1/' <<<"$text")
      case "$name" in
        */*) top=${name%%/*}
             if [ "$top" = .. ] || [ "$top" = . ] || [[ "$ok" != *" $top "* ]]; then
               echo "$file:$line: includes \"$name\": $folder/ may include only from: $(allowed "$folder")"
               status=1
             fi ;;
        *) if [ ! -e "$folder/$name" ]; then
             echo "$file:$line: includes \"$name\", which is not in $folder/"
             status=1
           fi ;;
      esac
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file")
  done
done
exit $status

#!/usr/bin/env bash
# Checks the import tables of SETUP.EXE, UNINST.EXE and WEBSTUB.EXE against
# docs/imports.txt:
# every imported function must be listed for its DLL, none may have the floor
# "no" (missing from Windows 95 or NT 4.0), and an i686 image may not import
# what only the x86_64 build may ("x64").
# The shipped WEBSTUB.EXE, the front of every download, must also stay within
# its size limit.
# Usage: check-imports.sh BUILD_DIR
# BUILD_DIR is the i686 build or its x86_64 build (build/win64): both that
# one's programs and the other's, where it is there, are checked; the
# shipped i686 programs must be there.
set -u
dir="$(cd "${1:?build directory}" && pwd)"
list="$(cd "$(dirname "$0")/.." && pwd)/docs/imports.txt"
images=()
if [ "$(basename "$dir")" = win64 ]; then
  shipped="$(dirname "$dir")"
  images+=("$dir/SETUP.EXE" "$dir/UNINST.EXE" "$dir/WEBSTUB.EXE")
else
  shipped="$dir"
  [ -f "$dir/win64/SETUP.EXE" ] &&
    images+=("$dir/win64/SETUP.EXE" "$dir/win64/UNINST.EXE" "$dir/win64/WEBSTUB.EXE")
fi
images=("$shipped/SETUP.EXE" "$shipped/UNINST.EXE" "$shipped/WEBSTUB.EXE" "${images[@]}")

status=0
problem() {
  echo "check-imports: $*" >&2
  status=1
}

# "DLL function floor" for each listed function.
allowed="$(sed 's/#.*//' "$list" | awk 'NF >= 5 { print toupper($1), $2, $5 }')"

for image in "${images[@]}"; do
  [ -f "$image" ] || { problem "missing $image"; continue; }
  format="$(objdump -f "$image" | sed -n 's/.*file format //p')"
  case "$format" in
    pei-i386) arch=i686 ;;
    pei-x86-64) arch=x86_64 ;;
    *) problem "$image: unknown format $format"; continue ;;
  esac
  imports="$(objdump -p "$image" | awk '
    /^\tDLL Name:/ { dll = toupper($3); next }
    /^$/ { next }
    /^\tvma:/ { next }
    dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }')"
  [ -n "$imports" ] || { problem "$image: no imports read"; continue; }
  count=0
  while read -r dll function; do
    count=$((count + 1))
    floor="$(awk -v d="$dll" -v f="$function" '$1 == d && $2 == f { print $3; exit }' <<<"$allowed")"
    case "$floor" in
      yes | stub) ;;
      x64) [ "$arch" = x86_64 ] || problem "$image: $dll $function is for the x86_64 build only" ;;
      no) problem "$image: $dll $function is missing from Windows 95 or NT 4.0" ;;
      "") problem "$image: $dll $function is not in docs/imports.txt" ;;
      *) problem "docs/imports.txt: $dll $function has an unknown floor $floor" ;;
    esac
  done <<<"$imports"
  echo "$image ($arch): $count imports checked"
done
stub_limit=24576
stub_size="$(stat -c %s "$shipped/WEBSTUB.EXE" 2>/dev/null || echo 0)"
[ "$stub_size" -gt 0 ] && [ "$stub_size" -le "$stub_limit" ] ||
  problem "$shipped/WEBSTUB.EXE is $stub_size bytes, not 1 to $stub_limit"
echo "$shipped/WEBSTUB.EXE: $stub_size bytes (limit $stub_limit)"
exit $status

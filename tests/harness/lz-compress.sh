#!/usr/bin/env bash
# lz-compress.sh SRC DEST: an LZ-compressed (SZDD) copy of SRC, made with
# Debian's mscompress and checked by expanding it again with msexpand. Inputs
# under 16 bytes, which mscompress gets wrong, and any output that does not
# expand back to SRC, are written with every byte a literal instead.
set -u
src="$1" dest="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

all_literals() {
  perl -e '
    local $/; open my $in, "<:raw", $ARGV[0] or die; my $data = <$in>;
    open my $out, ">:raw", $ARGV[1] or die;
    print $out "SZDD\x88\xf0\x27\x33", "A", "\0", pack("V", length $data);
    for (my $i = 0; $i < length $data; $i += 8) { print $out "\xff", substr($data, $i, 8); }
  ' "$src" "$dest"
}
expands_back() {
  msexpand <"$dest" >"$work/check" 2>/dev/null && cmp -s "$src" "$work/check"
}

[ -f "$src" ] || { echo "lz-compress: no file $src" >&2; exit 1; }
if [ "$(stat -c %s "$src")" -lt 16 ]; then
  all_literals
else
  cp "$src" "$work/f"
  (cd "$work" && mscompress f >/dev/null 2>&1)
  if [ -f "$work/f_" ]; then mv "$work/f_" "$dest"; else all_literals; fi
fi
expands_back && exit 0
all_literals
expands_back || { echo "lz-compress: could not compress $src" >&2; exit 1; }

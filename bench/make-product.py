#!/usr/bin/env python3
"""Writes the benchmark product: FILES files of mixed content, TOTAL bytes in
all, spread over SUBDIRS sub-directories (d01, d02, ...), and a listing of
"<subdir>/<name>" lines in the order they are installed.

usage: make-product.py OUTDIR [FILES TOTAL SUBDIRS]

The mix: text (words from a small vocabulary), records (very repetitive),
random bytes (incompressible) and sparse data (mostly zeros). Sizes follow a
log-normal spread scaled to the total. The first file is small, because the
timing runs from the end of the first file to the end of the last. The
content depends only on the arguments (fixed seed)."""
import os
import random
import sys

out = sys.argv[1]
files = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
total = int(sys.argv[3]) if len(sys.argv) > 3 else 50 * 1024 * 1024
subdirs = int(sys.argv[4]) if len(sys.argv) > 4 else 10
rng = random.Random(20240601)

words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 10)))
         for _ in range(600)]


def text(size):
    parts, length = [], 0
    while length < size:
        line = ' '.join(rng.choice(words) for _ in range(rng.randint(5, 15))) + '\n'
        parts.append(line)
        length += len(line)
    return ''.join(parts).encode()[:size]


def records(size):
    parts, length, n = [], 0, 0
    while length < size:
        line = '%08d;ITEM;%05d;OK;%s\n' % (n, n % 977, 'X' * (n % 7))
        parts.append(line)
        length += len(line)
        n += 1
    return ''.join(parts).encode()[:size]


def noise(size):
    return rng.randbytes(size)


def sparse(size):
    data = bytearray(size)
    for _ in range(size // 256):
        data[rng.randrange(size)] = rng.randrange(256)
    return bytes(data)


kinds = [text, text, records, noise, sparse]
weights = [rng.lognormvariate(0, 1.2) for _ in range(files)]
weights[0] = 0
scale = (total - 200) / sum(weights)
sizes = [200] + [max(64, int(w * scale)) for w in weights[1:]]
sizes[-1] += total - sum(sizes)

os.makedirs(out, exist_ok=True)
listing = []
for i, size in enumerate(sizes, 1):
    sub = 'd%02d' % ((i - 1) % subdirs + 1)
    name = 'f%04d.dat' % i
    os.makedirs(os.path.join(out, sub), exist_ok=True)
    maker = text if i == 1 else kinds[i % len(kinds)]
    with open(os.path.join(out, sub, name), 'wb') as f:
        f.write(maker(max(size, 64)))
    listing.append('%s/%s' % (sub, name))
with open(os.path.join(out, 'listing.txt'), 'w') as f:
    f.write('\n'.join(listing) + '\n')

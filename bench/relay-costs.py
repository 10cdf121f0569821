#!/usr/bin/env python3
"""The costliest file-system calls of a timed relay trace (run-bench.sh with
KEEP_TRACE=prefix RELAY_DEBUG=+timestamp,+relay): per function, outermost
calls only, the count per file, the time from Call to Ret in all and per
call, and its share of the time of every traced call.

usage: relay-costs.py TRACE FILES [TOP]"""
import re
import sys

line_re = re.compile(r'^([0-9.]+):([0-9a-f]+):(Call|Ret) +(?:KERNEL32|KERNELBASE)\.(\w+)', re.I)
path, files = sys.argv[1], int(sys.argv[2])
top = int(sys.argv[3]) if len(sys.argv) > 3 else 8
stack, count, spent = {}, {}, {}
with open(path, errors='replace') as trace:
    for line in trace:
        m = line_re.match(line)
        if not m:
            continue
        stamp, thread, kind, name = float(m.group(1)), m.group(2), m.group(3), m.group(4)
        calls = stack.setdefault(thread, [])
        if kind == 'Call':
            calls.append((name, stamp))
        elif calls:
            name, start = calls.pop()
            if not calls:
                count[name] = count.get(name, 0) + 1
                spent[name] = spent.get(name, 0.0) + stamp - start
total = sum(spent.values()) or 1
print('   %-26s %8s %9s %9s %6s' % ('function', 'per file', 'ms', 'ms/call', 'share'))
for name in sorted(spent, key=spent.get, reverse=True)[:top]:
    print('   %-26s %8.2f %9.1f %9.3f %5.1f%%' % (name, count[name] / files, spent[name] * 1000,
                                             spent[name] * 1000 / count[name], 100 * spent[name] / total))
print('   %-26s %8.2f %9.1f' % ('all traced calls', sum(count.values()) / files, total * 1000))

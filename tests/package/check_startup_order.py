#!/usr/bin/env python3
"""The executable's functions that cmake/startup-order.txt lists (those start-up and the
first showing run) are linked first and together: idle resident memory depends on it.
Fails also when the list has grown stale (more than a quarter of its functions are gone:
record it again with tools/startup-order/record).
Usage: check_startup_order.py <executable> <order file>"""
import subprocess
import sys

executable, order_file = sys.argv[1:3]
listed = [line.strip() for line in open(order_file, encoding="utf-8") if line.strip()]
functions, text = {}, []
symbols = subprocess.run(["nm", "-S", "--defined-only", executable], capture_output=True, text=True, check=True)
for line in symbols.stdout.splitlines():
    fields = line.split()
    if len(fields) == 4 and fields[2] in "tTwW":
        where = (int(fields[0], 16), int(fields[1], 16))
        functions.setdefault(fields[3], []).append(where)
        text.append(where)

found = [where for name in listed for where in functions.get(name, [])]
known = sum(name in functions for name in listed)
print(f"{known} of {len(listed)} listed functions are in {executable}")
if known < 0.75 * len(listed):
    sys.exit("FAIL: the list is stale: run tools/startup-order/record")

first = min(address for address, _ in found)
end = max(address + size for address, size in found)
listed_bytes = sum(size for _, size in found)
text_start = min(address for address, _ in text)
text_bytes = max(address + size for address, size in text) - text_start
print(f"they take {listed_bytes} bytes, from {first - text_start} to {end - text_start} of {text_bytes}")
# Alignment pads each function a little; anything else between them is out of order.
if first - text_start > 4096 or end - first > listed_bytes * 1.1 + 4096:
    sys.exit("FAIL: the listed functions are not linked first and together")

#!/usr/bin/env python3
"""Reads benchmark output (Google Benchmark's or the Windows stand-in's) on
standard input and prints, for each sort case, the shipped loop's and the
reference loop's nanoseconds per iteration and the speed-up between them,
both measured in the same run."""
import re
import sys

ENTRIES = ["skip red down (256)", "skip red up (256)", "retry red down (512)", "retry red up (512)"]
SURFACES = ["square", "circle", "torus", "triangle", "inverted triangle"]
SCALE = {"": 1.0, "k": 1e3, "M": 1e6, "G": 1e9}

rates = {}
for line in sys.stdin:
    sys.stdout.write(line)
    match = re.match(r"(shipped|reference|six_loads)/(\d+)_median\s.*items_per_second=([\d.]+)([kMG]?)/s", line)
    if match:
        loop, case, value, unit = match.groups()
        rates[(loop, int(case))] = float(value) * SCALE[unit]

if rates:
    print()
    print(f"| {'entry':<21} | {'surface':<17} | shipped ns | reference ns | speed-up |")
    print(f"|{'-' * 23}|{'-' * 19}|-----------:|-------------:|---------:|")
    for case in range(len(ENTRIES) * len(SURFACES)):
        shipped = rates.get(("shipped", case))
        reference = rates.get(("reference", case))
        if not shipped or not reference:
            continue
        entry, surface = ENTRIES[case // len(SURFACES)], SURFACES[case % len(SURFACES)]
        print(f"| {entry:<21} | {surface:<17} | {1e9 / shipped:10.2f} | {1e9 / reference:12.2f} | "
              f"{shipped / reference:7.2f}x |")
    for (loop, case), rate in sorted(rates.items()):
        if loop == "six_loads":
            entry, surface = ENTRIES[case // len(SURFACES)], SURFACES[case % len(SURFACES)]
            print(f"six loads alone, {entry} on the {surface}: {1e9 / rate:.2f} ns per iteration")

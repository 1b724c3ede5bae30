#!/usr/bin/env python3
"""Reads benchmark output (Google Benchmark's or the Windows stand-in's) on
standard input and prints, for each sort case, the nanoseconds per iteration
of the shipped loop (with the block kernels the processor runs best, and with
the scalar ones) and of the reference loop, and the speed-ups over the
reference, all measured in the same run."""
import re
import sys

ENTRIES = ["skip red down (256)", "skip red up (256)", "retry red down (512)", "retry red up (512)"]
SURFACES = ["square", "circle", "torus", "triangle", "inverted triangle"]
SCALE = {"": 1.0, "k": 1e3, "M": 1e6, "G": 1e9}

rates = {}
for line in sys.stdin:
    sys.stdout.write(line)
    match = re.match(r"(shipped|shipped_scalar|reference|six_loads)/(\d+)_median\s.*items_per_second=([\d.]+)([kMG]?)/s", line)
    if match:
        loop, case, value, unit = match.groups()
        rates[(loop, int(case))] = float(value) * SCALE[unit]

if rates:
    print()
    print(f"| {'entry':<21} | {'surface':<17} | shipped ns | scalar ns | reference ns | speed-up | scalar speed-up |")
    print(f"|{'-' * 23}|{'-' * 19}|-----------:|----------:|-------------:|---------:|----------------:|")
    for case in range(len(ENTRIES) * len(SURFACES)):
        shipped = rates.get(("shipped", case))
        scalar = rates.get(("shipped_scalar", case))
        reference = rates.get(("reference", case))
        if not shipped or not reference:
            continue
        entry, surface = ENTRIES[case // len(SURFACES)], SURFACES[case % len(SURFACES)]
        scalar_ns = f"{1e9 / scalar:9.2f}" if scalar else f"{'-':>9}"
        scalar_ratio = f"{scalar / reference:14.2f}x" if scalar else f"{'-':>15}"
        print(f"| {entry:<21} | {surface:<17} | {1e9 / shipped:10.2f} | {scalar_ns} | {1e9 / reference:12.2f} | "
              f"{shipped / reference:7.2f}x | {scalar_ratio} |")
    for (loop, case), rate in sorted(rates.items()):
        if loop == "six_loads":
            entry, surface = ENTRIES[case // len(SURFACES)], SURFACES[case % len(SURFACES)]
            print(f"six loads alone, {entry} on the {surface}: {1e9 / rate:.2f} ns per iteration")

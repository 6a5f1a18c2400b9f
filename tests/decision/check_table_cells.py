#!/usr/bin/env python3
"""Counts the cells of `ornavel table` rows solved from a ratio that lie further from the
exact value (gamma = 7/5, 400-digit mpmath, make_inverse_reference.py's formulas) than one
unit of their last written digit, in both digit modes: the inputs of the reference table, the
edges near 1/sqrt(7) and a random spread.

Run: python3 tests/decision/check_table_cells.py build/dev/app/ornavel
(needs python3-mpmath; a measurement, not a test).
"""
import random
import subprocess
import sys

from mpmath import mp, mpf

import make_inverse_reference as ref

NAMES = {"P2/P1": 1, "rho2/rho1": 2, "T2/T1": 3, "Po2/Po1": 4}


def unit(truth, full):
    if not full and abs(truth) < mpf(10) ** 10:
        return mpf(10) ** -5
    return mpf(10) ** (mp.floor(mp.log10(abs(truth))) - 14)


def main(program):
    rng = random.Random(29)
    inputs = {q: [] for q in NAMES}
    for line in open(__file__.replace("check_table_cells.py", "inverse_reference.tsv")):
        if not line.startswith("#"):
            q, x = line.split("\t")[:2]
            inputs[q].append(x)
    near = lambda lo, hi: [repr(float(mp.exp(mp.log(lo) + (mp.log(hi) - mp.log(lo)) * rng.random()))) for _ in range(300)]
    inputs["P2/P1"] += near(1e-20, 1.6e-4) + near(1e-3, 1e6)
    inputs["rho2/rho1"] += [repr(1 / 6 + float(d)) for d in near(1e-16, 1.6e-4)] + [repr(rng.uniform(0.17, 5.99)) for _ in range(300)]
    inputs["T2/T1"] += near(1e-20, 7.9e-4) + near(1e-3, 1e6)
    inputs["Po2/Po1"] += near(1.4e7, 1e300) + near(1e-6, 1e7)
    checked = off = 0
    for q, values in inputs.items():
        for full in (False, True):
            args = [program, "table", q] + values + ["--format", "tsv"] + (["--digits", "15"] if full else [])
            rows = subprocess.run(args, capture_output=True, text=True).stdout.splitlines()[1:]
            for x, row in zip(values, rows):
                cells = row.split("\t")
                m = ref.mach_from(q, float(x))
                for i, truth in enumerate(ref.ratios(m)):
                    if i == NAMES[q] or cells[i] == "":
                        continue
                    checked += 1
                    if abs(mpf(cells[i]) - truth) > unit(truth, full):
                        off += 1
                        print("off:", q, x, i, cells[i], mp.nstr(truth, 20))
    print("%d cells checked, %d off by more than one unit" % (checked, off))


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""Writes inverse_gamma_reference.tsv: for several gammas and inputs of P2/P1, rho2/rho1, T2/T1
and Po2/Po1 across their domains, near their limits and near Po2/Po1 = 1, the exact M1 and the
exact M2, P2/P1, rho2/rho1, T2/T1, Po2/Po1 and Po2/P1 of that shock, to 30 digits.

gamma is the double itself, converted exactly (mpf(1.3) is 1.3000000000000000444...), except
1.4, which the program takes as 7/5 exactly. The work is independent of the program's formulas:
M1 from the ratio as a textbook gives it (Po2/Po1 by bisection of its textbook relation), then
the rest from M1. Near the domain limit M1^2 - (gamma-1)/(2 gamma) vanishes, down to about 1e-800
at gamma = 3, so the work is done with 1000 digits.

A value outside the normal doubles, which the program refuses as out of range, is written
"inf"; "nan" for M1 marks an input outside the domain (rho2/rho1 on or beyond a limit).

Run: python3 tests/core/make_inverse_gamma_reference.py > tests/core/inverse_gamma_reference.tsv
(needs python3-mpmath; the table is checked in, so the tests do not).
"""
import math
from fractions import Fraction
import random

from mpmath import mp, mpf, sqrt, log, exp, nstr

mp.dps = 1000
LARGEST = mpf(1.7976931348623157e308)
SMALLEST_NORMAL = mpf(2.2250738585072014e-308)
COLUMNS = {"P2/P1": 2, "rho2/rho1": 3, "T2/T1": 4, "Po2/Po1": 5}
GAMMAS = [1.05, 1.13, 1.289, 1.3, 1.4, 5.0 / 3, 2.0, 3.0]


def exact(gamma):
    return mpf(7) / 5 if gamma == 1.4 else mpf(gamma)


def shock(g, M1):
    """M1, M2, P2/P1, rho2/rho1, T2/T1, Po2/Po1, Po2/P1 from M1, as a textbook gives them."""
    s = M1 * M1
    h = (g - 1) / 2
    M2 = sqrt((1 + h * s) / (g * s - h))
    P2P1 = 1 + 2 * g / (g + 1) * (s - 1)
    Ro2Ro1 = (g + 1) * s / ((g - 1) * s + 2)
    T2T1 = P2P1 / Ro2Ro1
    e = g / (g - 1)
    Po2P1 = (1 + h * M2 * M2) ** e * P2P1
    Po2Po1 = Po2P1 / (1 + h * s) ** e
    return [M1, M2, P2P1, Ro2Ro1, T2T1, Po2Po1, Po2P1]


def mach_from(g, quantity, x):
    x = mpf(x)
    if quantity == "P2/P1":
        return sqrt(1 + (g + 1) / (2 * g) * (x - 1))
    if quantity == "rho2/rho1":
        return sqrt(2 * x / ((g + 1) - (g - 1) * x))
    if quantity == "T2/T1":
        # T2/T1 = (2 g s - (g-1))((g-1)s + 2)/((g+1)^2 s): a quadratic in s = M1^2.
        a, b, c = 2 * g * (g - 1), 4 * g - (g - 1) ** 2 - (g + 1) ** 2 * x, -2 * (g - 1)
        return sqrt((-b + sqrt(b * b - 4 * a * c)) / (2 * a))
    if x == 1:
        return mpf(1)  # no loss: the sonic shock, where the bisection below would leave a hair
    # Po2/Po1 falls monotonically in M1: bisect on w = M1^2 - (g-1)/(2g), geometrically, so that
    # M1 is found as closely near the limit, where w is tiny, as anywhere else.
    mach = lambda w: sqrt(w + (g - 1) / (2 * g))
    lo, hi = mpf(10) ** -900, mpf(10) ** 900
    for _ in range(600):
        mid = sqrt(lo * hi)
        if shock(g, mach(mid))[5] > x:
            lo = mid
        else:
            hi = mid
        if hi / lo - 1 < mpf(10) ** -45:
            break
    return mach(sqrt(lo * hi))


def text(v):
    """30 digits; where those read back as a double that the exact value is not, a "+" or "-"
    says on which side of it the exact value lies (M1 a hair above a limit of 1/2)."""
    if not SMALLEST_NORMAL <= abs(v) <= LARGEST:
        return "inf"
    digits = nstr(v, 30)
    nearest = mpf(float(digits))
    if mpf(digits) == nearest and v != nearest:
        digits += "+" if v > nearest else "-"
    return digits


def row(gamma, quantity, x):
    g = exact(gamma)
    # The domain's ends judged in rationals: 7/5 and the ends at 1.4 are not binary fractions.
    q = Fraction(7, 5) if gamma == 1.4 else Fraction(gamma)
    if quantity == "rho2/rho1" and not (q - 1) / (q + 1) < Fraction(x) < (q + 1) / (q - 1):
        values = ["nan"] * 7
    else:
        m = mach_from(g, quantity, x)
        values = [text(v) for v in shock(g, m)]
        # The input's own value is the input, exactly: its digits, not those of a root's rounding.
        values[COLUMNS[quantity]] = text(mpf(x))
    return [repr(gamma), quantity, repr(float(x))] + values


def spread(low, high, rng, count):
    lo, hi = math.log(low), math.log(high)
    return [math.exp(lo + (hi - lo) * rng.random()) for _ in range(count)]


def edges(limit):
    """The doubles on either side of an exact limit, and the limit's own double."""
    nearest = float(limit)
    return sorted({math.nextafter(nearest, 0), nearest, math.nextafter(nearest, math.inf)})


def inputs(gamma, rng):
    g = exact(gamma)
    after = math.nextafter
    low, high = (g - 1) / (g + 1), (g + 1) / (g - 1)
    # The loss at M1^2 = 1 +- 1/8 and +- 1/4: where the loss's series hands over.
    handover = [float(shock(g, sqrt(1 + d))[5]) for d in (mpf(-1) / 4, mpf(-1) / 8, mpf(1) / 8, mpf(1) / 4)]
    return [
        ("P2/P1", [5e-324, 1e-300, 1e-17, 1e-6, 1, after(1, 2)] + spread(0.01, 1e4, rng, 3) + [1e300]
         # Po2/Po1 near 1e287, where p (T2/T1)^-e, whose logarithm is 5/3 times the result's,
         # misses by 1.18 ulps (found by search).
         + ([5.982431636328599e-192] if gamma == 5.0 / 3 else [])),
        ("rho2/rho1", edges(low) + [float(low) * (1 + 1e-9), 1, after(1, 0)] + spread(float(low), float(high), rng, 2)
         + [float(high) * (1 - 1e-9)] + edges(high)),
        ("T2/T1", [5e-324, 1e-300, 1e-12, 0.5, after(1, 0)] + spread(1.01, 1e4, rng, 2) + [1e300, 1e308]),
        ("Po2/Po1", [5e-324, 1e-100, 0.1, 0.5, 1 - 1e-9, after(1, 0), 1, after(1, 2), 1 + 1e-6, 2] + handover
         + spread(2, 1e300, rng, 2) + [1e308]),
    ]


def main():
    rng = random.Random(7)
    print("# gamma\tquantity\tinput\tM1\tM2\tP2/P1\trho2/rho1\tT2/T1\tPo2/Po1\tPo2/P1")
    for gamma in GAMMAS:
        for quantity, values in inputs(gamma, rng):
            for x in values:
                print("\t".join(row(gamma, quantity, x)))


if __name__ == "__main__":
    main()

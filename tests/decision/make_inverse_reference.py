#!/usr/bin/env python3
"""Writes inverse_reference.tsv: for inputs of P2/P1, rho2/rho1, T2/T1 and Po2/Po1 across
their domains, the exact M1 (to 25 digits), the seven values of the row to 25 digits and the
input cell, computed with mpmath at gamma = 7/5 exactly, independently of the program's
formulas: M1 from the ratio, then M2 and the ratios from M1 as a textbook gives them.

Near the domain limit 7 M1^2 - 1 vanishes, so the work is done with 400 digits: enough for the
smallest ratios, whose 7 M1^2 - 1 is about 1e-323. A value beyond the normal doubles, which
could not be written to 15 digits, is written "inf": the row is refused as out of range, and
only its input cell is checked.

Run: python3 tests/decision/make_inverse_reference.py > tests/decision/inverse_reference.tsv
(needs python3-mpmath; the table is checked in, so the tests do not).
"""
import math
import random

from mpmath import mp, mpf, sqrt, nstr

mp.dps = 400
g = mpf(7) / 5
LARGEST = mpf(1.7976931348623157e308)
SMALLEST_NORMAL = mpf(2.2250738585072014e-308)


def ratios(M1):
    s = M1 * M1
    M2 = sqrt((1 + (g - 1) / 2 * s) / (g * s - (g - 1) / 2))
    s2 = M2 * M2
    P2P1 = 1 + 2 * g / (g + 1) * (s - 1)
    T2T1 = (1 + (g - 1) / 2 * s) / (1 + (g - 1) / 2 * s2)
    e = g / (g - 1)
    Po2P1 = (1 + (g - 1) / 2 * s2) ** e * P2P1
    Po2Po1 = Po2P1 / (1 + (g - 1) / 2 * s) ** e
    return [M1, P2P1, P2P1 / T2T1, T2T1, Po2Po1, Po2P1, M2]


def mach_from(quantity, x):
    x = mpf(x)
    if quantity == "P2/P1":
        return sqrt((6 * x + 1) / 7)
    if quantity == "rho2/rho1":
        return sqrt(5 * x / (6 - x))
    if quantity == "T2/T1":
        b = 34 - 36 * x
        return sqrt((-b + sqrt(b * b + 140)) / 14)
    # Po2/Po1 falls monotonically in M1: bisect on w = 7 M1^2 - 1, geometrically, so that M1
    # is found as closely near the limit, where w is tiny, as anywhere else.
    mach = lambda w: sqrt((1 + w) / 7)
    lo, hi = mpf(10) ** -340, mpf(10) ** 330
    for _ in range(400):
        mid = sqrt(lo * hi)
        if ratios(mach(mid))[4] > x:
            lo = mid
        else:
            hi = mid
        if hi / lo - 1 < mpf(10) ** -60:
            break
    return mach(sqrt(lo * hi))


def value_text(v):
    return "inf" if not SMALLEST_NORMAL <= v <= LARGEST else nstr(v, 25, min_fixed=-20, max_fixed=30)


def shortest_text(x):
    """The cell of a typed number: the shortest digits that read back, laid out plainly
    between 1e-15 and 1e15 and with an E exponent outside."""
    digits, exponent = repr_digits(x)
    if exponent >= 15 or exponent < -15:
        mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        return "%sE%s%02d" % (mantissa, "-" if exponent < 0 else "+", abs(exponent))
    if exponent >= 0:
        whole = digits[: exponent + 1].ljust(exponent + 1, "0")
        rest = digits[exponent + 1:]
        return whole + ("." + rest if rest else "")
    return "0." + "0" * (-exponent - 1) + digits


def repr_digits(x):
    mantissa, exponent = ("%r" % float(x)).replace("e", "E").split("E") if "e" in repr(x) else (repr(x), "0")
    exponent = int(exponent)
    whole, _, frac = mantissa.partition(".")
    frac = frac.rstrip("0")
    digits = (whole + frac).lstrip("0")
    exponent += len(whole.lstrip("0")) - 1 if whole.strip("0") else -(len(frac) - len(frac.lstrip("0"))) - 1
    return digits.rstrip("0") or "0", exponent


def row(quantity, x, column):
    m = mach_from(quantity, x)
    return [quantity, repr(float(x)), nstr(m, 25), shortest_text(x)] + [value_text(v) for v in ratios(m)]


def inputs(lowest, highest, edges, rng, count):
    values = list(edges)
    lo, hi = mp.log(lowest), mp.log(highest)
    for _ in range(count):
        values.append(float(mp.exp(lo + (hi - lo) * mpf(rng.random()))))
    return values


def main():
    rng = random.Random(21)
    tiny = 5e-324
    after = math.nextafter
    # Where M1 lies near 1/sqrt(7), below 0.37815, and 7 M1^2 - 1 would cancel.
    near_limit = lambda low, high: inputs(low, high, [], rng, 20)
    quantities = [
        ("P2/P1", 1, inputs(1e-300, 1e300, [tiny, 1e-300, 1e-17, 5e-17, 1e-16, 1e-12, 1.6e-4, 0.125, 1,
                                             after(1, 0), after(1, 2), 1.2450385002625, 4.5,
                                             10.333333333333334, 29, 1e8, 5.879958327299595e20, 1e89,
                                             1e100, 1e300, 1.6e308, 1.7976931348623157e308],
                                 rng, 60) + near_limit(1e-20, 1.6e-4)),
        ("rho2/rho1", 2, inputs(1 / 6 + 1e-9, 6 - 1e-9, [after(1 / 6, 1), 0.16666666666666669, 0.1666667,
                                                         0.16682, 0.28571428571428575, 1, after(1, 0),
                                                         after(1, 2), 2.6666666666666665, 5, 5.999999,
                                                         after(6, 0)], rng, 60)
                         + [1 / 6 + d for d in near_limit(1e-16, 1.6e-4)]),
        ("T2/T1", 3, inputs(1e-300, 1e300, [tiny, 1e-300, 2e-16, 5e-16, 1e-15, 1e-9, 7.9e-4, 0.4375,
                                             after(17 / 18, 0), 17 / 18, 1, after(1, 0), after(1, 2), 1.6875,
                                             5.8, 1e10, 1e300, 1.7976931348623157e308], rng, 60)
                     + near_limit(1e-20, 7.9e-4)),
        ("Po2/Po1", 4, inputs(1e-300, 1e30, [tiny, 1e-300, 1e-220, 1e-10, 0.0030424, 0.06172, 0.32834,
                                              0.4999999, 0.5, 0.72087, 0.9, 0.999, after(1, 0), 1, after(1, 2),
                                              1.001, 1.5, after(2, 0), 2, after(2, 3), 2.25677, 100, 1e10,
                                              1.4e7, 1e30, 1e37, 2e37, 1e300, 1.7976931348623157e308], rng, 60)
                       + near_limit(1.4e7, 1e300)),
    ]
    print("# quantity\tinput\tM1 to 25 digits\tinput cell\tM1\tP2/P1\trho2/rho1\tT2/T1\tPo2/Po1\tPo2/P1\tM2")
    for quantity, column, values in quantities:
        for x in values:
            print("\t".join(row(quantity, x, column)))


if __name__ == "__main__":
    main()

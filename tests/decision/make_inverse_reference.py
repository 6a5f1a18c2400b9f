#!/usr/bin/env python3
"""Writes inverse_reference.tsv: for inputs of P2/P1, rho2/rho1, T2/T1 and Po2/Po1 across
their domains, the exact M1 (to 25 digits) and the seven cells a row shows, computed in
50-digit arithmetic with mpmath, independently of the program's formulas.

A cell is "*" where it is not decided by the exact answer alone: where M1 moved by 4 ulp
either way would round it differently (exact ties included), or where its five decimals need
more than 15 significant digits (the row then writes 15 digits, not five decimals). A row
whose ratios leave the doubles is refused: its cells but the input are empty.

Run: python3 tests/decision/make_inverse_reference.py > tests/decision/inverse_reference.tsv
(needs python3-mpmath; the table is checked in, so the tests do not).
"""
import random
import sys

from mpmath import mp, mpf, sqrt, findroot, nstr, floor

mp.dps = 50
g = mpf(7) / 5

ULP_WINDOW = 4 * mpf(2) ** -52


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
    # Po2/Po1 falls monotonically in M1: bisect on the closed form of the ratio.
    lo, hi = mpf(1) / sqrt(7) * (1 + mpf(10) ** -48), mpf(10) ** 70
    for _ in range(400):
        mid = sqrt(lo * hi) if hi / lo > 2 else (lo + hi) / 2
        if ratios(mid)[4] > x:
            lo = mid
        else:
            hi = mid
        if hi - lo < hi * mpf(10) ** -45:
            break
    return (lo + hi) / 2


def five_decimals(v):
    """The five-decimal text, half-even, no trailing zeros; None beyond 15 digits."""
    scaled = v * 100000
    n = int(floor(scaled))
    frac = scaled - n
    if frac > mpf(1) / 2 or (frac == mpf(1) / 2 and n % 2 == 1):
        n += 1
    whole, part = divmod(n, 100000)
    text = str(whole) + ("." + ("%05d" % part).rstrip("0") if part else "")
    if len(text.replace(".", "").lstrip("0")) > 15:
        return None
    return text


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
    cells = []
    # Po1/P1 = (1 + 0.2 s)^3.5 beyond the doubles: the row is refused as out of range.
    overflow = (1 + m * m / 5) ** mpf(3.5) / mpf(1.7976931348623157e308)
    if m * m * 7 - 1 < mpf(10) ** -6 or abs(overflow - 1) < mpf(10) ** -3:
        cells = ["*"] * 7  # at the limits the outcome depends on the last bits of M1
    elif overflow > 1:
        cells = [""] * 7
    else:
        exact = ratios(m)
        low, high = ratios(m * (1 - ULP_WINDOW)), ratios(m * (1 + ULP_WINDOW))
        for v, a, b in zip(exact, low, high):
            t = five_decimals(v)
            cells.append(t if t is not None and five_decimals(a) == t == five_decimals(b) else "*")
    cells[column] = shortest_text(x)
    return [quantity, repr(float(x)), nstr(m, 25)] + cells


def inputs(lowest, highest, edges, rng, count):
    values = list(edges)
    lo, hi = mp.log(lowest), mp.log(highest)
    for _ in range(count):
        values.append(float(mp.exp(lo + (hi - lo) * mpf(rng.random()))))
    return values


def main():
    rng = random.Random(21)
    tiny = 5e-324
    after = lambda x, d: float.__new__(float, __import__("math").nextafter(x, d))
    quantities = [
        ("P2/P1", 1, inputs(1e-300, 1e300, [tiny, 1e-300, 1e-12, 0.125, 1, after(1, 0), after(1, 2),
                                             4.5, 10.333333333333334, 29, 1e8, 1e300, 1.7976931348623157e308],
                                 rng, 60)),
        ("rho2/rho1", 2, inputs(1 / 6 + 1e-9, 6 - 1e-9, [after(1 / 6, 1), 0.1666667, 0.28571428571428575, 1,
                                                         after(1, 0), after(1, 2), 2.6666666666666665, 5,
                                                         5.999999, after(6, 0)], rng, 60)),
        ("T2/T1", 3, inputs(1e-300, 1e300, [tiny, 1e-300, 1e-9, 0.4375, after(17 / 18, 0), 17 / 18, 1,
                                             after(1, 0), after(1, 2), 1.6875, 5.8, 1e10, 1e300,
                                             1.7976931348623157e308], rng, 60)),
        ("Po2/Po1", 4, inputs(1e-300, 1e30, [tiny, 1e-300, 1e-10, 0.0030424, 0.06172, 0.32834, 0.4999999,
                                              0.5, 0.72087, 0.9, 0.999, after(1, 0), 1, after(1, 2),
                                              1.001, 1.5, after(2, 0), 2, after(2, 3), 2.25677, 100, 1e10,
                                              1e30, 1e300], rng, 60)),
    ]
    print("# quantity\tinput\tM1 to 25 digits\tM1\tP2/P1\trho2/rho1\tT2/T1\tPo2/Po1\tPo2/P1\tM2")
    for quantity, column, values in quantities:
        for x in values:
            print("\t".join(row(quantity, x, column)))


if __name__ == "__main__":
    main()

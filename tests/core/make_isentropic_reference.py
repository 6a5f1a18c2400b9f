#!/usr/bin/env python3
"""Writes the reference tables of isentropic flow, the pitot probe and the expansion fan:
isentropic_reference.tsv, pitot_probe_reference.tsv and expansion_reference.tsv beside this
script. Each row holds an input and the exact values of its row to 30 digits, computed with
mpmath at 100 digits from the textbook relations, the gamma double converted exactly
(mpf(1.4) is 1.3999999999999999112...). The inverses are found by bisection, independently
of the program's methods. The inputs sit at the edges of each domain: M near 0.001 and 40,
ratios near 1e-8 and 1, A/A* and the pitot reading close to their sonic values, nu near 0 and
near its largest value.

Run: python3 tests/core/make_isentropic_reference.py
(needs python3-mpmath; the tables are checked in, so the tests do not).
"""
import math
import os

from mpmath import mp, mpf, sqrt, atan, asin, log, exp, pi, nstr

mp.dps = 100
GAMMAS = [1.4, 5.0 / 3, 1.13]
DEG = 180 / pi


def temperature(g, M):
    return 1 / (1 + (g - 1) / 2 * M * M)


def isentropic_row(g, M):
    """M, p/p0, rho/rho0, T/T0, A/A*, mu, nu (mu and nu None below Mach 1)."""
    T = temperature(g, M)
    area = (2 / (g + 1) / T) ** ((g + 1) / (2 * (g - 1))) / M
    mu = nu = None
    if M >= 1:
        mu = asin(1 / M) * DEG
        nu = prandtl_meyer(g, M)
    return [M, T ** (g / (g - 1)), T ** (1 / (g - 1)), T, area, mu, nu]


def prandtl_meyer(g, M):
    b = sqrt((g + 1) / (g - 1))
    return (b * atan(sqrt(M * M - 1) / b) - atan(sqrt(M * M - 1))) * DEG


def largest_angle(g):
    return 90 * (sqrt((g + 1) / (g - 1)) - 1)


def bisect(f, lo, hi, rising):
    """The root of a monotone f in [lo, hi], bisected geometrically where both are positive."""
    lo0, hi0 = lo, hi
    for _ in range(2000):
        mid = sqrt(lo * hi) if lo > 0 else (lo + hi) / 2
        if (f(mid) < 0) == rising:
            lo = mid
        else:
            hi = mid
        if hi - lo <= abs(hi) * mpf(10) ** (20 - mp.dps):
            break
    assert f(lo0) * f(hi0) < 0, "no root in the bracket"
    return (lo + hi) / 2


def mach_from(g, quantity, x, supersonic=True):
    x = mpf(x)
    if quantity == "M":
        return x
    if quantity == "p/p0":
        return sqrt((x ** (-(g - 1) / g) - 1) * 2 / (g - 1))
    if quantity == "rho/rho0":
        return sqrt((x ** (-(g - 1)) - 1) * 2 / (g - 1))
    if quantity == "T/T0":
        return sqrt((1 / x - 1) * 2 / (g - 1))
    if quantity == "mu":
        return 1 / mp.sin(x / DEG)
    if quantity == "A/A*":
        if x == 1:
            return mpf(1)
        f = lambda M: isentropic_row(g, M)[4] - x
        return bisect(f, mpf(1), mpf(10) ** 60, True) if supersonic else bisect(f, mpf(10) ** -60, mpf(1), False)
    if quantity == "nu":
        if x == 0:
            return mpf(1)
        return bisect(lambda M: prandtl_meyer(g, M) - x, mpf(1), mpf(10) ** 40, True)
    raise ValueError(quantity)


def pitot_row(g, M):
    """M1, Po2/P1, Po1/P1, Po2/Po1, subsonic."""
    e = g / (g - 1)
    Po1P1 = (1 + (g - 1) / 2 * M * M) ** e
    if M < 1:
        return [M, Po1P1, Po1P1, mpf(1), 1]
    s = M * M
    Po2P1 = ((g + 1) ** 2 * s / (4 * g * s - 2 * (g - 1))) ** e * (2 * g * s - (g - 1)) / (g + 1)
    return [M, Po2P1, Po1P1, Po2P1 / Po1P1, 0]


def sonic_reading(g):
    return ((g + 1) / 2) ** (g / (g - 1))


def mach_from_reading(g, r):
    r = mpf(r)
    if r <= sonic_reading(g):
        return sqrt((r ** ((g - 1) / g) - 1) * 2 / (g - 1))
    return bisect(lambda M: pitot_row(g, M)[1] - r, mpf(1), mpf(10) ** 60, True)


def expansion_row(g, M1, theta):
    """M2, nu1, nu2, mu1, mu2, P2/P1, rho2/rho1, T2/T1."""
    nu1 = prandtl_meyer(g, M1)
    nu2 = nu1 + theta
    if nu2 >= largest_angle(g):
        return [None] * 8
    M2 = mach_from(g, "nu", nu2)
    a, b = isentropic_row(g, M1), isentropic_row(g, M2)
    return [M2, nu1, nu2, a[5], b[5], b[1] / a[1], b[2] / a[2], b[3] / a[3]]


def text(v):
    return "nan" if v is None else nstr(v, 30, min_fixed=-30, max_fixed=30)


def geometric(lo, hi, n):
    return [float(mpf(lo) * (mpf(hi) / lo) ** (mpf(i) / (n - 1))) for i in range(n)]


def isentropic_inputs(g):
    """(quantity, input, supersonic) for each row."""
    after = math.nextafter
    rows = [("M", M, 1) for M in [0.001, 0.3, after(1, 0), 1, after(1, 2), 1 + 1e-8, 1.3, 2, 5, 39.99, 40]]
    sonic_p = float((2 / (g + 1)) ** (g / (g - 1)))
    sonic_rho = float((2 / (g + 1)) ** (1 / (g - 1)))
    sonic_T = float(2 / (g + 1))
    for name, sonic in [("p/p0", sonic_p), ("rho/rho0", sonic_rho), ("T/T0", sonic_T)]:
        rows += [(name, x, 1) for x in [1e-8, 1e-3, 0.3, after(sonic, 0), sonic, after(sonic, 2),
                                        sonic * (1 - 1e-6), after(1, 0), 1 - 1e-9, 0.999]]
    for supersonic in (1, 0):
        rows += [("A/A*", x, supersonic) for x in [1, after(1, 2), 1 + 1e-12, 1 + 1e-6, 1.01, 1.5, 10, 1e6]]
    rows += [("mu", x, 1) for x in [0.01, 1.4, 30, 60, 89.99999, after(90, 0), 90]]
    # The last double short of numax, where M is about 1e16, and the first not short of it, refused.
    largest = largest_angle(g)
    last = float(largest) if float(largest) < largest else after(float(largest), 0)
    rows += [("nu", x, 1) for x in [0, 1e-12, 1e-4, 0.5, 20, last / 2, last * (1 - 1e-13), last, after(last, 360)]]
    return rows


def write(path, header, rows):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), path), "w") as f:
        f.write(header + "\n")
        for row in rows:
            f.write("\t".join(row) + "\n")


def main():
    iso, probe, fan = [], [], []
    for gd in GAMMAS:
        g = mpf(gd)
        for quantity, x, supersonic in isentropic_inputs(g):
            refused = quantity == "nu" and x >= largest_angle(g)
            values = [None] * 7 if refused else isentropic_row(g, mach_from(g, quantity, x, bool(supersonic)))
            iso.append([quantity, repr(gd), repr(x), str(supersonic)] + [text(v) for v in values])
        sonic = sonic_reading(g)
        for M in [0, 0.001, 0.5, math.nextafter(1, 0), 1, math.nextafter(1, 2), 1.5, 40]:
            probe.append(["M", repr(gd), repr(M)] + [text(v) for v in pitot_row(g, mpf(M))])
        # The doubles either side of the sonic reading, and readings 1e-9 from it.
        below = float(sonic) if float(sonic) < sonic else math.nextafter(float(sonic), 0)
        for r in [1, 1.0000001, float(sonic * (1 - mpf(1e-9))), below, math.nextafter(below, 2),
                  float(sonic * (1 + mpf(1e-9))), 3.5, 1e3, 1e6]:
            probe.append(["reading", repr(gd), repr(r)] + [text(v) for v in pitot_row(g, mach_from_reading(g, r))])
        turns = [(1, 0), (1, 1e-9), (1, 10), (1.0001, 5), (2, 0), (2, 20), (3, 1e-6), (40, 1), (40, 2)]
        if gd == 1.13:
            # 3.4e-12 short of the largest turn, where the rounded bound of M2's root finder falls
            # on the wrong side of the root.
            turns.append((2.45708949468116, 222.8706020654211))
        for M1, theta in turns:
            fan.append([repr(gd), repr(M1), repr(theta)] + [text(v) for v in expansion_row(g, mpf(M1), mpf(theta))])
        # Turns a little short of the largest, the last double short of it, where M2 is huge, and the
        # first double not short of it, refused.
        for M1 in [1.5, 5]:
            largest = largest_angle(g) - prandtl_meyer(g, mpf(M1))
            last = float(largest) if float(largest) < largest else math.nextafter(float(largest), 0)
            for theta in [float(largest * (1 - mpf(1e-12))), last]:
                fan.append([repr(gd), repr(M1), repr(theta)] + [text(v) for v in expansion_row(g, mpf(M1), mpf(theta))])
            fan.append([repr(gd), repr(M1), repr(math.nextafter(last, 360))] + ["nan"] * 8)
    write("isentropic_reference.tsv",
          "# quantity\tgamma\tinput\tsupersonic\tM\tp/p0\trho/rho0\tT/T0\tA/A*\tmu\tnu", iso)
    write("pitot_probe_reference.tsv", "# given\tgamma\tinput\tM1\tPo2/P1\tPo1/P1\tPo2/Po1\tsubsonic", probe)
    write("expansion_reference.tsv",
          "# gamma\tM1\ttheta\tM2\tnu1\tnu2\tmu1\tmu2\tP2/P1\trho2/rho1\tT2/T1", fan)


if __name__ == "__main__":
    main()

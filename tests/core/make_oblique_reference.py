#!/usr/bin/env python3
"""Writes oblique_reference.tsv: oblique shocks for three gases (gamma 1.4, 5/3 and 1.13, each
as the double the program receives, converted exactly) and upstream Mach numbers from 1.01 to
50, and a few at gamma = 1.000001, gamma = 3 and M1 = 1 + 1e-9, to 25 digits. They are computed
with mpmath at 80 digits independently of the program's formulas: beta found by bisection on the textbook theta-beta-M relation
    tan(theta) = 2 cot(beta) (M1^2 sin^2 beta - 1) / (M1^2 (gamma + cos 2 beta) + 2),
thetamax by maximising it, the sonic wave angle by bisection on M2 = 1, and the rest from the
normal-shock relations at M1n = M1 sin(beta), with M2 = M2n / sin(beta - theta).

Rows, tab-separated:
  limits  gamma M1  -      thetamax, beta at thetamax, sonic beta, sonic theta
  weak / strong  gamma M1 theta  (theta as a fraction of thetamax: 0 to 0.9999)
  edge-weak / edge-strong  gamma M1 theta  (theta = thetamax (1 -+ 1e-9): just attached or
                                            detached, "nan")
  wave  gamma M1 beta  (the doubles either side of the Mach angle, a hair above it, midway, 90)
followed by theta, beta, M2, P2/P1, rho2/rho1, T2/T1, Po2/Po1, M1n, M2n, or "nan" where there
is no shock. Inputs are written with repr, so they read back as the same doubles.

Run: python3 tests/core/make_oblique_reference.py > tests/core/oblique_reference.tsv
(needs python3-mpmath; the table is checked in, so the tests do not).
"""
import math

from mpmath import mp, mpf, asin, atan, cos, cot, nstr, pi, sin, sqrt, tan

mp.dps = 80
DEG = pi / 180


def deflection(g, M, beta):
    """theta in radians for wave angle beta in radians, the textbook relation."""
    return atan(2 * cot(beta) * (M * M * sin(beta) ** 2 - 1) / (M * M * (g + cos(2 * beta)) + 2))


def bisect(f, lo, hi, rising):
    for _ in range(400):
        mid = (lo + hi) / 2
        if (f(mid) < 0) == rising:
            lo = mid
        else:
            hi = mid
        if hi - lo < mpf(10) ** -(mp.dps - 5):
            break
    return (lo + hi) / 2


def largest(g, M):
    """beta and theta at the largest deflection: the root of d theta / d beta, by bisection."""
    mu = asin(1 / M)
    slope = lambda b: mp.diff(lambda u: deflection(g, M, u), b)
    b = bisect(slope, mu + mpf(10) ** -30, pi / 2 - mpf(10) ** -30, False)
    return b, deflection(g, M, b)


def shock(g, M, beta, theta):
    """The row from the wave angle and the deflection, both in radians."""
    Mn = M * sin(beta)
    s = Mn * Mn
    M2n = sqrt((1 + (g - 1) / 2 * s) / (g * s - (g - 1) / 2))
    P = 1 + 2 * g / (g + 1) * (s - 1)
    R = (g + 1) * s / ((g - 1) * s + 2)
    T = P / R
    Po = R ** (g / (g - 1)) * P ** (-1 / (g - 1))
    M2 = M2n / sin(beta - theta)
    return [theta / DEG, beta / DEG, M2, P, R, T, Po, Mn, M2n]


def sonic(g, M, beta_max):
    mu = asin(1 / M)
    m2 = lambda b: shock(g, M, b, deflection(g, M, b))[2] - 1
    b = bisect(m2, mu + mpf(10) ** -30, beta_max, False)
    return b, deflection(g, M, b)


def from_deflection(g, M, theta_deg, strong, beta_max):
    theta = mpf(theta_deg) * DEG
    if theta == 0:
        beta = pi / 2 if strong else asin(1 / M)
    elif strong:
        beta = bisect(lambda b: deflection(g, M, b) - theta, beta_max, pi / 2, False)
    else:
        beta = bisect(lambda b: deflection(g, M, b) - theta, asin(1 / M), beta_max, True)
    return shock(g, M, beta, theta)


def text(values):
    return "\t".join(nstr(v, 25) for v in values)


def main():
    machs = [1.01, 1.2, 2.0, 3.5, 12.0, 50.0]
    # The three gases, and the ends of gamma and of M1 > 1, where what cancels is largest.
    cases = [(1.4, machs), (5.0 / 3, machs), (1.13, machs), (1.000001, [2.0]), (3.0, [1.000000001, 3.5])]
    fractions = [0, 1e-5, 0.1, 0.6, 0.9999]
    print("# kind\tgamma\tM1\tinput\ttheta\tbeta\tM2\tP2/P1\trho2/rho1\tT2/T1\tPo2/Po1\tM1n\tM2n")
    for gd, Ms in cases:
        g = mpf(gd)
        for Md in Ms:
            M = mpf(Md)
            head = "%r\t%r" % (gd, Md)
            beta_max, theta_max = largest(g, M)
            beta_sonic, theta_sonic = sonic(g, M, beta_max)
            print("limits\t%s\t-\t%s" % (head, text([theta_max / DEG, beta_max / DEG, beta_sonic / DEG,
                                                      theta_sonic / DEG])))
            for f in fractions:
                theta = float(theta_max / DEG * f)
                for strong in (False, True):
                    kind = "strong" if strong else "weak"
                    print("%s\t%s\t%r\t%s" % (kind, head, theta, text(from_deflection(g, M, theta, strong, beta_max))))
            below = float(theta_max / DEG * (1 - mpf(1e-9)))
            for strong in (False, True):
                kind = "edge-strong" if strong else "edge-weak"
                print("%s\t%s\t%r\t%s" % (kind, head, below, text(from_deflection(g, M, below, strong, beta_max))))
            above = float(theta_max / DEG * (1 + mpf(1e-9)))
            print("edge-weak\t%s\t%r\tnan" % (head, above))
            mu = asin(1 / M) / DEG
            nearest = float(mu)
            under = nearest if nearest < mu else math.nextafter(nearest, 0)
            over = nearest if nearest >= mu else math.nextafter(nearest, 90)
            for beta in sorted({under, over, float(mu * (1 + mpf(1e-9))), float((mu + 90) / 2), 90.0}):
                b = mpf(beta) * DEG
                # The double just below the Mach angle is taken as the Mach angle; cot 90 is 0.
                theta = deflection(g, M, b) if mu <= mpf(beta) < 90 else mpf(0)
                row = shock(g, M, max(b, asin(1 / M)), theta)
                row[1] = mpf(beta)
                print("wave\t%s\t%r\t%s" % (head, beta, text(row)))
            print("wave\t%s\t%r\tnan" % (head, math.nextafter(under, 0)))


if __name__ == "__main__":
    main()

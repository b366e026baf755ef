#!/usr/bin/env python3
"""Writes the table of velocities that the core's tests check row by row:

    python3 tools/velocity_table.py > tests/core/velocities.tsv

Each row is a velocity kind (I circular, II escape), a distance text, a mass
text, the text the calculator must show for them, and why the row is there.
The values come from Python's own arithmetic, not from the calculator: its
floats round every operation to a double, float() reads a decimal text to
the nearest double, math.sqrt is correctly rounded and '%.2f' is exact. So
the velocity is the factor times G, times the mass, divided by the
distance, each step rounded to a double, then the correctly rounded root.

Rows:
  example  the calculator's own examples;
  random   distances and masses across the whole range of doubles;
  binary   a velocity in every binary order of magnitude from 2^-7 to
           2^70, where the printer turns from fractions to whole numbers
           and from 64-bit to longer ones, in every sixteenth beyond, and
           in the last below the square root of the largest double;
  result   random ones whose velocity has hundredths worth printing;
  tie      velocities exactly halfway between two hundredths (odd eighths),
           which print with an even last digit, and the doubles either side;
  x87      rows where evaluating in the x87's extended precision (64-bit
           mantissas, the last rounding to a double) shows another text:
           the quotient or the root lies very near the midpoint of two
           doubles, found with exact arithmetic (fractions);
  range    rows where the extended exponent range shows another text: the
           quotient overflows a double, or the product underflows;
  small    a velocity in every binary order of magnitude from 2^-20 to
           2^-8, where the hundredths drop out of 64 bits, and in every
           sixteenth below, down to the smallest velocity there is; the
           smallest velocity that shows 0.01 (the double nearest 0.005,
           which lies above it) and the double below it, which shows 0.00.
The random choices are seeded: the same table every time, and the rows of
one kind stay as they are when another kind is added.
"""
import math
import random
import sys
from fractions import Fraction

G = 6.672e-11
KINDS = {"I": G, "II": G + G}
DBL_MAX = sys.float_info.max


def velocity(kind, distance, mass):
    return math.sqrt(KINDS[kind] * float(mass) / float(distance))


def text(v):
    return "%.2f" % v


def rounded(x, bits):
    """A positive fraction to `bits` significant bits, ties to even, with
    no bound on the exponent."""
    shift = bits - (x.numerator.bit_length() - x.denominator.bit_length()) + 1
    quotient = 1 << bits
    while quotient >= 1 << bits:
        shift -= 1
        divisor = x.denominator << max(-shift, 0)
        quotient, rest = divmod(x.numerator << max(shift, 0), divisor)
    if 2 * rest > divisor or (2 * rest == divisor and quotient & 1):
        quotient += 1
    return Fraction(quotient) / Fraction(2) ** shift


def root(x, bits):
    """The square root of a positive fraction to `bits` bits, ties to even."""
    scale = 2 * bits + 4 - (x.numerator.bit_length() - x.denominator.bit_length())
    scale += scale % 2
    n = x * Fraction(2) ** scale
    s = math.isqrt(n.numerator // n.denominator)
    drop = s.bit_length() - bits
    kept = s >> drop
    half = Fraction(2 * kept + 1, 2) * Fraction(2) ** drop
    if n > half * half or (n == half * half and kept & 1):
        kept += 1
    return kept * Fraction(2) ** drop / Fraction(2) ** (scale // 2)


def extended_text(kind, distance, mass):
    """What an x87 evaluation shows: 64-bit mantissas and a wide exponent
    for the product, the quotient and the root, then the root as a double."""
    if math.isinf(float(distance)) or math.isinf(float(mass)):
        return text(velocity(kind, distance, mass))
    product = rounded(Fraction(KINDS[kind]) * Fraction(float(mass)), 64)
    v = rounded(root(rounded(product / Fraction(float(distance)), 64), 64), 53)
    return "inf" if v > DBL_MAX else text(float(v))


def number(rng, exponent):
    """A decimal text of 1 to 17 significant digits, about 10^exponent."""
    digits = str(rng.randint(1, 9)) + "".join(rng.choice("0123456789") for _ in range(rng.randint(0, 16)))
    point = rng.randint(1, len(digits))
    mantissa = digits[:point] + ("." + digits[point:] if point < len(digits) else "")
    return "%se%d" % (mantissa, exponent - point + 1)


def mass_for(rng, kind, distance, log_v):
    """A mass text that gives about 10^log_v at the distance, if in range."""
    exponent = round(2 * log_v + math.log10(float(distance)) - math.log10(KINDS[kind]))
    return number(rng, exponent) if -320 < exponent < 308 else None


def distance_for(kind, mass, v):
    """A distance text that gives exactly the velocity v, if there is one."""
    product, square = KINDS[kind] * float(mass), v * v
    d = product / square
    for _ in range(4):
        if d > 0 and product / d == square and math.sqrt(product / d) == v:
            return repr(d)
        d = math.nextafter(d, math.inf if product / d > square else 0.0)
    return None


def binary_row(rng, k):
    """A row whose velocity lies in [2^k, 2^(k+1))."""
    while True:
        kind, log_v = rng.choice(list(KINDS)), (k + rng.random()) * math.log10(2)
        distance = number(rng, rng.randint(-323, min(60, int(296 - 2 * log_v))))
        mass = mass_for(rng, kind, distance, log_v)
        v = velocity(kind, distance, mass) if mass and float(mass) <= DBL_MAX else 0.0
        if 0 < v < math.inf and math.frexp(v)[1] - 1 == k:
            return kind, distance, mass


def exact_row(rng, kind, v):
    """A row whose velocity is exactly v."""
    while True:
        mass = mass_for(rng, kind, "1e%d" % rng.randint(-100, 100), math.log10(v))
        distance = mass and distance_for(kind, mass, v)
        if distance:
            return kind, distance, mass


def rows(rng):
    for kind, distance, mass in [("I", "6378000", "5.98e24"), ("II", "6378000", "5.98e24"),
                                 ("I", "3.84e8", "5.98e24"), ("II", "3.84e8", "5.98e24"),
                                 ("I", "1.496e11", "1.987e30"), ("II", "1.496e11", "1.987e30"),
                                 ("I", "6378000", "7.35e22"), ("I", "1", "1"), ("I", "1e400", "5.98e24"),
                                 ("I", "6378000", "1e400"), ("I", "1e400", "1e400"), ("II", "1e-320", "1e308")]:
        yield kind, distance, mass, "example"
    for _ in range(100):
        yield rng.choice(list(KINDS)), number(rng, rng.randint(-323, 307)), number(rng, rng.randint(-323, 307)), "random"
    for k in list(range(-7, 71)) + list(range(71, 512, 16)) + [511]:   # no finite velocity reaches 2^512
        yield binary_row(rng, k) + ("binary",)
    wanted = {"result": 60, "x87": 50, "range": 20}
    while any(wanted.values()):
        kind, branch = rng.choice(list(KINDS)), rng.randrange(4)
        if branch == 0:   # the quotient beyond the largest double
            distance, log_v = number(rng, rng.randint(-323, -150)), rng.uniform(154.2, 300)
        elif branch == 1:   # the product below the smallest normal double
            distance, log_v = number(rng, rng.randint(-323, -316)), rng.uniform(-2, 8)
        else:
            distance, log_v = number(rng, rng.randint(-300, 300)), rng.uniform(-2.5, 18)
        mass = mass_for(rng, kind, distance, log_v)
        if mass is None or not 0 < float(mass) <= DBL_MAX:
            continue
        same = extended_text(kind, distance, mass) == text(velocity(kind, distance, mass))
        why = ("result" if same else "x87") if branch > 1 else (None if same else "range")
        if why and wanted[why]:
            wanted[why] -= 1
            yield kind, distance, mass, why
    ties = 0
    while ties < 60:
        tie = rng.randrange(1, 1 << rng.randint(2, 52), 2) / 8
        v = math.nextafter(tie, 0.0 if ties % 3 == 1 else math.inf) if ties % 3 else tie
        kind = rng.choice(list(KINDS))
        mass = mass_for(rng, kind, "1e%d" % rng.randint(-100, 100), math.log10(v))
        distance = mass and distance_for(kind, mass, v)
        if distance:
            ties += 1
            yield kind, distance, mass, "tie"


def small_rows(rng):
    # The quotient's smallest double is 2^-1074: no velocity lies below 2^-537.
    for k in list(range(-8, -21, -1)) + list(range(-24, -537, -16)) + [-537]:
        yield binary_row(rng, k) + ("small",)
    for v in (0.005, math.nextafter(0.005, 0.0)):
        for kind in KINDS:
            yield exact_row(rng, kind, v) + ("small",)


def main():
    print("# kind\tdistance\tmass\tvelocity\twhy   (tools/velocity_table.py writes this table)")
    for kind, distance, mass, why in [*rows(random.Random(20261207)), *small_rows(random.Random(20261208))]:
        print("\t".join([kind, distance, mass, text(velocity(kind, distance, mass)), why]))


if __name__ == "__main__":
    main()

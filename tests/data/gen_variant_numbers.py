#!/usr/bin/env python3
"""Writes tests/data/variant_numbers.txt: what a Variant holding a number gives
for each numeric conversion, its text forms, and its equality and ordering
with plain numbers and with other number Variants.

Everything is computed here from the rules of the conversion and comparison
tables, roundings with exact rational arithmetic, independently of the C++
code. Values are written as decimal integers, or as hex bit patterns for float
(8 digits) and double (16 digits).

Lines:
  C kind value  short int unsigned longlong floatbits doublebits  text vbtext
  E kind value  xtype xvalue  equal
  V kindA valueA  kindB valueB  equal less
Kinds: SHORT INT UNSIGNED LONG INT64 FLOAT DOUBLE; x types: short int
unsigned longlong float double.

Truncation of a floating value outside the signed 32-bit (or 64-bit) range,
and of a NaN, gives INT_MIN (or LLONG_MIN), the processor's integer
indefinite value."""
import math
import pathlib
import struct
from fractions import Fraction

TYPES = ("short", "int", "unsigned", "longlong", "float", "double")


def wrap(v, bits, signed):
    v &= (1 << bits) - 1
    return v - (1 << bits) if signed and v >= 1 << (bits - 1) else v


def f32(v):
    """The float nearest to v (an int or a float), ties to even, inf past the range; a zero keeps its sign."""
    if v == 0 or (isinstance(v, float) and not math.isfinite(v)):
        return float(v)  # a zero keeps its sign
    x = Fraction(v)
    a = abs(x)
    e = a.numerator.bit_length() - a.denominator.bit_length()  # floor(log2 a) is e or e - 1
    if Fraction(2) ** e > a:
        e -= 1
    q = Fraction(2) ** (max(e, -126) - 23)  # spacing of the floats here
    r = round(x / q) * q  # Fraction rounding: ties to even
    return (math.inf if r > 0 else -math.inf) if abs(r) >= 2**128 else float(r)


def f64(v):
    return float(v)  # an int's nearest double, ties to even (Python rounds it correctly)


def trunc(x, bits):
    lo, hi = -(2 ** (bits - 1)), 2 ** (bits - 1)
    if math.isnan(x) or not (lo - 1 < x < hi):
        return lo
    return int(x)  # toward zero


def float_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def double_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


FLOATING = ("FLOAT", "DOUBLE")


def conversions(kind, v):
    """short, int, unsigned, long long, float, double of a held value."""
    if kind in FLOATING:
        t32, t64 = trunc(v, 32), trunc(v, 64)
        return (wrap(t32, 16, True), t32, wrap(t32, 32, False), t64, f32(v), v)
    return (wrap(v, 16, True), wrap(v, 32, True), wrap(v, 32, False), wrap(v, 64, True), f32(v), f64(v))


def texts(kind, v):
    if kind in FLOATING:
        return ("nan", "nan") if math.isnan(v) else ("%.15f" % v, "%.15g" % v)
    s = str(wrap(v, 32, True) if kind == "UNSIGNED" else v)
    return s, s


def encode(kind, v):
    if kind in ("FLOAT", "float"):
        return f"{float_bits(v):08x}"
    if kind in ("DOUBLE", "double"):
        return f"{double_bits(v):016x}"
    return str(v)


def u32(v):
    return wrap(v, 32, False)


# Equality of a held number with a plain x: a floating side compares in the
# floating type (the integer rounded to it), 64-bit integers by value, and the
# 16/32-bit kinds with the 16/32-bit types as unsigned 32-bit numbers, but
# for a SHORT, which widens as signed unless the other side is unsigned.
def equal(kind, v, xtype, x):
    if kind in FLOATING:
        return v == x if xtype in ("float", "double") else v == (f32(x) if kind == "FLOAT" else f64(x))
    if xtype in ("float", "double"):
        return (f32(v) if xtype == "float" else f64(v)) == x
    if kind == "INT64" or xtype == "longlong":
        return v == x
    if kind == "SHORT":
        return (u32(v) if xtype == "unsigned" else v) == x
    return u32(v) == u32(x)


# The plain number a Variant of this kind compares with (its own type).
OWN_TYPE = {"SHORT": "short", "INT": "int", "LONG": "int", "UNSIGNED": "unsigned", "INT64": "longlong",
            "FLOAT": "float", "DOUBLE": "double"}


def less(ka, a, kb, b):
    if ka == "INT64":
        return conversions(ka, a)[3] < conversions(kb, b)[3]
    return conversions(ka, a)[5] < conversions(kb, b)[5]


VALUES = {
    "SHORT": [0, 1, -1, -5, 32767, -32768, 255],
    "INT": [0, 1, -1, 3, 42, 2**31 - 1, -(2**31), 16777217, 65536, -32769],
    "LONG": [0, -1, 2**31 - 1, -(2**31), 123456],
    "UNSIGNED": [0, 1, 3, 2**32 - 1, 2**31, 2**31 - 1, 65535, 16777217],
    "INT64": [0, 1, -1, 3, 2**32 - 1, 2**63 - 1, -(2**63), 2**53 + 1, -(2**31), 4294967296, 123456789012],
    "FLOAT": [f32(x) for x in (0.0, -0.0, 0.1, 2.5, -2.7, 3.0, 3.5, 1e10, -1e10, 16777217.0, 65536.7,
                                    40000.5, 2147483520.0, -2147483648.0, 3e9, 1e20, 3.4028234663852886e38,
                                    1e-45, math.inf, -math.inf, math.nan)],
    "DOUBLE": [0.0, -0.0, 0.1, 2.5, -2.7, 3.0, 3.5, 1e20, 1e-7, 65536.7, 40000.5, 2147483647.9, -2147483648.9,
               2147483648.0, -2147483649.0, 4294967295.0, 9.2233720368547748e18, 9.2233720368547758e18,
               -9.2233720368547758e18, 1e300, -1.7976931348623157e308, 5e-324, 16777217.0, 0.1 + 0.2,
               float.fromhex("0x1.ffffffp127"), float.fromhex("-0x1.fffffefffffffp127"),
               math.inf, -math.inf, math.nan],
}

X_VALUES = {
    "short": [0, 1, -1, 3, 32767, -32768],
    "int": [0, -1, 3, 2**31 - 1, -(2**31), 16777217],
    "unsigned": [0, 3, 2**32 - 1, 2**31, 4294967295 - 32768 + 1],
    "longlong": [0, -1, 3, 2**32 - 1, 2**63 - 1, -(2**63), 2**53 + 1],
    "float": [f32(x) for x in (0.0, 3.0, 0.1, 2.5, 16777216.0, math.nan, -2147483648.0)],
    "double": [0.0, 3.0, 0.1, 2.5, -2.7, 16777217.0, 4294967295.0, -1.0, math.nan],
}


lines = []
for kind, values in VALUES.items():
    for v in values:
        s, i, u, ll, f, d = conversions(kind, v)
        text, vb = texts(kind, v)
        lines.append(f"C {kind} {encode(kind, v)} {s} {i} {u} {ll} {float_bits(f):08x} {double_bits(d):016x} "
                     f"{text} {vb}")
for kind, values in VALUES.items():
    for v in values:
        for xtype, own in zip(TYPES, conversions(kind, v)):
            candidates = {}  # fixed values plus the held value as that type, so that matches occur
            for x in X_VALUES[xtype] + [own]:
                candidates.setdefault(encode(xtype, x), x)
            for key, x in candidates.items():
                lines.append(f"E {kind} {encode(kind, v)} {xtype} {key} {int(equal(kind, v, xtype, x))}")

# Variant against Variant: this value, as its own type, applied to the other.
PAIR_VALUES = {k: vs[:8] for k, vs in VALUES.items()}
for ka, va in PAIR_VALUES.items():
    for a in va:
        own = conversions(ka, a)[TYPES.index(OWN_TYPE[ka])]
        for kb, vb_ in PAIR_VALUES.items():
            for b in vb_:
                eq = equal(kb, b, OWN_TYPE[ka], own)
                lines.append(f"V {ka} {encode(ka, a)} {kb} {encode(kb, b)} {int(eq)} {int(less(ka, a, kb, b))}")

out = pathlib.Path(__file__).resolve().parent / "variant_numbers.txt"
out.write_text("\n".join(lines) + "\n")

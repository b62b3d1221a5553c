#!/usr/bin/env python3
"""Writes tests/data/variant_numbers.txt: what a Variant holding a number gives
for each numeric conversion, its text forms, and its equality and ordering
with plain numbers and with other number Variants.

Everything is computed here with exact rational arithmetic, cell by cell from
the rules of the conversion and comparison tables, independently of the C++
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

INT32_MIN, INT64_MIN = -(2**31), -(2**63)


def wrap(v, bits, signed):
    v &= (1 << bits) - 1
    return v - (1 << bits) if signed and v >= 1 << (bits - 1) else v


def round_binary(x, mant, emin, emax):
    """x (a Fraction) rounded to nearest-even with `mant` significand bits; inf past the range."""
    if x == 0:
        return 0.0
    sign = -1 if x < 0 else 1
    a = abs(x)
    e = math.floor(math.log2(a.numerator) - math.log2(a.denominator))
    while Fraction(2) ** e > a:
        e -= 1
    while Fraction(2) ** (e + 1) <= a:
        e += 1
    e = max(e, emin)
    q = Fraction(2) ** (e - mant + 1)  # spacing of representable values here
    n = a / q
    f = math.floor(n)
    r = n - f
    if r > Fraction(1, 2) or (r == Fraction(1, 2) and f % 2 == 1):
        f += 1
    v = f * q
    if v >= Fraction(2) ** (emax + 1):
        return sign * math.inf
    return sign * float(v)


def f32(v):
    """The float nearest to v (an int or a float)."""
    if isinstance(v, float) and (math.isnan(v) or math.isinf(v) or v == 0):
        return v  # a zero keeps its sign
    return round_binary(Fraction(v), 24, -126, 127)


def f64(v):
    if isinstance(v, float):
        return v
    return round_binary(Fraction(v), 53, -1022, 1023)


def trunc(x, bits):
    lo, hi = -(2 ** (bits - 1)), 2 ** (bits - 1)
    if math.isnan(x) or not (lo - 1 < x < hi):
        return lo
    return int(x)  # toward zero


def float_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def double_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def from_float_bits(b):
    return struct.unpack("<f", struct.pack("<I", b))[0]


FLOATING = ("FLOAT", "DOUBLE")


def conversions(kind, v):
    """short, int, unsigned, long long, float, double of a held value."""
    if kind in FLOATING:
        t32, t64 = trunc(v, 32), trunc(v, 64)
        return (wrap(t32, 16, True), t32, wrap(t32, 32, False), t64, f32(v), v)
    return (wrap(v, 16, True), wrap(v, 32, True), wrap(v, 32, False), wrap(v, 64, True), f32(v), f64(v))


def c_text(fmt, v):
    if isinstance(v, float) and math.isnan(v):
        return "nan"
    return fmt % v


def texts(kind, v):
    if kind in FLOATING:
        return c_text("%.15f", v), c_text("%.15g", v)
    if kind == "UNSIGNED":
        s = str(wrap(v, 32, True))
    else:
        s = str(v)
    return s, s


def encode(kind, v):
    if kind == "FLOAT" or kind == "float":
        return f"{float_bits(v):08x}"
    if kind == "DOUBLE" or kind == "double":
        return f"{double_bits(v):016x}"
    return str(v)


def u32(v):
    return wrap(v, 32, False)


# Equality of a held number with a plain x, cell by cell.
def equal(kind, v, xtype, x):
    if kind in ("INT", "LONG"):
        if xtype in ("short", "int", "unsigned"):
            return u32(v) == u32(x)
        if xtype == "longlong":
            return v == x
        return (f32(v) if xtype == "float" else f64(v)) == x
    if kind == "UNSIGNED":
        if xtype in ("short", "int", "unsigned"):
            return v == u32(x)
        if xtype == "longlong":
            return v == x
        return (f32(v) if xtype == "float" else f64(v)) == x
    if kind == "SHORT":
        if xtype == "unsigned":
            return u32(v) == x
        if xtype in ("short", "int", "longlong"):
            return v == x
        return (f32(v) if xtype == "float" else f64(v)) == x
    if kind == "INT64":
        if xtype in ("short", "int", "unsigned", "longlong"):
            return v == x
        return (f32(v) if xtype == "float" else f64(v)) == x
    if kind == "FLOAT":
        if xtype in ("short", "int", "unsigned", "longlong"):
            return v == f32(x)
        return v == x
    if kind == "DOUBLE":
        if xtype in ("short", "int", "unsigned", "longlong"):
            return v == f64(x)
        return v == x
    raise ValueError(kind)


# The plain number a Variant of this kind compares with (its own type).
OWN_TYPE = {"SHORT": "short", "INT": "int", "LONG": "int", "UNSIGNED": "unsigned", "INT64": "longlong",
            "FLOAT": "float", "DOUBLE": "double"}


def less(ka, a, kb, b):
    if ka == "INT64":
        return conversions(ka, a)[3] < conversions(kb, b)[3]
    return conversions(ka, a)[5] < conversions(kb, b)[5]


def as_float(x):
    return from_float_bits(float_bits(x)) if not math.isinf(x) and abs(x) < 3.4e38 else x


VALUES = {
    "SHORT": [0, 1, -1, -5, 32767, -32768, 255],
    "INT": [0, 1, -1, 3, 42, 2**31 - 1, -(2**31), 16777217, 65536, -32769],
    "LONG": [0, -1, 2**31 - 1, -(2**31), 123456],
    "UNSIGNED": [0, 1, 3, 2**32 - 1, 2**31, 2**31 - 1, 65535, 16777217],
    "INT64": [0, 1, -1, 3, 2**32 - 1, 2**63 - 1, -(2**63), 2**53 + 1, -(2**31), 4294967296, 123456789012],
    "FLOAT": [as_float(x) for x in (0.0, -0.0, 0.1, 2.5, -2.7, 3.0, 3.5, 1e10, -1e10, 16777217.0, 65536.7,
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
    "float": [as_float(x) for x in (0.0, 3.0, 0.1, 2.5, 16777216.0, math.nan, -2147483648.0)],
    "double": [0.0, 3.0, 0.1, 2.5, -2.7, 16777217.0, 4294967295.0, -1.0, math.nan],
}
X_RANGE = {"short": (16, True), "int": (32, True), "unsigned": (32, False), "longlong": (64, True)}


def x_candidates(kind, v, xtype):
    """Fixed values plus the held value as that type, so that matches occur."""
    own = conversions(kind, v)[("short", "int", "unsigned", "longlong", "float", "double").index(xtype)]
    out = list(X_VALUES[xtype]) + [own]
    if xtype in X_RANGE:
        bits, signed = X_RANGE[xtype]
        out = [wrap(x, bits, signed) for x in out]
    return out


lines = []
for kind, values in VALUES.items():
    for v in values:
        s, i, u, ll, f, d = conversions(kind, v)
        text, vb = texts(kind, v)
        lines.append(f"C {kind} {encode(kind, v)} {s} {i} {u} {ll} {float_bits(f):08x} {double_bits(d):016x} "
                     f"{text} {vb}")
for kind, values in VALUES.items():
    for v in values:
        for xtype in ("short", "int", "unsigned", "longlong", "float", "double"):
            seen = set()
            for x in x_candidates(kind, v, xtype):
                key = encode(xtype, x)
                if key in seen:
                    continue
                seen.add(key)
                lines.append(f"E {kind} {encode(kind, v)} {xtype} {key} {int(equal(kind, v, xtype, x))}")

# Variant against Variant: this value, as its own type, applied to the other.
PAIR_VALUES = {k: vs[:8] for k, vs in VALUES.items()}
for ka, va in PAIR_VALUES.items():
    for a in va:
        own = conversions(ka, a)[("short", "int", "unsigned", "longlong", "float", "double").index(OWN_TYPE[ka])]
        for kb, vb_ in PAIR_VALUES.items():
            for b in vb_:
                eq = equal(kb, b, OWN_TYPE[ka], own)
                lines.append(f"V {ka} {encode(ka, a)} {kb} {encode(kb, b)} {int(eq)} {int(less(ka, a, kb, b))}")

out = pathlib.Path(__file__).resolve().parent / "variant_numbers.txt"
out.write_text("\n".join(lines) + "\n")

#!/usr/bin/env python3
"""Writes tests/data/cellfmt_records.txt: CellFmtData fields and their 40-byte
records, laid out independently with Python's struct module.

Each line: value bits, pointer, type, Data1, Data2, Data3, Data4 (all hex) and
the record's first 36 bytes (hex); the 4 reserved bytes are left out."""
import pathlib
import random
import struct

rng = random.Random(4)
specials = [0.0, -0.0, 1.0, -2.5, float("inf"), float("-inf"), 5e-324, 1.7976931348623157e308]
rows = []
for k in range(40):
    if k < len(specials):
        bits = struct.unpack("<Q", struct.pack("<d", specials[k]))[0]
    elif k < len(specials) + 4:
        bits = 0x7FF0000000000000 | rng.getrandbits(51) | 1 << 51  # NaNs with payloads
    else:
        bits = rng.getrandbits(64)
    ptr = rng.choice([0, 0xFFFFFFFFFFFFFFFF, rng.getrandbits(64)])
    typ = rng.choice([1, 14, -1, -(2**31), 2**31 - 1, rng.getrandbits(31)])
    d1, d2, d3 = rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16)
    d4 = bytes(rng.getrandbits(8) for _ in range(8))
    record = struct.pack("<QQiIHH8s", bits, ptr, typ, d1, d2, d3, d4)
    rows.append(f"{bits:016x} {ptr:016x} {typ & 0xFFFFFFFF:08x} {d1:08x} {d2:04x} {d3:04x} {d4.hex()} {record.hex()}")

out = pathlib.Path(__file__).resolve().parent / "cellfmt_records.txt"
out.write_text("\n".join(rows) + "\n")

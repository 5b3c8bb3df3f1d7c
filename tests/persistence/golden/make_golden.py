#!/usr/bin/python3
"""Writes the default configuration record for both byte orders, field by field from the
record's table, independently of the C++ declaration."""
import struct
import sys
from pathlib import Path

MISC = b"Config save for Velk iMovie plug-in"


def default_record(order, size):
    fields = [
        (f"{order}I", size), (f"{order}I", 3),
        (f"{order}4d", 0.0, 1.0, 0.0, 1.0),  # startRel: left, right, top, bottom
        (f"{order}4d", 0.0, 1.0, 0.0, 1.0),  # endRel
        (f"{order}18H", 0, 0, 65535, 65535, 65535, 65535, *[0] * 12),  # colors 1 to 6
        (f"{order}6h", 17, 0, 0, 0, 0, 0),  # sliders
        (f"{order}3H", 65535, 0, 0),  # frameStartColor
        (f"{order}3H", 0, 0, 0),  # frameEndColor
        (f"{order}h", 1),  # mediaType
        ("B", 0), ("x",),  # keepProps, padding
        (f"{order}h", 1),  # method
        ("256p", MISC),  # miscString: length byte, text, zeros
    ]
    record = b"".join(struct.pack(f[0], *f[1:]) for f in fields)
    assert len(record) == 394
    return record + bytes(size - len(record))


folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
(folder / "default-config-le.bin").write_bytes(default_record("<", 396))
(folder / "default-config-be.bin").write_bytes(default_record(">", 394))

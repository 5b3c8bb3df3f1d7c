#!/usr/bin/python3
"""Resource files written by restool, read by an independent reader (fontTools' ResourceReader):
the same types, IDs, names, attributes and data. Then restool's dump of each file, compiled
again, must give the very same file."""
import random
import subprocess
import sys
import tempfile
from pathlib import Path

from fontTools.misc.macRes import ResourceReader

restool = sys.argv[1]
rng = random.Random(20240611)


def quoted(data, quote='"'):
    """Letters as they are, high Mac Roman bytes as their Unicode characters or as escapes."""
    def char(b):
        if chr(b).isascii() and chr(b).isalnum():
            return chr(b)
        if b >= 0x80 and rng.random() < 0.5:
            return bytes([b]).decode("mac-roman")
        return f"\\x{b:02X}"
    return quote + "".join(char(b) for b in data) + quote


def random_bytes(limit):
    return bytes(rng.randrange(256) for _ in range(rng.randrange(limit + 1)))


def random_set():
    """{(type, id): (name or None, attributes, data)} with one to five types."""
    resources = {}
    types = {b"STR#"} | {random_bytes(0) + bytes(rng.randrange(256) for _ in range(4)) for _ in range(rng.randrange(5))}
    for res_type in types:
        for res_id in rng.sample(range(-32768, 32768), rng.randrange(1, 7)):
            name = random_bytes(255) if rng.random() < 0.6 else None
            attributes = rng.choice([0, 4, 8, 16, 32, 64, 32 | 16, 64 | 8 | 4])
            if res_type == b"STR#" and rng.random() < 0.7:
                strings = [random_bytes(40) for _ in range(rng.randrange(6))]
                data = len(strings).to_bytes(2, "big") + b"".join(bytes([len(s)]) + s for s in strings)
            else:
                data = random_bytes(rng.choice([0, 16, 300, 70000]))
            resources[(res_type, res_id)] = (name or None, attributes, data)
    return resources


def describe(resources):
    lines = []
    for (res_type, res_id), (name, attributes, data) in resources.items():
        head = f"resource {quoted(res_type, chr(39))} {res_id}"
        if name:
            head += " " + quoted(name)
        lines.append(f"{head} attributes {attributes} hex {{ {data.hex()} }}")
    return "\n".join(lines) + "\n"


def read_back(path):
    found = {}
    reader = ResourceReader(str(path))
    for res_type in reader.keys():
        for res in reader[res_type]:
            name = res.name.encode("mac-roman") if res.name is not None else None
            found[(res_type.encode("mac-roman"), res.id)] = (name or None, res.attr, res.data)
    return found


def compile_file(source, output):
    subprocess.run([restool, "compile", str(source), str(output)], check=True)


failures = 0
with tempfile.TemporaryDirectory() as folder:
    folder = Path(folder)
    for case in range(40):
        resources = random_set()
        (folder / "set.r").write_text(describe(resources), encoding="utf-8")
        compile_file(folder / "set.r", folder / "set.rsrc")
        if read_back(folder / "set.rsrc") != resources:
            print(f"FAIL case {case}: fontTools reads something else")
            failures += 1
            continue
        dump = subprocess.run([restool, "dump", str(folder / "set.rsrc")], check=True, capture_output=True).stdout
        (folder / "dump.r").write_bytes(dump)
        compile_file(folder / "dump.r", folder / "again.rsrc")
        if (folder / "again.rsrc").read_bytes() != (folder / "set.rsrc").read_bytes():
            print(f"FAIL case {case}: the dump does not compile to the same file")
            failures += 1
print(f"{40 - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)

#!/usr/bin/python3
"""restool's text form: bad descriptions are refused with the line at fault and leave no file;
'STR#' lists dump as strings, anything else as hex."""
import subprocess
import sys
import tempfile
from pathlib import Path

restool = sys.argv[1]
failures = []

BAD = [
    ("resource 'STR' 1 hex {}", 1, "four characters"),
    ("resource 'STR#' 40000 hex {}", 1, "out of range"),
    ("\nresource 'TEXT' 1 hex { 0 }", 2, "odd number"),
    ("resource 'TEXT' 1 hex { zz }", 1, "hex digit"),
    ("resource 'TEXT' 1 text { }", 1, "strings or hex"),
    ("resource 'STR#' 1 strings {\n \"unterminated\n}", 2, "unterminated"),
    ("resource 'STR#' 1 strings { \"\u4e2d\" }", 1, "Mac Roman"),
    ("resource 'STR#' 1 strings { \"" + "x" * 256 + "\" }", 1, "255"),
    ("resource 'A' 1 hex {}", 1, "four characters"),
    ("resource 'TEXT' 1 hex {}\n# again\nresource 'TEXT' 1 hex {}", 3, "already used"),
    ("resorce 'TEXT' 1 hex {}", 1, "expected resource"),
    ("resource 'TEXT' 1 \"name\\q\" hex {}", 1, "unknown escape"),
    ("resource 'TEXT' 1 hex {", 1, "expected '}'"),
]

with tempfile.TemporaryDirectory() as folder:
    folder = Path(folder)
    for text, line, words in BAD:
        (folder / "bad.r").write_text(text, encoding="utf-8")
        result = subprocess.run([restool, "compile", str(folder / "bad.r"), str(folder / "bad.rsrc")],
                                capture_output=True, text=True)
        if result.returncode != 1 or f"line {line}:" not in result.stderr or words not in result.stderr:
            failures.append(f"{text!r}: exit {result.returncode}, {result.stderr.strip()!r}")
        if (folder / "bad.rsrc").exists():
            failures.append(f"{text!r}: left a file")

    (folder / "lists.r").write_text(
        "resource 'STR#' 17000 \"About\" strings { \"Velk \u00a9\" \"tab\\there\" \"\" }\n"
        "resource 'STR#' 5 hex { 0002 01 41 }\n", encoding="utf-8")
    subprocess.run([restool, "compile", str(folder / "lists.r"), str(folder / "lists.rsrc")], check=True)
    dump = subprocess.run([restool, "dump", str(folder / "lists.rsrc")], check=True, capture_output=True,
                          text=True).stdout
    expected = ("resource 'STR#' 17000 \"About\" strings {\n    \"Velk \u00a9\"\n    \"tab\\x09here\"\n    \"\"\n}\n"
                "resource 'STR#' 5 hex {\n    00020141\n}\n")
    if dump != expected:
        failures.append(f"dump: {dump!r}")

    (folder / "junk").write_bytes(b"not a resource file at all")
    result = subprocess.run([restool, "dump", str(folder / "junk")], capture_output=True, text=True)
    if result.returncode != 1 or "error -39" not in result.stderr:
        failures.append(f"junk: exit {result.returncode}, {result.stderr.strip()!r}")

for failure in failures:
    print("FAIL", failure)
print(f"{len(BAD) + 2 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)

#!/usr/bin/python3
"""restool and the files around it: compile writes only a regular file (or a new one), through
symbolic links, and never over its own description; dump prints the description that compiles
back into the same file, for the bundle's resource file and a preferences file."""
import os
import stat
import subprocess
import sys
import tempfile
from pathlib import Path

restool, prefstool, bundle_rsrc = sys.argv[1:4]
failures = []


def run(*args, timeout=60, env=None):
    try:
        return subprocess.run([restool, *args], capture_output=True, text=True, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        return None


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}: {detail}")


def finder_types(path):
    try:
        return os.getxattr(path, "user.com.apple.FinderInfo")[:8]
    except OSError:
        return None


DESCRIPTION = "resource 'STR#' 128 \"Names\" strings { \"Out\" \"In\" }\n"

with tempfile.TemporaryDirectory() as folder:
    folder = Path(folder)
    desc = folder / "desc.r"
    desc.write_text(DESCRIPTION)

    # Outputs that are not regular files are refused and left exactly as they were.
    (folder / "a-folder").mkdir()
    os.mkfifo(folder / "a-fifo")
    os.link(desc, folder / "desc-hardlink.r")
    refused = [("the description itself", desc, "description itself"),
               ("a hard link to the description", folder / "desc-hardlink.r", "description itself"),
               ("a folder", folder / "a-folder", "not a regular file"),
               ("a FIFO", folder / "a-fifo", "not a regular file")]
    if os.geteuid() == 0:
        os.mknod(folder / "a-device", 0o666 | stat.S_IFCHR, os.makedev(1, 3))
        refused.append(("a device", folder / "a-device", "not a regular file"))
    for what, output, words in refused:
        desc.write_text(DESCRIPTION)
        before = os.lstat(output)
        result = run("compile", str(desc), str(output), timeout=20)
        after = os.lstat(output)
        check(f"compile to {what}", result is not None and result.returncode == 1 and words in result.stderr,
              "hung" if result is None else f"exit {result.returncode}, {result.stderr.strip()!r}")
        check(f"compile to {what} leaves it", (before.st_mode, before.st_ino, before.st_size) ==
              (after.st_mode, after.st_ino, after.st_size), "changed")
        check(f"compile to {what}: the description", desc.read_bytes() == DESCRIPTION.encode(), "changed")
    desc.write_text(DESCRIPTION)

    # A description that is not a regular file is refused, with no output made.
    result = run("compile", str(folder / "a-folder"), str(folder / "out.rsrc"))
    check("compile a folder", result.returncode == 1 and "not a regular file" in result.stderr,
          f"exit {result.returncode}, {result.stderr.strip()!r}")
    check("compile a folder leaves no file", not (folder / "out.rsrc").exists(), "made one")

    # More data than the format's 24-bit offsets reach: the line and the reason, and no file.
    big = folder / "big.r"
    chunk = "00" * (9 << 20)
    big.write_text(f"resource 'DATA' 1 hex {{ {chunk} }}\nresource 'DATA' 2 hex {{ {chunk} }}\n"
                   f"resource 'DATA' 3 hex {{ 00 }}\n")
    result = run("compile", str(big), str(folder / "big.rsrc"))
    check("compile too much", result.returncode == 1 and "line 3: cannot add" in result.stderr and
          "error -194" in result.stderr, f"exit {result.returncode}, {result.stderr.strip()!r}")
    check("compile too much leaves no file", not (folder / "big.rsrc").exists(), "made one")

    # Through links: the link stays, its target is written; a read-only output keeps its mode.
    (folder / "real").mkdir()
    os.symlink("real/out.rsrc", folder / "link.rsrc")
    for round in ("new target", "existing target"):
        result = run("compile", str(desc), str(folder / "link.rsrc"))
        check(f"compile through a link, {round}", result.returncode == 0, result.stderr.strip())
        check(f"the link, {round}", (folder / "link.rsrc").is_symlink() and
              os.readlink(folder / "link.rsrc") == "real/out.rsrc", "replaced")
        check(f"the target, {round}", (folder / "real/out.rsrc").is_file(), "missing")
    (folder / "real/out.rsrc").write_bytes(b"")
    os.chmod(folder / "real/out.rsrc", 0o444)
    run("compile", str(desc), str(folder / "real/out.rsrc"))
    mode = stat.S_IMODE(os.stat(folder / "real/out.rsrc").st_mode)
    check("a read-only output keeps its mode", mode == 0o444, oct(mode))
    check("nothing left beside", sorted(p.name for p in (folder / "real").iterdir()) == ["out.rsrc"],
          str(list((folder / "real").iterdir())))

    # dump on something that is not a file says so at once.
    result = run("dump", str(folder / "a-fifo"), timeout=20)
    check("dump a FIFO", result is not None and result.returncode == 1 and "not a regular file" in result.stderr,
          "hung" if result is None else result.stderr.strip())

    # Round trips: dump, compile the dump, and get the same file back.
    env = dict(os.environ, XDG_CONFIG_HOME=str(folder), HOME=str(folder))
    subprocess.run([prefstool, "edit"], env=env, check=True, capture_output=True)
    prefs = folder / "Tamsel-Prefs"
    readonly = folder / "readonly.rsrc"
    (folder / "readonly.r").write_text("file type 'Pref' creator 'zqv ' attributes 128\n"
                                       "resource 'Pref' 1 \"Config Settings\" attributes 8 hex { 0001 }\n")
    result = run("compile", str(folder / "readonly.r"), str(readonly))
    check("compile a file statement", result.returncode == 0, result.stderr.strip())
    for name, original in (("the bundle's resource file", Path(bundle_rsrc)), ("a preferences file", prefs),
                           ("a read-only map", readonly)):
        if not original.exists():
            continue
        dumped = run("dump", str(original))
        check(f"dump {name}", dumped.returncode == 0, dumped.stderr.strip())
        text = folder / "again.r"
        text.write_text(dumped.stdout)
        again = folder / "again.rsrc"
        result = run("compile", str(text), str(again))
        check(f"compile the dump of {name}", result.returncode == 0, result.stderr.strip())
        check(f"{name} round trip", again.read_bytes() == original.read_bytes(), "differs")
        check(f"{name} type and creator", finder_types(again) == finder_types(original),
              f"{finder_types(again)} != {finder_types(original)}")
        check(f"{name} dumps the same again", run("dump", str(again)).stdout == dumped.stdout, "differs")
        again.unlink(missing_ok=True)
    check("a preferences file dumps as its text", run("dump", str(prefs)).stdout.startswith(
        "file type 'Pref' creator 'zqv '\nresource 'Pref' 1 \"Config Settings\" hex {\n"),
        run("dump", str(prefs)).stdout[:120])

for failure in failures:
    print("FAIL", failure)
print("PASS" if not failures else f"{len(failures)} failed")
sys.exit(1 if failures else 0)

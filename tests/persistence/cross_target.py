#!/usr/bin/python3
"""Runs the configuration tool of two builds in turn on one preferences file: each writes an
edited configuration, the other starts on it. Builds with the same record format must read
each other's file; builds with different formats (PowerPC and Intel) must reject it and
rewrite it with the defaults in their own format. Every file is also read with fontTools."""
import argparse
import os
import subprocess
import sys
import tempfile
from pathlib import Path

from fontTools.misc.macRes import ResourceReader


def run(tool, command, env):
    result = subprocess.run(tool + [command], env=env, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        sys.exit(f"FAIL: {' '.join(tool)} {command} exited {result.returncode}: {result.stderr}")
    return result.stdout.splitlines()


def stored_record(path):
    """The data of 'Pref' 1, checking with fontTools that it is the file's only 'Pref'."""
    prefs = ResourceReader(str(path))["Pref"]
    if [(r.id, r.name) for r in prefs] != [(1, "Config Settings")]:
        sys.exit(f"FAIL: expected one 'Pref' 1 \"Config Settings\", found {[(r.id, r.name) for r in prefs]}")
    return prefs[0].data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--golden", type=Path, required=True)
    parser.add_argument("--host", nargs=1, required=True)
    parser.add_argument("--target", nargs=argparse.REMAINDER, required=True)
    args = parser.parse_args()
    tools = {"host": args.host, "target": args.target}
    formats = {name: run(tool, "format", os.environ)[0] for name, tool in tools.items()}
    golden = {name: (args.golden / f"default-config-{'le' if 'little' in f else 'be'}.bin").read_bytes()
              for name, f in formats.items()}
    same = formats["host"] == formats["target"]
    print(f"host record: {formats['host']}; target record: {formats['target']}")

    for writer, reader in (("target", "host"), ("host", "target")):
        with tempfile.TemporaryDirectory() as folder:
            env = dict(os.environ, XDG_CONFIG_HOME=folder, HOME=folder)
            edited = run(tools[writer], "edit", env)
            prefs = Path(folder) / "Tamsel-Prefs"
            written = stored_record(prefs)
            if len(written) != int(formats[writer].split()[0]):
                sys.exit(f"FAIL: {writer} wrote {len(written)} bytes")
            started = run(tools[reader], "start", env)
            after = stored_record(prefs)
            if same:
                if started != ["read"] + edited or after != written:
                    sys.exit(f"FAIL: {reader} did not take {writer}'s configuration: {started}")
            else:
                if started[0] != "defaults" or after != golden[reader]:
                    sys.exit(f"FAIL: {reader} did not replace {writer}'s record with its defaults: {started}")
            print(f"{writer} wrote, {reader} {'read it' if same else 'rejected it and wrote its defaults'}")
    print("PASS")


main()

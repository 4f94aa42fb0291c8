#!/usr/bin/python3
"""Checks that gen-message-names.py refuses a faulty names file and writes nothing."""
import os
import subprocess
import sys
import tempfile

GENERATOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gen-message-names.py")
TABLE = "# comment\n7\t&Cancel\n234\tThe server could not be reached.\n"


def run(names):
    with tempfile.TemporaryDirectory() as tmp:
        strings, names_path, out = (os.path.join(tmp, n) for n in ("strings.txt", "names.txt", "Msg.h"))
        with open(strings, "w", encoding="utf-8") as fh:
            fh.write(TABLE)
        with open(names_path, "w", encoding="utf-8") as fh:
            fh.write(names)
        done = subprocess.run([sys.executable, GENERATOR, strings, names_path, out], capture_output=True, text=True)
        written = open(out, encoding="utf-8").read() if os.path.exists(out) else None
        return done.returncode, written, done.stderr


faults = []
code, header, _ = run("7\tButtonCancel\n234\tServerUnreachable\n")
if code != 0 or header is None or "ServerUnreachable = 234," not in header:
    faults.append(f"a sound names file was not turned into a header (exit {code})")
for case, names, said in [
    ("a name given twice", "7\tSame\n234\tSame\n", "already given"),
    ("an id named twice", "234\tOne\n234\tTwo\n", "already named"),
    ("an id the table lacks", "235\tServerTimedOut\n", "does not hold"),
    ("a name that is no identifier", "7\tnot-a-name\n", "is not a name"),
]:
    code, header, stderr = run(names)
    if code != 1 or header is not None or said not in stderr:
        faults.append(f"{case} was not refused (exit {code}, header written: {header is not None}, said {stderr!r})")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)

#!/usr/bin/python3
"""Makes the header that names the program's numbered texts.

Reads the string table (resources/strings/strings.txt: "id<TAB>text") and the
names file beside it (resources/strings/names.txt: "id<TAB>Name"), and writes
a header with

    namespace Msg { enum Id : int { ServerUnreachable = 234, ... }; }

so that a call site reads LoadStr(Msg::ServerUnreachable). Refuses (exit
status 1, nothing written) a name given twice, an id named twice, a name that
is not a C++ identifier, and a name whose id the string table does not hold.
The header is rewritten only when its content changes, so that an untouched
names file rebuilds nothing.

Usage: tools/gen-message-names.py STRINGS NAMES OUTPUT
"""
import os
import re
import sys

IDENTIFIER = re.compile(r"^[A-Z][A-Za-z0-9]*$")


def read_table(path):
    """{id: line number} of the string table."""
    ids = {}
    with open(path, encoding="utf-8", errors="replace") as fh:
        for number, line in enumerate(fh, 1):
            if line.startswith("#") or "\t" not in line:
                continue
            head = line.split("\t", 1)[0].strip()
            if head.isdigit():
                ids[int(head)] = number
    return ids


def read_names(path, table):
    """[(name, id)] in the file's order, and the faults found."""
    names = []
    faults = []
    by_name = {}
    by_id = {}
    with open(path, encoding="utf-8") as fh:
        for number, line in enumerate(fh, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            where = f"{path}:{number}"
            parts = line.split("\t")
            if len(parts) != 2 or not parts[0].strip().isdigit():
                faults.append(f"{where}: expected \"id<TAB>Name\", found {line!r}")
                continue
            ident, name = int(parts[0]), parts[1].strip()
            if not IDENTIFIER.match(name):
                faults.append(f"{where}: {name!r} is not a name (a capital letter, then letters and digits)")
                continue
            if name in by_name:
                faults.append(f"{where}: the name {name} is already given to {by_name[name]}")
                continue
            if ident in by_id:
                faults.append(f"{where}: the id {ident} is already named {by_id[ident]}")
                continue
            if ident not in table:
                faults.append(f"{where}: {name} names {ident}, which the string table does not hold")
                continue
            by_name[name] = ident
            by_id[ident] = name
            names.append((name, ident))
    return names, faults


def header_text(names):
    lines = [
        "#pragma once",
        "// Made by tools/gen-message-names.py from resources/strings/names.txt:",
        "// do not edit. The names of the numbered texts (see strings/StringTable.h).",
        "",
        "namespace wobbin::Msg {",
        "",
        "enum Id : int {",
    ]
    for name, ident in sorted(names, key=lambda n: n[1]):
        lines.append(f"    {name} = {ident},")
    lines += ["};", "", "} // namespace wobbin::Msg", ""]
    return "\n".join(lines)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    strings_path, names_path, output = argv
    names, faults = read_names(names_path, read_table(strings_path))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    text = header_text(names)
    try:
        with open(output, encoding="utf-8") as fh:
            if fh.read() == text:
                return 0
    except OSError:
        pass
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output + ".new", "w", encoding="utf-8") as fh:
        fh.write(text)
    os.replace(output + ".new", output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

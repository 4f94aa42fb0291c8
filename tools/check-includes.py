#!/usr/bin/python3
"""Checks that the include graph of src/ runs one way.

Folders are layered, lowest first:
    base < page < styles < app < document < publish < cli < imaging < windows < program
where "windows" are the folders workspace/ and viewer/ and every *_gui.cpp/.h
file in any folder, and "program" is app/main.cpp with app/main_window.cpp. A file may include only
headers of its own level or below. Besides, a core file (one without a
_gui, _gfx or _bus suffix in a core folder) includes no _gui, _gfx or _bus
header, so that the core library needs QtCore only; a _gfx or _bus file
includes no _gui header. Finally no two files include each other, directly
or through others.

Usage: tools/check-includes.py [SRC_DIR]   (exit status 1 on any fault)
"""
import os
import re
import sys

LEVELS = ["base", "page", "styles", "app", "document", "publish", "cli", "imaging", "windows", "program"]
WINDOW_FOLDERS = {"workspace", "viewer"}
SUFFIXES = ("_gui", "_gfx", "_bus")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def suffix_of(path):
    stem = os.path.splitext(os.path.basename(path))[0]
    for s in SUFFIXES:
        if stem.endswith(s):
            return s
    return ""


def level_of(path):
    """Level number of a file given relative to src/, or None when unknown."""
    if "/" not in path:
        return LEVELS.index("program")  # build helpers beside the folders
    folder = path.split("/")[0]
    if path in ("app/main.cpp", "app/main_window.cpp", "app/main_keyring.cpp"):
        return LEVELS.index("program")
    if folder in WINDOW_FOLDERS or suffix_of(path) == "_gui":
        return LEVELS.index("windows")
    if folder in LEVELS:
        return LEVELS.index(folder)
    return None


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    src = os.path.abspath(src)
    files = []
    for root, _, names in os.walk(src):
        for name in names:
            if name.endswith((".h", ".cpp")):
                files.append(os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/"))
    files.sort()
    known = set(files)
    faults = []
    graph = {}
    for f in files:
        level = level_of(f)
        if level is None:
            faults.append(f"{f}: folder not in the layer list; add it to tools/check-includes.py")
            continue
        with open(os.path.join(src, f), encoding="utf-8", errors="replace") as fh:
            text = fh.read()
        graph[f] = []
        for target in INCLUDE.findall(text):
            if target not in known:
                continue  # generated files (moc) and headers outside src/
            graph[f].append(target)
            tlevel = level_of(target)
            if tlevel is not None and tlevel > level:
                faults.append(f"{f} ({LEVELS[level]}) includes {target} ({LEVELS[tlevel]}), a higher level")
            if level < LEVELS.index("windows"):
                own, theirs = suffix_of(f), suffix_of(target)
                if theirs and theirs != own and not (own in ("_gfx", "_bus") and theirs == ""):
                    faults.append(f"{f} includes {target}: the {theirs} library is not below it")
    # Cycles between files.
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                faults.append("include cycle: " + " -> ".join(stack[stack.index(nxt):] + [nxt]))
            elif state.get(nxt) is None:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for f in files:
        if state.get(f) is None:
            visit(f)
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{len(files)} files: every include runs downwards")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Checks that the include graph of src/ runs one way, folder by folder.

src/ has roots (core/, platform/, windows/, program/); every folder under a
root is one layer and goes into one library. The layers, lowest first, are
declared in LAYERS below. A file may include only headers of its own folder
or of a folder declared before it; the entries in program/ may include
anything. The roots core/, platform/ and windows/ are include directories,
so a header is named by its folder ("page/PageDocument.h"): two roots may not
hold folders of the same name.

Besides:
  - a folder that is not declared, or a source file outside any folder, is a
    fault (declare the folder in its place);
  - core/ includes no Qt header of a module other than QtCore, and platform/
    none of a module with widgets, so that the core library needs QtCore only;
  - the include graph between folders has no cycle.

Usage: tools/check-includes.py [SRC_DIR] [--qt-headers DIR]
   (DIR: Qt's include folder, holding QtCore/, QtGui/...; found by itself on
   Debian; exit status 1 on any fault)
"""
import os
import re
import sys

# Folders by root, lowest first; the roots follow each other in this order.
LAYERS = [
    ("core", ["base", "strings", "page", "styles", "settings", "document", "publish", "cli"]),
    ("platform", ["pictures", "session", "imaging"]),
    ("windows", ["shell", "viewer", "wizards", "upload", "workspace"]),
    ("program", [""]),  # the entries: files directly in program/
]
# Qt modules a root may use (None: any).
QT_MODULES = {
    "core": {"QtCore"},
    "platform": {"QtCore", "QtGui", "QtDBus"},
    "windows": None,
    "program": None,
}
# Headers made at build time, by the folder they belong to (the build puts them
# in an include root of their own).
GENERATED_HEADERS = {"core/strings/Msg.h"}
QT_HEADER_DIRS = ["/usr/include/x86_64-linux-gnu/qt6", "/usr/include/aarch64-linux-gnu/qt6", "/usr/include/qt6"]

LOCAL_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([^>]+)>', re.M)


def layer_table():
    """Folder path relative to src/ ("core/page") -> rank; header prefix -> folder path."""
    rank = {}
    prefix = {}
    faults = []
    for root, folders in LAYERS:
        for folder in folders:
            path = f"{root}/{folder}" if folder else root
            rank[path] = len(rank)
            if folder:
                if folder in prefix:
                    faults.append(f"{path} and {prefix[folder]}: two folders named {folder}/ under include roots")
                prefix[folder] = path
    return rank, prefix, faults


def qt_modules_of(header, qt_dir):
    """The Qt modules holding a <QHeader>, <qheader.h> or <QtModule/...> include (empty if not Qt)."""
    if "/" in header:
        module = header.split("/")[0]
        return {module} if module.startswith("Qt") and os.path.isdir(os.path.join(qt_dir, module)) else set()
    if not re.match(r"^(Q\w+|q\w+\.h)$", header):
        return set()
    return {m for m in os.listdir(qt_dir) if os.path.isfile(os.path.join(qt_dir, m, header))}


def find_cycle(graph):
    """A list of folders forming a cycle in graph, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if state.get(nxt) is None:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if state.get(node) is None:
            found = visit(node)
            if found:
                return found
    return None


def main(argv):
    args = list(argv)
    qt_dir = None
    if "--qt-headers" in args:
        i = args.index("--qt-headers")
        qt_dir = args[i + 1]
        del args[i:i + 2]
    if qt_dir is None:
        qt_dir = next((d for d in QT_HEADER_DIRS if os.path.isdir(os.path.join(d, "QtCore"))), None)
    src = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "src")
    src = os.path.abspath(src)

    rank, prefix, faults = layer_table()
    if qt_dir is None or not os.path.isdir(os.path.join(qt_dir, "QtCore")):
        faults.append("Qt's include folder was not found: pass --qt-headers DIR")
        qt_dir = None

    files = []
    for root, _, names in os.walk(src):
        for name in names:
            if name.endswith((".h", ".cpp")):
                files.append(os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/"))
    files.sort()

    def folder_of(path):
        parts = path.split("/")
        if parts[0] == "program" and len(parts) == 2:
            return "program"
        if len(parts) == 3 and f"{parts[0]}/{parts[1]}" in rank:
            return f"{parts[0]}/{parts[1]}"
        return None

    folders = {f: folder_of(f) for f in files}
    graph = {}
    qt_cache = {}
    for f in files:
        folder = folders[f]
        if folder is None:
            faults.append(f"{f}: not in a declared folder; declare its folder in tools/check-includes.py")
            continue
        root = folder.split("/")[0]
        with open(os.path.join(src, f), encoding="utf-8", errors="replace") as fh:
            text = fh.read()
        for target in LOCAL_INCLUDE.findall(text):
            head = target.split("/")[0]
            if "/" not in target or head not in prefix:
                continue  # generated files (moc) and headers outside src/
            tfolder = prefix[head]
            tpath = f"{tfolder}/{target.split('/', 1)[1]}"
            if tpath not in folders and tpath not in GENERATED_HEADERS:
                faults.append(f"{f} includes {target}, which is not in {tfolder}/")
                continue
            if tfolder != folder:
                graph.setdefault(folder, set()).add(tfolder)
            if rank[tfolder] > rank[folder]:
                faults.append(f"{f} ({folder}) includes {target} ({tfolder}), a higher layer")
        allowed = QT_MODULES[root]
        if allowed is not None and qt_dir:
            for header in SYSTEM_INCLUDE.findall(text):
                if header not in qt_cache:
                    qt_cache[header] = qt_modules_of(header, qt_dir)
                modules = qt_cache[header]
                if modules and not modules & allowed:
                    faults.append(f"{f} includes <{header}> of {', '.join(sorted(modules))}: "
                                  f"{root}/ may use {', '.join(sorted(allowed))} only")

    cycle = find_cycle(graph)
    if cycle:
        faults.append("include cycle between folders: " + " -> ".join(cycle))
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{len(files)} files in {len(rank)} folders: every include runs downwards")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

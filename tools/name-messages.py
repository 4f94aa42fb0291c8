#!/usr/bin/python3
"""Names the numbered texts at their call sites.

Rewrites a literal id passed where a text id is expected into its name from
resources/strings/names.txt:

    LoadStr(348)              ->  LoadStr(Msg::CheckServerAddress)
    LoadStr(wrong ? 930 : 929) ->  LoadStr(wrong ? Msg::KeyPassphraseWrong : Msg::KeyPassphrasePrompt)
    SetText(chkLogo, 5006)    ->  SetText(chkLogo, Msg::...)

(the functions and which of their arguments are text ids: TEXT_ARGUMENTS)

and adds #include "strings/Msg.h" to a file that now needs it. Only ids that
have a name are rewritten; every other literal id is left as it is and
printed, so that names.txt can be completed and the script run again. Names
already written are left alone, so running it twice changes nothing.

Files in core/base/ are reported, not rewritten: the names live in a layer
above them.

Usage: tools/name-messages.py [--check] [PATH...]
   PATH: files or folders (default: src/ tests/ bench/ fuzz/ of the checkout)
   --check: change nothing; exit status 1 when a file would change
"""
import os
import re
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
NAMES = os.path.join(ROOT, "resources", "strings", "names.txt")
# Functions whose one argument is a text id.
TEXT_FUNCTIONS = ["LoadStr", "Plain"]
CALL = re.compile(r"\b(?P<qual>(?:wobbin::)?)(?P<fn>" + "|".join(TEXT_FUNCTIONS) + r")\((?P<arg>[^()]*)\)")
# Functions with more arguments, by the positions (from 0) of their text ids.
TEXT_ARGUMENTS = {
    "SetText": [1],        # windows/workspace/Controls.h
    "makeLabel": [2],      # TPropertyPanels
    "makeSpeed": [3, 4],   # TPropertyPanels
    "saveDialog": [0],     # TDocument
}
MULTI_CALL = re.compile(r"(?<![\w.>:])(?P<fn>" + "|".join(TEXT_ARGUMENTS) + r")\(")
# An argument that is an id, or a choice between two ids.
LITERAL = re.compile(r"^\s*(\d+)\s*$")
CHOICE = re.compile(r"^(?P<cond>[^?:]+\?\s*)(?P<a>\d+)(?P<mid>\s*:\s*)(?P<b>\d+)\s*$")
INCLUDE_LINE = re.compile(r'^\s*#\s*include\s+"[^"]+"[^\n]*\n', re.M)
MSG_INCLUDE = '#include "strings/Msg.h"'
SKIPPED_FOLDERS = ("src/core/base/",)


def read_names():
    names = {}
    with open(NAMES, encoding="utf-8") as fh:
        for line in fh:
            if line.startswith("#") or "\t" not in line:
                continue
            ident, name = line.rstrip("\r\n").split("\t", 1)
            names[int(ident)] = name.strip()
    return names


def in_namespace(text):
    return re.search(r"^\s*(using\s+)?namespace\s+wobbin\b", text, re.M) is not None


def add_include(text):
    if MSG_INCLUDE in text:
        return text
    # After the string table's include when there is one, else after the
    # last include of the program's own headers in the first block.
    table = re.search(r'^\s*#\s*include\s+"strings/StringTable\.h"[^\n]*\n', text, re.M)
    if table:
        at = table.end()
    else:
        last = None
        for m in INCLUDE_LINE.finditer(text):
            if last is not None and text[last.end():m.start()].strip() != "":
                break
            last = m
        if last is None:
            return MSG_INCLUDE + "\n" + text
        at = last.end()
    return text[:at] + MSG_INCLUDE + "\n" + text[at:]


def rewrite(path, text, names, unnamed):
    prefix_all = "" if in_namespace(text) else "wobbin::"

    def line_of(pos):
        return text.count("\n", 0, pos) + 1

    def name(ident, pos, qual):
        if ident not in names:
            unnamed.append((path, line_of(pos), ident))
            return None
        return f"{qual or prefix_all}Msg::{names[ident]}"

    def replace(m):
        arg = m.group("arg")
        qual = m.group("qual")
        lit = LITERAL.match(arg)
        if lit:
            named = name(int(lit.group(1)), m.start(), qual)
            return m.group(0) if named is None else f"{qual}{m.group('fn')}({named})"
        choice = CHOICE.match(arg)
        if choice:
            a = name(int(choice.group("a")), m.start(), qual)
            b = name(int(choice.group("b")), m.start(), qual)
            if a is None or b is None:
                return m.group(0)
            return f"{qual}{m.group('fn')}({choice.group('cond')}{a}{choice.group('mid')}{b})"
        return m.group(0)

    out = CALL.sub(replace, text)
    out = rewrite_arguments(out, path, names, unnamed, prefix_all)
    if out != text:
        out = add_include(out)
    return out


def split_arguments(text, start):
    """The (begin, end) spans of the arguments of the call whose "(" is at
    start, and the position of its ")"; None when it does not close."""
    depth, quote, spans, begin, i = 0, None, [], start + 1, start
    while i < len(text):
        c = text[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                spans.append((begin, i))
                return spans, i
        elif c == "," and depth == 1:
            spans.append((begin, i))
            begin = i + 1
        i += 1
    return None


def rewrite_arguments(text, path, names, unnamed, prefix_all):
    """Names the literal ids among the TEXT_ARGUMENTS of calls (not of declarations)."""
    edits = []
    for m in MULTI_CALL.finditer(text):
        line_start = text.rfind("\n", 0, m.start()) + 1
        if re.search(r"[\w>*&]\s+$", text[line_start:m.start()]) and "return" not in text[line_start:m.start()]:
            continue  # a declaration or definition: "QLabel *makeLabel(" or "void SetText("
        found = split_arguments(text, m.end() - 1)
        if not found:
            continue
        spans, _ = found
        for index in TEXT_ARGUMENTS[m.group("fn")]:
            if index >= len(spans):
                continue
            begin, end = spans[index]
            lit = LITERAL.match(text[begin:end])
            if not lit:
                continue
            ident = int(lit.group(1))
            if ident not in names:
                unnamed.append((path, text.count("\n", 0, begin) + 1, ident))
                continue
            lead = len(text[begin:end]) - len(text[begin:end].lstrip())
            edits.append((begin + lead, begin + lead + len(lit.group(1)), f"{prefix_all}Msg::{names[ident]}"))
    for begin, end, new in sorted(edits, reverse=True):
        text = text[:begin] + new + text[end:]
    return text


def source_files(paths):
    for p in paths:
        if os.path.isfile(p):
            yield p
            continue
        for root, _, files in os.walk(p):
            for f in sorted(files):
                if f.endswith((".cpp", ".h")):
                    yield os.path.join(root, f)


def main(argv):
    check = "--check" in argv
    paths = [a for a in argv if a != "--check"] or [
        os.path.join(ROOT, d) for d in ("src", "tests", "bench", "fuzz") if os.path.isdir(os.path.join(ROOT, d))]
    names = read_names()
    unnamed = []
    changed = []
    for path in source_files(paths):
        rel = os.path.relpath(os.path.abspath(path), ROOT).replace(os.sep, "/")
        with open(path, encoding="utf-8") as fh:
            text = fh.read()
        if rel.startswith(SKIPPED_FOLDERS):
            if CALL.search(text):
                print(f"{rel}: asks for texts by id, but lies below the names' layer: left as it is")
            continue
        out = rewrite(rel, text, names, unnamed)
        if out != text:
            changed.append(rel)
            if not check:
                with open(path, "w", encoding="utf-8") as fh:
                    fh.write(out)
    for rel in changed:
        print(("would name texts in " if check else "named texts in ") + rel)
    for rel, line, ident in unnamed:
        print(f"{rel}:{line}: the id {ident} has no name in resources/strings/names.txt")
    return 1 if check and changed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/python3
"""Writes data/save/Example.qze, the example page shipped with the program.

The page file layout: magic, version "1.07", style name, title, block count,
the blocks (kind + fields), 4, -1 and the trailer. Texts are Windows-1252 with
a 32-bit little-endian count of length - 1 in front (-1 for empty)."""
import struct
import sys
from pathlib import Path


def i32(v):
    return struct.pack("<i", v)


def pstr(text):
    b = text.encode("cp1252")
    return i32(len(b) - 1) + b


def heading(size, text, align=0):
    return i32(3) + pstr(size) + pstr(text) + i32(align)


def para(text, align=0, newline=0):
    return i32(0) + pstr(text) + i32(align) + bytes([newline])


def link(pre, url, text, post, align=0, newline=0):
    return i32(1) + pstr(pre) + pstr(url) + pstr(text) + pstr(post) + i32(align) + bytes([newline])


def email(address, pre, text, post, align=0, newline=0):
    return i32(4) + pstr(address) + pstr(pre) + pstr(text) + pstr(post) + i32(align) + bytes([newline])


def line(width, thick):
    return i32(5) + pstr(width) + pstr(thick)


blocks = [
    heading("1 (Largest)", "Welcome to my page", 2),
    line("80", "2 (Thinner)"),
    para("This page was built from Web Blocks.\r\nEach block is one piece of the page.", 0, 1),
    link("Find out more on", "http://www.wobbinexpress.com/", "our home page", "- it's free.", 0, 1),
    email("me@example.com", "Write to", "me", "any time.", 2, 0),
    line("", "6 (Thickest)"),
]

data = (b"Wobbin Express File" + b"1.07" + pstr("") + pstr("My Example Page")
        + i32(len(blocks)) + b"".join(blocks)
        + i32(4) + i32(-1) + b"End of Wobbin Express File >=)")

out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data/save/Example.qze"
out.write_bytes(data)
print(f"{out}: {len(data)} bytes")

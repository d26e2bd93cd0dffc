#!/usr/bin/env python3
"""Writes a settings file as the dialog saves it, for tests that compare a
batch's own options with saved ones.

Usage: settings_file.py PATH KEY=VALUE...
A check box's key takes 0 or 1 (SameDirectory, SameFileName, SubDirectory,
TopMost, EmptyFile); an edit box's key takes its text (Directory, FileName,
Extension). Keys not given get the first start's values.
"""
import struct
import sys
import zlib

CHECKS = {"SameDirectory": 1, "SameFileName": 1, "SubDirectory": 0, "TopMost": 0, "EmptyFile": 0}
TEXTS = {"Directory": "", "FileName": "", "Extension": "txt"}


def key(text):
    return text.encode("utf-16-le") + b"\0\0"


def node(version, values, children=()):
    out = struct.pack("<ii", version, len(values))
    for name, data in values:
        out += key(name) + struct.pack("<i", len(data)) + data
    out += struct.pack("<i", len(children))
    for name, child in children:
        out += key(name) + child
    return out


def main(path, pairs):
    checks, texts = dict(CHECKS), dict(TEXTS)
    for pair in pairs:
        name, value = pair.split("=", 1)
        if name in checks:
            checks[name] = int(value)
        elif name in texts:
            texts[name] = value
        else:
            sys.exit("settings_file.py: no such key: " + name)
    children = [(n, node(0, [("Check", struct.pack("<i", v))])) for n, v in checks.items()]
    children += [(n, node(0, [("Text", v.encode("utf-16-le"))])) for n, v in texts.items()]
    payload = node(1, [], children)
    packed = zlib.compress(payload)
    with open(path, "wb") as out:
        out.write(struct.pack("<iII", 1, len(payload), len(packed)) + packed)


main(sys.argv[1], sys.argv[2:])

#!/usr/bin/env python3
"""Lists the INF files of a directory that hold a hardware id as a whole id.

usage: inf_whole_id_reference.py DIR ID

The reference for the INF search benchmark, written from the rule and not
from the program: a file that starts with a UTF-16 byte-order mark is UTF-16
text, any other 8-bit text; a line ends at LF, loses one CR before it, ends at
its first NUL and at a semicolon outside double quotes; letters compare in
upper case; the id counts only where the characters on both sides of it are
the line's start or end or one of , = ; " % and white space.
"""
import os
import sys

SEPARATORS = set(',=;"% \t\v\f\r')
ASCII_UPPER = {c: c - 32 for c in range(ord("a"), ord("z") + 1)}


def text_of(data):
    if data[:2] == b"\xff\xfe":
        return data[2:].decode("utf-16-le", errors="replace")
    if data[:2] == b"\xfe\xff":
        return data[2:].decode("utf-16-be", errors="replace")
    return data.decode("latin-1")


def line_holds(line, wanted):
    line = line.split("\0", 1)[0]
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted
        elif c == ";" and not quoted:
            line = line[:i]
            break
    line = line.translate(ASCII_UPPER)
    at = line.find(wanted)
    while at >= 0:
        end = at + len(wanted)
        if (at == 0 or line[at - 1] in SEPARATORS) and (end == len(line) or line[end] in SEPARATORS):
            return True
        at = line.find(wanted, at + 1)
    return False


def main():
    directory, wanted = sys.argv[1], sys.argv[2].translate(ASCII_UPPER)
    for name in sorted(os.listdir(directory), key=str.lower):
        path = os.path.join(directory, name)
        if not name.lower().endswith(".inf") or not os.path.isfile(path):
            continue
        with open(path, "rb") as f:
            lines = text_of(f.read()).split("\n")
        if any(line_holds(line[:-1] if line.endswith("\r") else line, wanted) for line in lines):
            print(name)
    return 0


if __name__ == "__main__":
    sys.exit(main())

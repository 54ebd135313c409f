#!/usr/bin/env python3
"""Mirrors source trees with their narrow string literals re-encoded from UTF-8 to GBK.

GCC turns the UTF-8 texts of our sources into GBK bytes with -fexec-charset=GBK; clang (needed
for libFuzzer) only knows UTF-8. This script produces the same bytes for clang: it copies each
listed directory below ROOT to OUT and, in C and C++ sources, rewrites the contents of ordinary
string and character literals (no prefix, or the raw prefix R) into GBK, exactly as glibc's
iconv (the converter behind GCC's option) writes them. Clang then compiles the mirror with
-Wno-invalid-source-encoding and copies the raw GBK bytes into the binary unchanged.

Rules:
  * Only literals change. Comments stay UTF-8: a GBK character whose second byte is 0x5C (a
    backslash) at the end of a // comment would otherwise splice the next line into it.
  * In an ordinary (non-raw) literal a GBK second byte 0x5C is written twice, so the pair
    reads as the escape for one backslash and the literal still holds the byte 0x5C.
  * u8, u, U and L literals are left alone: their encoding does not follow -fexec-charset.
  * Files are written only when their mirrored content changes, so a reconfigure does not
    rebuild everything; files that disappeared from a source tree are removed from the mirror.

Usage: gbk-sources.py --root ROOT --out OUT DIR [DIR ...]
"""

import argparse
import os
import subprocess
import sys

SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".inc", ".ipp")
LITERAL_PREFIXES_KEPT = ("u8", "u", "U", "L", "u8R", "uR", "UR", "LR")
IDENTIFIER_CHARS = set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_")


def gbk_table(characters):
    """Maps each non-ASCII character to its GBK bytes as the iconv program converts it."""
    characters = sorted(characters)
    if not characters:
        return {}
    text = "\n".join(characters).encode("utf-8")
    result = subprocess.run(["iconv", "-f", "UTF-8", "-t", "GBK"], input=text,
                            capture_output=True, check=False)
    if result.returncode != 0:
        for character in characters:
            single = subprocess.run(["iconv", "-f", "UTF-8", "-t", "GBK"],
                                    input=character.encode("utf-8"), capture_output=True,
                                    check=False)
            if single.returncode != 0:
                raise SystemExit("gbk-sources: %r (U+%04X) has no GBK form"
                                 % (character, ord(character)))
        raise SystemExit("gbk-sources: iconv failed: " + result.stderr.decode(errors="replace"))
    # 0x0A never occurs inside a GBK character (second bytes are 0x40 and above).
    encoded = result.stdout.split(b"\n")
    if len(encoded) != len(characters):
        raise SystemExit("gbk-sources: iconv returned an unexpected number of lines")
    return dict(zip(characters, encoded))


class Literal:
    """One string or character literal: where its contents start and end, and whether raw."""

    def __init__(self, start, end, raw):
        self.start, self.end, self.raw = start, end, raw


def find_literals(text, path):
    """Yields the ordinary (convertible) literals of a C++ source, skipping comments."""
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
            continue
        if c not in "\"'":
            i += 1
            continue
        # The identifier-like run before the quote is the literal's prefix (or, for ', the
        # start of a number with digit separators such as 1'000).
        j = i
        while j > 0 and text[j - 1] in IDENTIFIER_CHARS:
            j -= 1
        prefix = text[j:i]
        if c == "'" and prefix[:1].isdigit():
            i += 1
            continue
        raw = c == '"' and prefix.endswith("R")
        convertible = prefix not in LITERAL_PREFIXES_KEPT
        if raw:
            open_paren = text.find("(", i + 1)
            if open_paren < 0:
                raise SystemExit("%s: raw string without '('" % path)
            closing = ")" + text[i + 1:open_paren] + '"'
            end = text.find(closing, open_paren + 1)
            if end < 0:
                raise SystemExit("%s: unterminated raw string" % path)
            if convertible:
                yield Literal(open_paren + 1, end, True)
            i = end + len(closing)
            continue
        k = i + 1
        while k < n and text[k] != c:
            if text[k] == "\\":
                k += 1
            elif text[k] == "\n":
                raise SystemExit("%s: unterminated literal at offset %d" % (path, i))
            k += 1
        if convertible:
            yield Literal(i + 1, k, False)
        i = k + 1


def convert_source(data, path, table):
    """Returns the mirrored bytes of one source file."""
    text = data.decode("utf-8")
    out = bytearray()
    last = 0
    for literal in find_literals(text, path):
        out += text[last:literal.start].encode("utf-8")
        for character in text[literal.start:literal.end]:
            if ord(character) < 0x80:
                out += character.encode("ascii")
                continue
            encoded = table[character]
            out += encoded
            if not literal.raw and len(encoded) == 2 and encoded[1] == 0x5C:
                out += b"\\"
        last = literal.end
    out += text[last:].encode("utf-8")
    return bytes(out)


def non_ascii_literal_characters(data, path):
    text = data.decode("utf-8")
    found = set()
    for literal in find_literals(text, path):
        found.update(ch for ch in text[literal.start:literal.end] if ord(ch) >= 0x80)
    return found


def write_if_changed(path, data):
    try:
        with open(path, "rb") as existing:
            if existing.read() == data:
                return False
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("directories", nargs="+")
    args = parser.parse_args()

    files = {}
    for directory in args.directories:
        base = os.path.join(args.root, directory)
        for folder, subfolders, names in os.walk(base):
            subfolders[:] = [s for s in subfolders if not s.startswith(".")]
            for name in names:
                source = os.path.join(folder, name)
                files[os.path.relpath(source, args.root)] = source

    contents = {}
    characters = set()
    for relative, source in files.items():
        with open(source, "rb") as handle:
            data = handle.read()
        contents[relative] = data
        if relative.endswith(SOURCE_SUFFIXES) and any(b >= 0x80 for b in data):
            characters |= non_ascii_literal_characters(data, source)
    table = gbk_table(characters)

    changed = 0
    for relative, data in contents.items():
        if relative.endswith(SOURCE_SUFFIXES) and any(b >= 0x80 for b in data):
            data = convert_source(data, files[relative], table)
        changed += write_if_changed(os.path.join(args.out, relative), data)

    removed = 0
    for directory in args.directories:
        for folder, _, names in os.walk(os.path.join(args.out, directory)):
            for name in names:
                mirrored = os.path.join(folder, name)
                if os.path.relpath(mirrored, args.out) not in contents:
                    os.remove(mirrored)
                    removed += 1
    print("gbk-sources: %d files mirrored, %d updated, %d removed"
          % (len(contents), changed, removed))


if __name__ == "__main__":
    sys.exit(main())

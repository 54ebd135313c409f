#!/usr/bin/python3
"""Generates host/onebot/gb18030_tables.inc, the GB18030 <-> Unicode tables of the OneBot adapter.

Every entry comes from glibc's iconv "GB18030" converter, called through ctypes (Python's own
gb18030 codec is not used: it follows a different edition of the mapping). The adapter used to
call iconv directly; the tables let it behave the same on Windows, which has no iconv.

What is tabulated:
  - every two-byte code (lead 0x81..0xFE, trail 0x40..0x7E and 0x80..0xFE) to its code point;
    glibc maps six of them (0xFE51 and five more) to supplementary-plane characters, listed
    apart, and encodes those six characters back to the two-byte codes;
  - the four-byte codes 0x81308130..0x8431A439 (the BMP area) as runs over which the linear
    index of the code and the code point rise together, and the few codes out of that order;
  - the BMP code points that have a two-byte code, in 256-entry blocks indexed by the high byte.
The four-byte codes from 0x90308130 (U+10000) to 0xE3329A35 (U+10FFFF) follow one formula and
are not tabulated; the generator checks every one of them against iconv in both directions.

Usage: gen-gb18030-tables.py [--output FILE]
Exit status: 0 written, 1 iconv disagrees with what the tables can express, 77 no GB18030 iconv.
"""

import argparse
import os
import sys

from glibc_iconv import Iconv

SKIP = 77

TRAIL_BYTES = list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))
FIRST_BMP_FOUR_BYTE = b"\x81\x30\x81\x30"  # U+0080
LAST_BMP_FOUR_BYTE = b"\x84\x31\xA4\x39"  # U+FFFF
FIRST_SUPPLEMENTARY_FOUR_BYTE = b"\x90\x30\x81\x30"  # U+10000


def linear(code):
    """The position of a four-byte code in the sequence of all four-byte codes."""
    return (((code[0] - 0x81) * 10 + (code[1] - 0x30)) * 126 + (code[2] - 0x81)) * 10 + (
        code[3] - 0x30)


def four_byte(index):
    """The four-byte code at a linear position: the inverse of linear()."""
    index, b4 = divmod(index, 10)
    index, b3 = divmod(index, 126)
    b1, b2 = divmod(index, 10)
    return bytes((b1 + 0x81, b2 + 0x30, b3 + 0x81, b4 + 0x30))


def code_points(utf32):
    return [int.from_bytes(utf32[i:i + 4], "big") for i in range(0, len(utf32), 4)]


def single_code_point(decoder, code):
    """The one code point `code` decodes to, or None when iconv refuses it."""
    utf32 = decoder.convert(code)
    if utf32 is None:
        return None
    points = code_points(utf32)
    if len(points) != 1:
        raise ValueError(f"{code.hex()} decodes to {len(points)} code points")
    return points[0]


def read_two_byte(decoder):
    """{two-byte code as int: code point} for every two-byte code iconv accepts."""
    table = {}
    for lead in range(0x81, 0xFF):
        for trail in TRAIL_BYTES:
            point = single_code_point(decoder, bytes((lead, trail)))
            if point is not None:
                table[(lead << 8) | trail] = point
    return table


def read_bmp_four_byte(decoder):
    """[(linear index, code point)] for the BMP-area four-byte codes iconv accepts."""
    first = linear(FIRST_BMP_FOUR_BYTE)
    pairs = []
    for index in range(first, linear(LAST_BMP_FOUR_BYTE) + 1):
        point = single_code_point(decoder, four_byte(index))
        if point is not None:
            pairs.append((index - first, point))
    return pairs


def runs_of(pairs):
    """[first index, first code point, length] runs over which both rise by one."""
    runs = []
    for index, point in pairs:
        if runs and runs[-1][0] + runs[-1][2] == index and runs[-1][1] + runs[-1][2] == point:
            runs[-1][2] += 1
        else:
            runs.append([index, point, 1])
    return runs


def split_out_of_order(runs):
    """(runs whose code points rise with their indexes, [(index, code point)] of the rest).

    Keeps the longest chain of runs by number of codes; GB18030 puts a few characters out of
    order (0x8135F437 is U+E7C7, between the codes of U+1E3E and U+1E40).
    """
    best = []  # best[i]: (codes covered, previous run) of the best chain ending at run i
    for i, (_, point, length) in enumerate(runs):
        chain = (length, None)
        for j in range(i):
            if runs[j][1] + runs[j][2] <= point and best[j][0] + length > chain[0]:
                chain = (best[j][0] + length, j)
        best.append(chain)
    kept = set()
    i = max(range(len(runs)), key=lambda k: best[k][0])
    while i is not None:
        kept.add(i)
        i = best[i][1]
    ordered = [run for k, run in enumerate(runs) if k in kept]
    out_of_order = [(index + offset, point + offset)
                    for k, (index, point, length) in enumerate(runs) if k not in kept
                    for offset in range(length)]
    return ordered, sorted(out_of_order, key=lambda pair: pair[1])


def check_encoder(encoder, two_byte, bmp_four_byte):
    """Checks that encoding every BMP code point agrees with the decoding tables.

    Returns the code points iconv cannot encode (the tables give them no code either).
    """
    by_point = {}
    for code, point in two_byte.items():
        if point in by_point:
            raise ValueError(f"U+{point:04X} has two two-byte codes")
        by_point[point] = code.to_bytes(2, "big")
    first = linear(FIRST_BMP_FOUR_BYTE)
    for index, point in bmp_four_byte:
        if point in by_point:
            raise ValueError(f"U+{point:04X} has a two-byte and a four-byte code")
        by_point[point] = four_byte(first + index)
    unencodable = []
    for point in range(0x10000):
        if 0xD800 <= point <= 0xDFFF:
            continue
        code = encoder.convert(point.to_bytes(4, "big"))
        expected = bytes((point,)) if point < 0x80 else by_point.get(point)
        if code is None and expected is None:
            unencodable.append(point)
        elif code != expected:
            raise ValueError(f"U+{point:04X} encodes to {code and code.hex()}, "
                             f"the tables say {expected and expected.hex()}")
    return unencodable


def check_supplementary(decoder, encoder, two_byte):
    """Checks the four-byte formula for U+10000..U+10FFFF in both directions, in chunks.

    The only code points allowed to encode otherwise are those two-byte codes decode to.
    """
    two_byte_for = {point: code for code, point in two_byte.items() if point > 0xFFFF}
    base = linear(FIRST_SUPPLEMENTARY_FOUR_BYTE)
    chunk = 4096
    for start in range(0x10000, 0x110000, chunk):
        points = range(start, min(start + chunk, 0x110000))
        codes = b"".join(four_byte(base + point - 0x10000) for point in points)
        utf32 = b"".join(point.to_bytes(4, "big") for point in points)
        if decoder.convert(codes) != utf32:
            raise ValueError(f"four-byte codes of U+{start:X}.. do not follow the formula")
        if encoder.convert(utf32) == codes:
            continue
        for point in points:
            code = encoder.convert(point.to_bytes(4, "big"))
            expected = base + point - 0x10000
            if point in two_byte_for:
                if code != two_byte_for[point].to_bytes(2, "big"):
                    raise ValueError(f"U+{point:X} does not encode to its two-byte code")
            elif code is None or len(code) != 4 or linear(code) != expected:
                raise ValueError(f"U+{point:X} encodes to {code and code.hex()}")


def hex_lines(values, width, per_line, indent="    "):
    items = [f"0x{value:0{width}X}," for value in values]
    return [indent + " ".join(items[i:i + per_line]) for i in range(0, len(items), per_line)]


def render(libc_version, two_byte, runs, out_of_order, unencodable):
    bmp_two_byte = {point: code for code, point in two_byte.items() if point <= 0xFFFF}
    supplementary = sorted((code, point) for code, point in two_byte.items() if point > 0xFFFF)
    blocks = [[0] * 256]  # block 0: no code point in it has a two-byte code
    block_index = []
    for high in range(256):
        block = [bmp_two_byte.get((high << 8) | low, 0) for low in range(256)]
        if any(block):
            block_index.append(len(blocks))
            blocks.append(block)
        else:
            block_index.append(0)

    lines = [
        f"// Generated by tools/gen-gb18030-tables.py from glibc {libc_version} iconv's GB18030",
        "// converter; do not edit. Decoding: kTwoByteToUnicode, kTwoByteSupplementary,",
        "// kFourByteBmpRuns and kFourByteBmpOutOfOrder; encoding: kTwoByteBlockIndex and",
        "// kTwoByteBlocks, kTwoByteSupplementary, kFourByteBmpRuns and kFourByteBmpOutOfOrder.",
        "// U+10000..U+10FFFF are 0x90308130 onward by formula.",
        f"// glibc gives no code to {len(unencodable)} BMP code points:",
    ]
    names = [f"U+{point:04X}" for point in unencodable]
    lines += ["//   " + " ".join(names[i:i + 12]) for i in range(0, len(names), 12)]
    lines += [
        "",
        "// The code point of each two-byte code, lead by lead (0x81..0xFE), trail by trail",
        "// (0x40..0x7E then 0x80..0xFE: 190 a lead). 0 where the code point is in",
        "// kTwoByteSupplementary.",
        f"constexpr std::uint16_t kTwoByteToUnicode[{126 * 190}] = {{",
    ]
    for lead in range(0x81, 0xFF):
        lines.append(f"    // 0x{lead:02X}")
        values = [two_byte.get((lead << 8) | trail, 0) for trail in TRAIL_BYTES]
        values = [0 if value > 0xFFFF else value for value in values]
        lines += hex_lines(values, 4, 10)
    lines += [
        "};",
        "",
        "// Two-byte codes of supplementary-plane characters (both directions), by code.",
        "constexpr TwoByteSupplementary kTwoByteSupplementary[] = {",
    ]
    lines += [f"    {{0x{code:04X}, 0x{point:05X}}}," for code, point in supplementary]
    lines += [
        "};",
        "",
        "// The BMP-area four-byte codes, from 0x81308130 (index 0) to 0x8431A439, in",
        f"// {len(runs)} runs of {{first index, first code point, length}}. Indexes and code",
        "// points rise together, so one table serves both directions.",
        "constexpr FourByteRun kFourByteBmpRuns[] = {",
    ]
    entries = [f"{{{index}, 0x{point:04X}, {length}}}," for index, point, length in runs]
    lines += ["    " + " ".join(entries[i:i + 4]) for i in range(0, len(entries), 4)]
    lines += [
        "};",
        "",
        "// BMP-area four-byte codes out of that order, {index, code point} by code point.",
        "// An index neither table holds has no character.",
        "constexpr FourByteCode kFourByteBmpOutOfOrder[] = {",
    ]
    entries = [f"{{{index}, 0x{point:04X}}}," for index, point in out_of_order]
    lines += ["    " + " ".join(entries[i:i + 4]) for i in range(0, len(entries), 4)]
    lines += [
        "};",
        "",
        "// For each high byte of a BMP code point, its block in kTwoByteBlocks (0: none of",
        "// those 256 code points has a two-byte code).",
        "constexpr std::uint8_t kTwoByteBlockIndex[256] = {",
    ]
    lines += hex_lines(block_index, 2, 16)
    lines += [
        "};",
        "",
        "// The two-byte code of each code point in the block by its low byte; 0 for none.",
        f"constexpr std::uint16_t kTwoByteBlocks[{len(blocks)}][256] = {{",
    ]
    for number, block in enumerate(blocks):
        high = block_index.index(number) if number else None
        lines.append("    {" + ("" if high is None else f"  // U+{high:02X}00"))
        lines += hex_lines(block, 4, 8, indent="        ")
        lines.append("    },")
    lines += ["};", ""]
    return "\n".join(lines)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(root, "host", "onebot",
                                                         "gb18030_tables.inc"))
    args = parser.parse_args()

    try:
        decoder = Iconv("UTF-32BE", "GB18030")
        encoder = Iconv("GB18030", "UTF-32BE")
    except (OSError, AttributeError, TypeError) as error:
        print(f"no glibc iconv with GB18030: {error}", file=sys.stderr)
        return SKIP

    try:
        two_byte = read_two_byte(decoder)
        if len(two_byte) != 126 * 190:
            # The decoding table has no mark for a refused two-byte code.
            raise ValueError(f"iconv refuses {126 * 190 - len(two_byte)} two-byte codes")
        if 0 in two_byte.values():
            raise ValueError("a two-byte code decodes to U+0000")
        bmp_four_byte = read_bmp_four_byte(decoder)
        unencodable = check_encoder(encoder, two_byte, bmp_four_byte)
        check_supplementary(decoder, encoder, two_byte)
    except ValueError as error:
        print(f"iconv's GB18030 does not fit the tables: {error}", file=sys.stderr)
        return 1

    runs, out_of_order = split_out_of_order(runs_of(bmp_four_byte))
    area = linear(LAST_BMP_FOUR_BYTE) - linear(FIRST_BMP_FOUR_BYTE) + 1
    print(f"glibc {Iconv.libc_version()}: {len(two_byte)} two-byte codes, "
          f"{len(bmp_four_byte)} of {area} BMP four-byte codes in {len(runs)} runs and "
          f"{len(out_of_order)} out of order, "
          f"{len(unencodable)} BMP code points without a code", file=sys.stderr)
    with open(args.output, "w", encoding="utf-8", newline="\n") as output:
        output.write(render(Iconv.libc_version(), two_byte, runs, out_of_order, unencodable))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Generates src/commands/script_tables.inc, the GBK simplified/traditional character tables.

The character mappings come from OpenCC's character dictionaries (Debian packages opencc and
libopencc-data: STCharacters.ocd2 and TSCharacters.ocd2, turned into text with opencc_dict);
the GBK codes come from glibc's iconv, called through ctypes (Python's own gbk codec is not
used: it is not the converter the rest of the toolchain agrees with).

Rules, in this order, for each direction:
  1. A dictionary line maps a character to one or more counterparts; the first counterpart is
     taken (simplified 发 -> 發, never 髮; traditional 發 and 髮 both -> 发). When the first
     counterpart is the character itself, the character stays as it is.
  2. A mapping is kept only when both sides are single characters with a GBK double-byte code.
  3. Idempotence: a mapping whose target the same dictionary would change again is dropped, so
     no target of a table is itself changed by that table and converting twice equals
     converting once. (With OpenCC 1.1.x this drops 苎 -> 苧 from simplified->traditional,
     where 苧 -> 薴, and 薴 -> 苧 from traditional->simplified, where 苧 -> 苎.)
  4. The punctuation mappings below are added; full-width letters and digits never change.
The result is checked against the reference examples; a dictionary that disagrees with them
makes the generator fail rather than silently produce different tables.

Usage: gen-script-tables.py [--output FILE] [--dictionaries DIR]
Exit status: 0 written, 1 failure, 77 opencc_dict or the dictionaries are not installed.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

from glibc_iconv import Iconv

SKIP = 77

# Quotation marks and small-form punctuation that the tables convert besides characters.
PUNCTUATION = {
    "simplified_to_traditional": {"‘": "「", "’": "」", "“": "『", "”": "』"},
    "traditional_to_simplified": {
        "「": "‘", "」": "’", "『": "“", "』": "”", "〔": "［", "〕": "］",
        "﹐": "，", "﹑": "、", "﹒": "。", "﹔": "；", "﹕": "：", "﹖": "？", "﹗": "！",
    },
}

# Reference conversions the tables must reproduce, and characters they must leave alone.
EXAMPLES = {
    "simplified_to_traditional": (
        {"龙": "龍", "体": "體", "国": "國", "书": "書", "爱": "愛", "发": "發", "简": "簡",
         "转": "轉", "换": "換", "这": "這"},
        "龍文字繁",
    ),
    "traditional_to_simplified": (
        {"龍": "龙", "體": "体", "國": "国", "書": "书", "愛": "爱", "發": "发", "髮": "发",
         "簡": "简", "轉": "转", "換": "换", "這": "这"},
        "龙文字繁",
    ),
}

DICTIONARY_FILES = {
    "simplified_to_traditional": "STCharacters.ocd2",
    "traditional_to_simplified": "TSCharacters.ocd2",
}

TABLE_NAMES = {
    "simplified_to_traditional": "kSimplifiedToTraditionalPairs",
    "traditional_to_simplified": "kTraditionalToSimplifiedPairs",
}


def gbk_double_byte_codes():
    """Every GBK double-byte code: lead 0x81..0xFE, trail 0x40..0x7E and 0x80..0xFE."""
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            yield bytes((lead, trail))


def gbk_code_table():
    """Maps each character with a GBK double-byte code (per glibc) to that code as an int."""
    decoder = Iconv("UTF-8", "GBK")
    encoder = Iconv("GBK", "UTF-8")
    codes = {}
    for code in gbk_double_byte_codes():
        utf8 = decoder.convert(code)
        if utf8 is None:
            continue
        character = utf8.decode("utf-8")
        # Keep a character only under the code glibc itself encodes it to.
        if len(character) == 1 and encoder.convert(utf8) == code:
            codes[character] = int.from_bytes(code, "big")
    return codes


def read_dictionary(ocd2_path, work_dir):
    """The dictionary as {character: [counterparts in dictionary order]}."""
    text_path = os.path.join(work_dir, os.path.basename(ocd2_path) + ".txt")
    subprocess.run(["opencc_dict", "-i", ocd2_path, "-o", text_path, "-f", "ocd2",
                    "-t", "text"], check=True, stdout=subprocess.DEVNULL)
    entries = {}
    with open(text_path, encoding="utf-8") as text:
        for line in text:
            line = line.rstrip("\n")
            if not line:
                continue
            key, values = line.split("\t", 1)
            if key in entries:
                raise ValueError(f"{ocd2_path}: {key} listed twice")
            entries[key] = values.split(" ")
    return entries


def build_table(entries, gbk, direction):
    """The mapping {from code: to code} for one direction, after rules 1 to 4."""
    first = {key: values[0] for key, values in entries.items()}
    representable = {key: value for key, value in first.items()
                     if value != key and key in gbk and value in gbk}
    changed_by_dictionary = {key for key, value in first.items() if value != key}
    table = {gbk[key]: gbk[value] for key, value in representable.items()
             if value not in changed_by_dictionary}
    for key, value in PUNCTUATION[direction].items():
        table[gbk[key]] = gbk[value]
    return table


def check_table(table, gbk, direction):
    """Raises ValueError when the table breaks a rule or a reference example."""
    for source, target in table.items():
        if target in table:
            raise ValueError(f"{direction}: target {target:04X} of {source:04X} is changed too")
    full_width = [chr(c) for c in range(ord("０"), ord("９") + 1)]
    full_width += [chr(c) for c in range(ord("Ａ"), ord("Ｚ") + 1)]
    full_width += [chr(c) for c in range(ord("ａ"), ord("ｚ") + 1)]
    for character in full_width:
        if gbk[character] in table:
            raise ValueError(f"{direction}: full-width {character} would change")
    conversions, unchanged = EXAMPLES[direction]
    for source, target in conversions.items():
        if table.get(gbk[source]) != gbk[target]:
            raise ValueError(f"{direction}: {source} does not become {target}")
    for character in unchanged:
        if gbk[character] in table:
            raise ValueError(f"{direction}: {character} would change")


def render(tables):
    lines = [
        "// Generated by tools/gen-script-tables.py from OpenCC's STCharacters/TSCharacters and",
        "// glibc's GBK codes; do not edit. Pairs of GBK codes (character, replacement), sorted.",
        "",
    ]
    for direction in ("simplified_to_traditional", "traditional_to_simplified"):
        table = tables[direction]
        lines.append(f"// {len(table)} codes change.")
        lines.append(f"constexpr std::uint16_t {TABLE_NAMES[direction]}[] = {{")
        pairs = [f"0x{source:04X},0x{table[source]:04X}," for source in sorted(table)]
        for start in range(0, len(pairs), 6):
            lines.append("    " + " ".join(pairs[start:start + 6]))
        lines.append("};")
        lines.append("")
    return "\n".join(lines)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(root, "src", "commands",
                                                         "script_tables.inc"))
    parser.add_argument("--dictionaries", default="/usr/share/opencc")
    args = parser.parse_args()

    ocd2 = {direction: os.path.join(args.dictionaries, name)
            for direction, name in DICTIONARY_FILES.items()}
    missing = [path for path in ocd2.values() if not os.path.isfile(path)]
    if shutil.which("opencc_dict") is None or missing:
        print("opencc_dict or the OpenCC dictionaries are not installed "
              "(Debian packages opencc, libopencc-data)", file=sys.stderr)
        return SKIP

    gbk = gbk_code_table()
    tables = {}
    with tempfile.TemporaryDirectory() as work_dir:
        for direction, path in ocd2.items():
            table = build_table(read_dictionary(path, work_dir), gbk, direction)
            check_table(table, gbk, direction)
            tables[direction] = table

    to_traditional = tables["simplified_to_traditional"]
    to_simplified = tables["traditional_to_simplified"]
    round_trip_failures = sum(1 for source, target in to_traditional.items()
                              if to_simplified.get(target, target) != source)
    print(f"simplified->traditional changes {len(to_traditional)} codes, "
          f"traditional->simplified {len(to_simplified)}; "
          f"{round_trip_failures} simplified->traditional->simplified round trips fail",
          file=sys.stderr)

    with open(args.output, "w", encoding="utf-8", newline="\n") as output:
        output.write(render(tables))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes the seed corpora in corpus/<target>/ from the edge cases the unit tests cover.

Run it after changing a seed below; the files it writes are committed. A seed is one byte of
flags followed by fields separated by zero bytes (see fuzz_support.h); each target's comment
says what its flags mean.
"""

import hashlib
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def gbk(text):
    return text.encode("gbk")


def seed(flags, *fields):
    return bytes([flags]) + b"\0".join(f if isinstance(f, bytes) else f.encode() for f in fields)


def double(value):
    return bytes([1]) + struct.pack("<d", value)


# text: flags % 6 picks TextLength, FindText, MidText, ReplaceText, StripSpacesAndBreaks,
# TextBetween; 0x08 = a start position follows, 0x10 = ignore case (FindText) or
# case-sensitive (ReplaceText), 0x20 = a replacement limit follows.
TEXT = [
    seed(0, gbk("喂养宠物")),
    seed(1, "abc", ""), seed(1 | 0x08, "abc", "", "10"), seed(1 | 0x08, "abc", "c", "-5"),
    seed(1 | 0x10, "ABCdef", "cD"), seed(1, b"\x81\x5cr", b"\\r"), seed(1, b"ab\x81", b"\x81"),
    seed(1 | 0x08, gbk("喂养宠物"), b"\xd1\xf8", "2"),
    seed(2, "abc", "3", "5"), seed(2, "abc", "0", "1"), seed(2, "abc", "4", "1"),
    seed(2, "abc", "-9223372036854775808", "9223372036854775807"),
    seed(2, "abc", "9223372036854775807", "1"),
    seed(3 | 0x10, "a a a", " ", ""), seed(3 | 0x10 | 0x08 | 0x20, "a a a", " ", "_", "3", "1"),
    seed(3 | 0x08, "abc", "b", "x", "9"), seed(3 | 0x20, "abab", "B", "x", "-1"),
    seed(3 | 0x10, b"\x81\x5cr\\r", b"\\r", b""), seed(3 | 0x10, b"ab\x81", b"\x81", b"zz"),
    seed(4, b"a\r \nb"), seed(4, b"\x81\x5cr"), seed(4, b"\\R\\r"), seed(4, b"\r\n\t\xa1\xa1\n"),
    seed(4, b""),
    seed(5, "abc[x]def", "[", "]"), seed(5, "ab]c[d", "[", "]"), seed(5, "abcdef", "xy", "d"),
    seed(5, "abcdef", "xyz", "d"), seed(5, "abcdef", "x", "d"), seed(5, "abc[x]def", "C[", "]D"),
    seed(5, "abcdef", "", "d"), seed(5, "abc", "a", ""), seed(5, b"ab\x81", b"\x81", b"b"),
    seed(5, b',"nick",', b',"', b'",'),
]

# numbers: flags bit 0 clear = TextToInteger of the text; set = the conversions of the double
# (and of the integer) in the next eight bytes.
NUMBERS = [
    seed(0, " +15apples"), seed(0, "-0"), seed(0, gbk("３０")), seed(0, "3.99"), seed(0, ""),
    seed(0, "4294967297"), seed(0, "-2147483649"), seed(0, gbk("＋７")),
    seed(0, gbk("\u3000－５")), seed(0, b"12\x81"), seed(0, b"\x0b\x0c\r\n\t7"),
    seed(0, gbk("～☆★")), seed(0, b"\xa3"),
    double(59.999), double(-0.5), double(2.0**32 + 5), double(1e300), double(float("nan")),
    double(float("inf")), double(3.0), double(0.5), double(1e13), double(-2147483648.0),
    double(2147483648.0),
]

# script_converter: flags bit 0 clear = simplified to traditional, set = the other way.
SCRIPT_CONVERTER = [
    seed(0, gbk("龙体")), seed(1, gbk("龍體")), seed(0, gbk("发")), seed(1, gbk("發髮")),
    seed(0, gbk("‘’“”")), seed(1, gbk("「」『』〔〕﹐﹑﹒﹔﹕﹖﹗")),
    seed(0, b"ab 12\r\n" + gbk("国书") + b"[name][enter]"), seed(0, b"\x80\x41\xff\xff\x81"),
    seed(1, b"\x81\x30\x81\x7f\xfe\xfe\x81"), seed(0, gbk("ＡＢ１２")), seed(1, b""),
]

# The plugin's descriptor as info returns it.
COMMANDS = [
    ("宠物喂养", "细心照料下你的宠物吧！", "@喂养", "", "", "喂养宠物"),
    ("宠物信息", "查询宠物的信息", "@查询", "", "", "信息查询"),
    ("宠物工作", "赚钱去~~！", "@工作", "", "", "打工"),
    ("宠物猜猜乐", "让宠物也来娱乐下吧！", "@猜数[", "数字", "]", "猜大小"),
    ("宠物翻译家", "简体到繁体字体转换", "@简-繁[", "这里输入你要转换的文字", "]", "简体到繁体"),
    ("宠物翻译家", "繁体到简体字体转换", "@繁-简[", "这里输入你要转换的文字", "]", "繁体到简体"),
    ("QQ昵称获取", "获取QQ昵称", "@获取[", "要获取昵称的QQ号", "]", "昵称获取"),
    ("Morvel宠物系统功能表", "Morvel宠物系统功能查询", "@命令表", "", "", "功能表"),
    ("宠物T人", "T人插件", "@T[", "QQ号", "]", "T人"),
]
DESCRIPTOR = gbk("\r\n-----\r\n".join(
    "".join(line + "\r\n" for line in (title, "1.0", "Morvel", about, prefix, hint, suffix,
                                         name, "1", "假"))
    for title, about, prefix, hint, suffix, name in COMMANDS))

# host_descriptor: the whole input is the descriptor text.
HOST_DESCRIPTOR = [
    DESCRIPTOR, DESCRIPTOR.replace(b"\r\n", b"\n"), DESCRIPTOR[:200], DESCRIPTOR + b"\r\n",
    DESCRIPTOR.replace(b"-----", b"----", 1), b"", b"\n" * 10, b"a\r\r\nb\n" * 5,
]

# host_trigger: flags bit 0 clear = the plugin's entries, then the chat line; set = (flags >> 1)
# % 4 + 1 entries of prefix, hint and suffix fields from the input, then the line.
HOST_TRIGGER = [
    seed(0, gbk("@喂养")), seed(0, gbk("@喂养 ")), seed(0, gbk("@猜数[50]")), seed(0, gbk("@猜数[]")),
    seed(0, gbk("@简-繁[龙体]")), seed(0, gbk("@T[123]")), seed(0, gbk("@命令表")),
    seed(0, gbk("@猜数[") + b"\x81]"), seed(0, gbk("@获取[") + b"\x81"), seed(0, b"@"),
    seed(1, "[", "x", "]", "[a]"), seed(1, "", "", "", "x"), seed(1 | 2, "ab", "", "", "a", "x", "b", "ab"),
    seed(1, b"\x81", b"", b"]", b"\x81]"),
]

# exports: flags % 14 picks the export in ResultSlot order (info, 时间格式化, 取文本之间,
# 去空格换行, 获取昵称, 喂养宠物, 信息查询, 打工, 猜大小, 简体到繁体, 繁体到简体, 功能表,
# 昵称获取, T人); 0x80 passes null for empty arguments. Fields: the day (0 = 2014/1/1), then
# up to five arguments.
def call(export, day, *arguments, null=False):
    return seed(export | (0x80 if null else 0), str(day), *arguments)


EXPORTS = [
    call(0, 0), call(1, 0), call(2, 0, "abc[x]def", "[", "]"), call(2, 0, b"ab\x81", b"\x81", b"b"),
    call(2, 0, "", "", "", null=True), call(3, 0, b"a\r \nb"), call(3, 0, b"\x81\x5cr"),
    call(4, 0, "10001"), call(4, 0, b"\x81"),
    call(5, 0, "", "", "1", "10001", ""), call(5, 1, "", "", "1", "10001", ""),
    call(5, 3, "", "", "1", "20001", ""), call(5, 0, "", "", "", b" \x81", "", null=True),
    call(6, 0, "", "", "", "10001", ""), call(6, 0, "", "", "", "99999", ""),
    call(7, 1, "", "", "", "10001", ""), call(7, 2, "", "", "", "10002", ""),
    call(7, 2, "", "", "", "10003", ""), call(7, 0, "", "", "", "", "", null=True),
    call(8, 0, "50"), call(8, 0, " 5 0 \r\n"), call(8, 0, "\n"), call(8, 0, gbk("５０")),
    call(8, 0, "2147483648"), call(9, 0, gbk("龙体") + b" [name]\r\n"), call(10, 0, gbk("龍體")),
    call(9, 0, b"\x81"), call(10, 0, b"ab\xff"), call(11, 0, "x", "y", "z", "w", "v"),
    call(11, 0, null=True), call(12, 0, "10001"), call(12, 0, "#1 2"),
    call(13, 0, "123456", "", "7654321", "", ""), call(13, 0, "", "", "", "", "", null=True),
    call(13, 0, b"\x81", b"", b"\xfe", b"", b""),
]

# profile_reader: flags (bit 0: also read every pair the file names; bit 1: a long value), the
# section, the key and the default, then the file's bytes.
PET_FILE = gbk("[等级设置]\r\n等级1=蛋\r\n等级2=幼崽\r\n等级10=神话\r\n"
               "[10001]\r\n时间=2014/3/1\r\n喂养次数=4\r\n总经验=40\r\n")
ODD_FILE = (b"top=before any section\n[ a b ]\nk = v \n;[10001]\n[A B]\nk=second\n"
            b"[q]\nd=\"quoted\"\ns='single'\ne=\ncount=1=2\n  [x\x81]y]\nz=1\n"
            b"[last]\r\nnobreak=yes")
PROFILE_READER = [
    seed(1, gbk("10001"), gbk("总经验"), "0") + b"\0" + PET_FILE,
    seed(1, gbk("等级设置"), gbk("等级3"), "none") + b"\0" + PET_FILE,
    seed(1, "a b", "K", "none") + b"\0" + ODD_FILE,
    seed(1, "q", "e", "none") + b"\0" + ODD_FILE,
    seed(1, b"x\x81]y", "z", "none") + b"\0" + ODD_FILE,
    seed(0, "s", "k", "") + b"\0" + b"[s]\r\nk=\0zero\r\n",
    seed(2, "", "", "") + b"\0" + b"abc",
]

# profile_writer: flags (1 + flags % 4 writes), a section, a key and a value per write, then the
# file's bytes.
PROFILE_WRITER = [
    seed(0, "10001", gbk("时间"), "2014/3/2") + b"\0" + PET_FILE,
    seed(0, "10002", gbk("喂养次数"), "1") + b"\0" + PET_FILE,
    seed(0, gbk("等级设置"), gbk("等级3"), gbk("少年")) + b"\0" + PET_FILE,
    seed(0, "A B", "k", "new") + b"\0" + ODD_FILE,
    seed(0, "last", "added", "1") + b"\0" + ODD_FILE,
    seed(0, "q", "d", "x=y") + b"\0" + ODD_FILE,
    seed(0, "new", "k", "") + b"\0" + b"[s]\r\nk=v",
    seed(0, "s", "k", "v2") + b"\0" + b"",
    seed(3, "10001", gbk("总经验"), "20", "10001", gbk("时间"), "2014/3/2", "10001",
         gbk("喂养次数"), "2", "10002", gbk("总经验"), "10") + b"\0" + PET_FILE,
    seed(2, "a", "k", "1", "A", "K", "2", "b", "k", "3") + b"\0" + b"[a]\n[b]\nk=0",
]

CORPORA = {
    "text": TEXT,
    "numbers": NUMBERS,
    "script_converter": SCRIPT_CONVERTER,
    "host_descriptor": HOST_DESCRIPTOR,
    "host_trigger": HOST_TRIGGER,
    "exports": EXPORTS,
    "profile_reader": PROFILE_READER,
    "profile_writer": PROFILE_WRITER,
}


def main():
    for target, seeds in CORPORA.items():
        directory = os.path.join(HERE, "corpus", target)
        os.makedirs(directory, exist_ok=True)
        wanted = set()
        for data in seeds:
            name = hashlib.sha1(data).hexdigest()[:16]
            wanted.add(name)
            with open(os.path.join(directory, name), "wb") as out:
                out.write(data)
        for name in os.listdir(directory):
            if name not in wanted:
                os.remove(os.path.join(directory, name))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Checks the product DLL as a robot host will see it: the fourteen GBK export names with their
ordinals in byte order, the module name, the argument bytes each export removes (the `ret`
immediates of its code) and imports limited to Windows system DLLs."""
import re
import subprocess
import sys

import pefile

EXPORTS = {  # name: number of text arguments
    "T人": 5, "info": 0, "猜大小": 5, "打工": 5, "繁体到简体": 5, "功能表": 5, "获取昵称": 1,
    "简体到繁体": 5, "取文本之间": 3, "去空格换行": 1, "时间格式化": 0, "喂养宠物": 5,
    "信息查询": 5, "昵称获取": 5,
}
MODULE_NAME = "Quessa宠物系统2.0.cqp.dll"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "wininet.dll",
               "msvcrt.dll", "advapi32.dll", "shell32.dll", "ole32.dll"}


def fail(message):
    print(f"check-dll: {message}", file=sys.stderr)
    sys.exit(1)


def read_exports(pe):
    directory = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]]
    header = pe.parse_export_directory(directory.VirtualAddress, directory.Size).struct
    module = pe.get_string_at_rva(header.Name)
    names = {}
    for i in range(header.NumberOfNames):
        name_rva = pe.get_dword_at_rva(header.AddressOfNames + 4 * i)
        ordinal_index = pe.get_word_at_rva(header.AddressOfNameOrdinals + 2 * i)
        function_rva = pe.get_dword_at_rva(header.AddressOfFunctions + 4 * ordinal_index)
        names[pe.get_string_at_rva(name_rva)] = (header.Base + ordinal_index, function_rva)
    return module, names


def ret_immediates(path, image_base, rva):
    """The `ret` instructions of the function at `rva`, up to the next symbol."""
    start = image_base + rva
    listing = subprocess.run(
        ["i686-w64-mingw32-objdump", "-d", "--no-show-raw-insn", f"--start-address={start:#x}",
         f"--stop-address={start + 4096:#x}", path], check=True, capture_output=True,
        text=True, errors="replace").stdout
    rets = []
    started = False
    for line in listing.splitlines():
        if re.match(r"^[0-9a-f]+ <.*>:$", line):
            if started:
                break
            started = True
            continue
        match = re.search(r"\sret\s*(\$0x[0-9a-f]+)?\s*$", line)
        if match:
            rets.append(int(match.group(1)[1:], 16) if match.group(1) else 0)
    return rets


def main(path):
    pe = pefile.PE(path)
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        fail("not a 32-bit x86 image")
    module, names = read_exports(pe)
    if module != MODULE_NAME.encode("gbk"):
        fail(f"module name is {module!r}")
    expected = sorted((name.encode("gbk") for name in EXPORTS))
    if sorted(names) != expected:
        fail(f"exported names differ: {sorted(names)!r}")
    for ordinal, name in enumerate(expected, start=1):
        if names[name][0] != ordinal:
            fail(f"{name.decode('gbk')} has ordinal {names[name][0]}, expected {ordinal}")
    for name, (ordinal, rva) in names.items():
        arguments = EXPORTS[name.decode("gbk")]
        rets = ret_immediates(path, pe.OPTIONAL_HEADER.ImageBase, rva)
        if not rets or any(r != 4 * arguments for r in rets):
            fail(f"{name.decode('gbk')} returns with {rets}, expected ret {4 * arguments}")
    imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    if not imports <= SYSTEM_DLLS:
        fail(f"imports non-system DLLs: {sorted(imports - SYSTEM_DLLS)}")
    print(f"check-dll: {path}: 14 exports, ordinals 1..14, stdcall argument bytes, "
          f"imports {sorted(imports)}: OK")


if __name__ == "__main__":
    main(sys.argv[1])

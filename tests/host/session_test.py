#!/usr/bin/python3
"""Drives whole robothost sessions: the real host binary, the real plugin library and cqapi,
copied into a fresh run directory, fed chat lines in script mode, their transcripts compared
byte for byte with the golden files in golden/. Days are moved with faketime (Linux only).

    session_test.py --build-dir DIR --case NAME [--wine tools/wine-run]
"""
import argparse
import difflib
import http.server
import os
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "golden")
PLUGIN_STEM = "Quessa宠物系统2.0.cqp"
PET_FILE = "宠物系统.ini"
WORK_FILE = "工作配置.ini"
EXAMPLE_FILES = (PET_FILE, WORK_FILE)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Host:
    """A run directory holding robothost, the plugin, cqapi and the examples, as a build does."""

    def __init__(self, build_dir, wine):
        self.wine = wine
        windows = wine is not None
        self.exe_name = "robothost.exe" if windows else "robothost"
        self.plugin_name = PLUGIN_STEM + (".dll" if windows else ".so")
        cqapi = "cqapi.dll" if windows else "cqapi.so"
        self.timeout = 300 if windows else 60
        self.dir = tempfile.mkdtemp(prefix="robothost-test-")
        try:
            for name in (self.exe_name, self.plugin_name, cqapi):
                shutil.copy2(os.path.join(build_dir, name), os.path.join(self.dir, name))
            shutil.copytree(os.path.join(build_dir, "examples"),
                            os.path.join(self.dir, "examples"))
        except OSError as error:
            self.close()
            raise Failure("not built (build the robothost target first): %s" % error)

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def config(self, name):
        if self.wine:
            # Wine in a GBK locale keeps Windows file names as GBK bytes on the Linux side.
            return os.path.join(os.fsencode(self.dir), b"config", name.encode("gbk"))
        return os.path.join(self.dir, "config", name)

    def run(self, lines=b"", args=(), date=None, expect_code=0):
        """Runs the host with `lines` (bytes) on standard input; returns (stdout, stderr)."""
        command = [os.path.join(self.dir, self.exe_name), *args]
        env = dict(os.environ, TZ="UTC")
        if self.wine:
            command.insert(0, self.wine)
        if date:
            command = ["faketime", date, *command]
            # libfaketime is preloaded ahead of the sanitizer runtime; the order does not matter.
            env["ASAN_OPTIONS"] = ":".join(
                filter(None, [env.get("ASAN_OPTIONS"), "verify_asan_link_order=0"]))
        result = subprocess.run(command, input=lines, capture_output=True, cwd=self.dir, env=env,
                                timeout=self.timeout)
        if result.returncode != expect_code:
            raise Failure("exit code %d, expected %d\n--- stdout\n%s\n--- stderr\n%s" % (
                result.returncode, expect_code, result.stdout.decode("utf-8", "replace"),
                result.stderr.decode("utf-8", "replace")))
        return result.stdout, result.stderr

    def append_to_config(self, name, text):
        """Adds hand-written sections to a profile file, as an operator would with an editor."""
        path = self.config(name)
        with open(path, "rb") as f:
            content = f.read()
        if content and not content.endswith(b"\n"):
            content += b"\r\n"
        with open(path, "wb") as f:
            f.write(content + text.replace("\n", "\r\n").encode("gbk"))


def script(*lines):
    return b"".join((line if isinstance(line, bytes) else line.encode("utf-8")) + b"\n"
                    for line in lines)


def compare_golden(name, actual):
    with open(os.path.join(GOLDEN, name + ".out"), "rb") as f:
        expected = f.read()
    if actual != expected:
        diff = difflib.unified_diff(expected.decode("utf-8", "replace").splitlines(True),
                                    actual.decode("utf-8", "replace").splitlines(True),
                                    "golden/%s.out" % name, "robothost")
        raise Failure("transcript differs from golden/%s.out:\n%s" % (name, "".join(diff)))


# --- the cases ------------------------------------------------------------------------------

def case_basics(host):
    """The host's own commands, lines that reach no command, and input it must refuse."""
    out, _ = host.run(script(
        "/help", "/commands", "/who",
        "你好，机器人", "@喂养 ", " @喂养", "@功能表", "@猜数[5", "喂养",
        "/qq 23456 小红", "/who", "/qq 34567", "/qq 23456", "/qq abc",
        "/name", "/name 小红红", "/group 20002", "/group x", "/bot 小Q", "/bot", "/foo",
        "//@命令表",
        "@简-繁[😀]",
        b"@\xe7\x8c\x9c\xe6\x95\xb0[\xff]",       # @猜数[ and a byte that is never UTF-8
        b"@\xe7\x8c\x9c\xe6\x95\xb0[\xe7\x8c]",   # a character cut short
        b"@\xe7\x8c\x9c\xe6\x95\xb0[5\x005]",      # a NUL inside
        "/quit", "@命令表"))
    compare_golden("basics", out)


def case_options(host):
    out, _ = host.run(script("/who", "@T[1]", "@命令表"),
                      args=["--qq", "55555", "--name=小刚", "--group", "30003", "--bot", "小Q"])
    compare_golden("options", out)
    # A script file: a byte order mark and CR LF line ends are read as plain lines; standard
    # input is not read at all.
    path = os.path.join(host.dir, "chat.txt")
    with open(path, "wb") as f:
        f.write("\ufeff/who\r\n@T[2]\r\n".encode("utf-8"))
    out, _ = host.run(b"@T[3]\n", args=["--script", path])
    compare_golden("options_script", out)
    for args, said in ((["--qq=abc"], "只能由数字组成"), (["--group", "1x"], "只能由数字组成"),
                       (["--bogus"], "未知的选项"), (["--name"], "缺少值"),
                       (["--bot="], "不能为空"), (["--script", path + ".missing"], "无法读取脚本文件")):
        out, err = host.run(b"", args=args, expect_code=2)
        check(said in err.decode("utf-8"), "%s: stderr %r lacks %r" % (args, err, said))
        check(out == b"", "%s: printed %r" % (args, out))
    out, _ = host.run(b"", args=["--help"])
    check("用法：robothost" in out.decode("utf-8"), "--help printed %r" % out)


def case_unknown_plugin(host):
    # ASCII names: Wine reads a command line in the locale's GBK.
    suffix = ".dll" if host.wine else ".so"
    missing = os.path.join(host.dir, "nope" + suffix)
    not_library = os.path.join(host.dir, "text" + suffix)
    with open(not_library, "wb") as f:
        f.write(b"not a library\n")
    cqapi = os.path.join(host.dir, "cqapi.dll" if host.wine else "cqapi.so")
    for args, said in ((["--plugin", missing], "找不到插件文件"),
                       (["--plugin", not_library], "无法加载插件"),
                       (["--plugin", cqapi], "没有导出函数 info")):
        out, err = host.run(script("@命令表"), args=args, expect_code=1)
        check(said in err.decode("utf-8"), "%s: stderr %r lacks %r" % (args, err, said))
        check(out == b"", "%s: printed %r" % (args, out))
    # Without --plugin the host looks beside itself.
    os.remove(os.path.join(host.dir, host.plugin_name))
    _, err = host.run(script("@命令表"), expect_code=1)
    check("找不到插件文件" in err.decode("utf-8"), "default plugin: stderr %r" % err)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def case_examples(host):
    """First start writes the example level names and titles; nothing existing is replaced."""
    examples = {name: read(os.path.join(host.dir, "examples", "config", name))
                for name in EXAMPLE_FILES}
    _, err = host.run()
    check("已创建配置目录" in err.decode("utf-8"), "no notice of config/: %r" % err)
    for name in EXAMPLE_FILES:
        check(read(host.config(name)) == examples[name], name + " is not the example")
    # The operator named one level only and removed the titles: the level section stays as it
    # is, the missing file comes back.
    own_levels = "[等级设置]\r\n等级1=我的小宠物\r\n".encode("gbk")
    with open(host.config(PET_FILE), "wb") as f:
        f.write(own_levels)
    os.remove(host.config(WORK_FILE))
    host.run()
    check(read(host.config(PET_FILE)) == own_levels, "an existing section was changed")
    check(read(host.config(WORK_FILE)) == examples[WORK_FILE], "missing file not restored")
    # A file with records but no titles gets the section appended after its last line.
    records = "[12345]\r\n打工次数=3".encode("gbk")
    with open(host.config(WORK_FILE), "wb") as f:
        f.write(records)
    host.run()
    check(read(host.config(WORK_FILE)) == records + b"\r\n" + examples[WORK_FILE],
          "titles not appended: %r" % read(host.config(WORK_FILE)))
    host.run()
    check(read(host.config(WORK_FILE)) == records + b"\r\n" + examples[WORK_FILE],
          "a second start added the titles again")
    # --no-examples: the directory, nothing in it.
    shutil.rmtree(os.path.join(host.dir, "config"))
    host.run(args=["--no-examples"])
    check(os.listdir(os.path.join(host.dir, "config")) == [], "--no-examples wrote files")


def case_interactive(host):
    """At a terminal: welcome, prompt, a reply, a hint for a line no command takes, /quit."""
    command = [os.path.join(host.dir, host.exe_name)]
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(host.dir)
        os.execv(command[0], command)
    seen = b""

    def read_until(marker):
        nonlocal seen
        deadline = time.monotonic() + host.timeout
        while marker not in seen:
            ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
            check(ready, "timed out waiting for %r; saw:\n%s" % (marker, seen.decode("utf-8", "replace")))
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                chunk = b""
            check(chunk, "the host ended early; saw:\n%s" % seen.decode("utf-8", "replace"))
            seen += chunk
        at = seen.index(marker) + len(marker)
        before, seen = seen[:at], seen[at:]
        return before

    prompt = "小明(12345)> ".encode("utf-8")
    welcome = read_until(prompt).decode("utf-8")
    check("欢迎使用 robothost" in welcome and "/quit" in welcome and "@喂养" in welcome,
          "welcome: %r" % welcome)
    os.write(fd, "@T[777]\n".encode("utf-8"))
    reply = read_until(prompt).decode("utf-8")
    check("小明，T人成功，被T人：777" in reply, "reply: %r" % reply)
    os.write(fd, "今天天气不错\n".encode("utf-8"))
    hint = read_until(prompt).decode("utf-8")
    check("没有匹配插件的任何命令" in hint, "hint: %r" % hint)
    os.write(fd, b"/quit\n")
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    check(os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0, "exit status %d" % status)


def case_menu(host):
    out, _ = host.run(script("@命令表", "/bot 小Q", "@命令表"))
    compare_golden("menu", out)


def case_kick(host):
    out, _ = host.run(script("@T[23456]", "/group 20002", "@T[]", "@T[abc]"))
    compare_golden("kick", out)


def case_convert(host):
    out, _ = host.run(script("@简-繁[龙体]", "@繁-简[龍體]", "@简-繁[]",
                             "@简-繁[Hello 国家 123]", "@繁-简[简体]"))
    compare_golden("convert", out)


def case_guess(host):
    out, _ = host.run(script("@猜数[]", "@猜数[ ]", "@猜数[0]", "@猜数[abc]", "@猜数[-7]",
                             "@猜数[101]", "@猜数[ 1 0 1 ]", "@猜数[１０１]", "@猜数[2147483647]"))
    compare_golden("guess", out)


def case_pet(host):
    """Two users feed and query over four days; hand-made records reach the level edges."""
    out = b""
    out += host.run(script("@查询", "@喂养", "@喂养", "@查询", "/qq 23456 小红", "@喂养"),
                    date="2026-01-01 12:00:00")[0]
    out += host.run(script("@喂养", "@喂养", "/qq 23456 小红", "@查询"),
                    date="2026-01-02 09:00:00")[0]
    host.append_to_config(PET_FILE, "[33333]\n喂养次数=25\n总经验=250\n时间=2025/12/31\n"
                                    "[44444]\n喂养次数=68\n总经验=680\n时间=2025/12/31\n")
    out += host.run(script("/qq 33333 小刚", "@查询", "@喂养", "@查询",
                           "/qq 44444 小强", "@喂养", "@查询"),
                    date="2026-01-03 10:00:00")[0]
    out += host.run(script("/qq 44444 小强", "@喂养", "@喂养", "/qq 12345", "@喂养"),
                    date="2026-01-04 23:59:00")[0]
    compare_golden("pet", out)


def case_work(host):
    """Two users work over three days; hand-made records reach the title edges."""
    out = b""
    out += host.run(script("@工作", "@工作", "/qq 23456 小红", "@工作"),
                    date="2026-01-01 12:00:00")[0]
    out += host.run(script("@工作", "@工作"), date="2026-01-02 00:00:30")[0]
    host.append_to_config(WORK_FILE, "[55555]\n打工次数=12\n总奖励=5000\n打工时间=2025/12/31\n"
                                     "[66666]\n打工次数=30\n打工时间=2025/12/31\n")
    out += host.run(script("/qq 55555 小刚", "@工作", "@工作", "/qq 66666 小强", "@工作", "@工作"),
                    date="2026-01-03 10:00:00")[0]
    compare_golden("work", out)


class NicknameService(http.server.BaseHTTPRequestHandler):
    """Answers like the score service: a nickname between ," and ", for the known numbers."""
    answers = {
        "12345": 'portraitCallBack({"12345":["http://qlogo.cn/g?nk=12345",0,0,0,"小龙",0]})',
        "77777": 'portraitCallBack({"77777":["",0,"ABCDEFGHIJKLMNOPQRSTUVWXY",0]})',
        "88888": 'portraitCallBack({"88888":["",0,"ABCDEFGHIJKLMNOPQRSTUVWXYZ",0]})',
    }
    requests = []

    def do_GET(self):
        NicknameService.requests.append(self.path)
        qq = self.path.rpartition("uins=")[2]
        body = self.answers.get(qq, "").encode("gbk")
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def case_nickname(host):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), NicknameService)
    server.timeout = 10
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        host.run()  # creates config/
        with open(host.config("昵称服务.ini"), "wb") as f:
            f.write(("[昵称服务]\r\n地址=http://127.0.0.1:%d\r\n" % server.server_port).encode("gbk"))
        out, _ = host.run(script("@获取[12345]", "@获取[77777]", "@获取[88888]", "@获取[99999]"))
    finally:
        server.shutdown()
        server.server_close()
    compare_golden("nickname", out)
    path = "/fcg-bin/cgi_get_score.fcg?mask=7&uins="
    check(NicknameService.requests == [path + qq for qq in ("12345", "77777", "88888", "99999")],
          "requests: %r" % NicknameService.requests)


CASES = {name[len("case_"):]: function for name, function in globals().items()
         if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    parser.add_argument("--wine", help="run robothost.exe through this Wine launcher")
    options = parser.parse_args()
    host = None
    try:
        host = Host(options.build_dir, options.wine and os.path.abspath(options.wine))
        CASES[options.case](host)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print("FAIL %s: %s" % (options.case, failure))
        return 1
    finally:
        if host is not None:
            host.close()
    print("ok %s" % options.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())

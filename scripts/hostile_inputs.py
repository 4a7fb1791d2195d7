"""Feeds hostile inputs to the `tazu` command and sorts out what happens.

Every input is made here by code: shot documents with bad numbers, sizes,
colours, files, loop counts, weights and nesting; damaged media (empty, cut,
garbage, decompression bombs, folders named like media); bad command-line
values; narration configurations. Each runs as its own process, with a time
and memory limit, and ends in one of:

    ok              an input that should work worked
    clean error     refused with a message and no traceback
    refused wrongly an input that should work was refused
    traceback       a Python traceback reached the user
    crash           the process died by a signal
    hang            it ran past the time limit
    wrong, exit 0   an input that cannot be meant was taken without a word

Run against any checkout's command:

    .venv/bin/python scripts/hostile_inputs.py [--tazu PATH] [--only NAME] [--json FILE] [-v]
"""
from __future__ import annotations

import argparse
import collections
import json
import os
import resource
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

TIME_LIMIT = 60  # seconds per run
MEMORY_LIMIT = 4 << 30  # bytes of address space per run
OUTCOMES = ("ok", "clean error", "refused wrongly", "traceback", "crash", "hang", "wrong, exit 0")


class Case:
    def __init__(self, entry: str, name: str, args: list[str], accept: bool = False) -> None:
        self.entry, self.name, self.args, self.accept = entry, name, args, accept


# ---- media made by code ----------------------------------------------------------------


def _png_chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def bomb_png(path: str, side: int = 60000) -> None:
    """A PNG whose header claims side x side pixels, with almost no data."""
    ihdr = struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", ihdr)
    data += _png_chunk(b"IDAT", zlib.compress(b"\0" * 64)) + _png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def make_media(folder: str) -> dict[str, str]:
    import numpy
    from PIL import Image

    os.makedirs(folder, exist_ok=True)
    m = {}

    def path(name):
        m[name] = os.path.join(folder, name)
        return m[name]

    Image.new("RGBA", (40, 30), (255, 0, 0, 255)).save(path("good.png"))
    frames = [Image.new("RGB", (40, 30), (i * 20, 0, 0)) for i in range(10)]
    frames[0].save(path("good.gif"), save_all=True, append_images=frames[1:], duration=50, loop=0)
    Image.new("RGB", (64, 48), (0, 128, 255)).save(path("good.jpg"), quality=90)
    _video(path("good.mp4"))
    with open(m["good.png"], "rb") as f:
        png = f.read()
    with open(m["good.gif"], "rb") as f:
        gif = f.read()
    with open(m["good.jpg"], "rb") as f:
        jpg = f.read()
    with open(m["good.mp4"], "rb") as f:
        mp4 = f.read()
    damaged = {
        "empty.png": b"", "empty.gif": b"", "empty.jpg": b"", "empty.mp4": b"",
        "cut.png": png[: len(png) // 2], "cut.gif": gif[: len(gif) // 2],
        "cut.jpg": jpg[: len(jpg) // 2], "cut.mp4": mp4[: len(mp4) // 2],
        "header-only.png": png[:40], "header-only.gif": gif[:20],
        "garbage.png": os.urandom(4096), "garbage.gif": b"GIF89a" + os.urandom(2048),
        "garbage.jpg": b"\xff\xd8\xff" + os.urandom(4096), "garbage.mp4": os.urandom(8192),
        "text.png": "这不是图片\n".encode() * 20, "text.mp4": b"not a video\n" * 50,
        "flipped.png": png[:60] + bytes(b ^ 0xFF for b in png[60:200]) + png[200:],
    }
    for name, data in damaged.items():
        with open(path(name), "wb") as f:
            f.write(data)
    bomb_png(path("bomb.png"))
    # a GIF whose later frames are cut: the first frame reads, the rest not
    with open(path("cut-late.gif"), "wb") as f:
        f.write(gif[: int(len(gif) * 0.8)])
    for name in ("folder.mp4", "folder.png", "folder.gif"):
        os.makedirs(path(name), exist_ok=True)
    Image.fromarray(numpy.zeros((30, 40, 4), numpy.uint8)).save(path("clear.png"))
    return m


def _video(path: str) -> None:
    import numpy

    try:
        import av

        with av.open(path, "w") as c:
            s = c.add_stream("libx264", rate=10)
            s.width, s.height, s.pix_fmt = 64, 48, "yuv420p"
            for i in range(10):
                rgb = numpy.full((48, 64, 3), i * 20, numpy.uint8)
                for p in s.encode(av.VideoFrame.from_ndarray(rgb, format="rgb24")):
                    c.mux(p)
            for p in s.encode(None):
                c.mux(p)
    except ImportError:
        import cv2

        w = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"mp4v"), 10, (64, 48))
        for i in range(10):
            w.write(numpy.full((48, 64, 3), i * 20, numpy.uint8))
        w.release()


# ---- shot documents -----------------------------------------------------------------------


def shot(layer2=None, **top) -> dict:
    """A small valid shot: one picture moving over two frames; `layer2`
    replaces keys of the second frame's layer, `top` keys of the document."""
    first = {"编号": 1, "文件": "media/good.png", "横坐标": 0, "纵坐标": 10}
    second = dict(first, 横坐标=20)
    second.update(layer2 or {})
    doc = {"时长": 0.4, "宽度": 64, "高度": 48, "背景颜色": [0, 0, 0],
           "坐标字典": {"镜_起_1": [first], "镜_走_1": [second]}}
    doc.update(top)
    return doc


def with_states(states, **more) -> dict:
    return shot(dict({"状态列表": states}, **more))


def raw(doc, **texts) -> str:
    """The document as JSON text with "@name@" strings replaced by raw text
    that json.dumps would not write (NaN, 1E400, deep nesting)."""
    text = json.dumps(doc, ensure_ascii=False)
    for name, value in texts.items():
        text = text.replace(f'"@{name}@"', value)
    return text


STATE = {"编号": 1, "文件": "media/good.png", "横坐标": 5, "纵坐标": 5}


def documents() -> list[tuple[str, object, bool]]:
    """(name, document or raw text/bytes, whether it should render)."""
    big_int = int("9" * 400)
    docs = [
        ("valid", shot(), True),
        ("valid gif layer", shot({"文件": "media/good.gif"}), True),
        ("valid video layer", shot({"文件": "media/good.mp4"}), True),
        ("valid with states looped", with_states([STATE], 循环次数=2), True),
        ("bom", "\ufeff" + json.dumps(shot(), ensure_ascii=False), True),
        ("NaN x", raw(shot({"横坐标": "@x@"}), x="NaN"), False),
        ("Infinity scale", shot({"缩放比例": float("inf")}), False),
        ("-Infinity angle", raw(shot({"旋转角度": "@a@"}), a="-Infinity"), False),
        ("1e308 x", shot({"横坐标": 1e308}), False),
        ("1e400 y", raw(shot({"纵坐标": "@y@"}), y="1E400"), False),
        ("1e308 scale", shot({"缩放比例": 1e308}), False),
        ("1e308 angle", shot({"旋转角度": 1e308}), False),
        ("1e308 duration", shot(时长=1e308), False),
        ("400-digit integer x", shot({"横坐标": big_int}), False),
        ("5000-digit integer", '{"时长": 1, "坐标字典": {"a_b_1": []}, "x": ' + "9" * 5000 + "}", False),
        ("size 0x0", shot(宽度=0, 高度=0), False),
        ("size negative", shot(宽度=-64), False),
        ("size text", shot(宽度="64"), False),
        ("size 1e9", shot(高度=1e9), False),
        ("size fraction", shot(宽度=64.5), False),
        ("size null", shot(宽度=None), False),
        ("background text", shot(背景颜色="red"), False),
        ("background 300", shot(背景颜色=[300, 0, 0]), False),
        ("background two items", shot(背景颜色=[0, 0]), False),
        ("background null", shot(背景颜色=None), False),
        ("background floats", shot(背景颜色=[0.5, 0, 0]), False),
        ("file number", shot({"文件": 123}), False),
        ("file empty", shot({"文件": ""}), False),
        ("file null", shot({"文件": None}), False),
        ("file list", shot({"文件": ["media/good.png"]}), False),
        ("file NUL", shot({"文件": "media/good.png\u0000x"}), False),
        ("file missing", shot({"文件": "media/none.png"}), False),
        ("file folder x.mp4", shot({"文件": "media/folder.mp4"}), False),
        ("file folder x.png", shot({"文件": "media/folder.png"}), False),
        ("deep nesting in a layer", raw(shot({"info": "@deep@"}), deep="[" * 100000 + "]" * 100000), False),
        ("deep nesting at the top", "[" * 100000 + "]" * 100000, False),
        ("loops 0", with_states([STATE], 循环次数=0), False),
        ("loops text", with_states([STATE], 循环次数="2"), False),
        ("loops NaN", raw(with_states([STATE], 循环次数="@n@"), n="NaN"), False),
        ("loops -2", with_states([STATE], 循环次数=-2), False),
        ("loops 2.0", with_states([STATE], 循环次数=2.0), False),
        ("loops 1e9", with_states([STATE], 循环次数=10**9), False),
        ("scale 0 at the last keyframe", shot({"缩放比例": 0}), False),
        ("scale negative", shot({"缩放比例": -1}), False),
        ("scale 5000", shot({"缩放比例": 5000}), False),
        ("all weights 0", shot(坐标字典={"镜_起_0": [{"编号": 1, "文件": "media/good.png"}],
                                        "镜_走_0": [{"编号": 1, "文件": "media/good.png", "横坐标": 9}]}), False),
        ("negative weight", shot(坐标字典={"镜_起_1": [{"编号": 1, "文件": "media/good.png"}],
                                          "镜_走_-1": [{"编号": 1, "文件": "media/good.png", "横坐标": 9}]}), False),
        ("weight nan", shot(坐标字典={"镜_起_1": [{"编号": 1, "文件": "media/good.png"}],
                                     "镜_走_nan": [{"编号": 1, "文件": "media/good.png", "横坐标": 9}]}), False),
        ("weight inf", shot(坐标字典={"镜_起_1": [{"编号": 1, "文件": "media/good.png"}],
                                     "镜_走_inf": [{"编号": 1, "文件": "media/good.png", "横坐标": 9}]}), False),
        ("duration 0", shot(时长=0), False),
        ("duration negative", shot(时长=-1), False),
        ("duration text", shot(时长="3"), False),
        ("duration true", shot(时长=True), False),
        ("no coordinate dictionary", {"时长": 1}, False),
        ("coordinate dictionary a list", {"时长": 1, "坐标字典": []}, False),
        ("frame not a list", shot(坐标字典={"镜_起_1": {"编号": 1}}), False),
        ("layer a number", shot(坐标字典={"镜_起_1": [5]}), False),
        ("layer without number", shot(坐标字典={"镜_起_1": [{"文件": "media/good.png"}]}), False),
        ("layer number a list", shot({"编号": [1]}), False),
        ("layer number true", shot({"编号": True}), False),
        ("layer x true", shot({"横坐标": True}), False),
        ("layer x text", shot({"横坐标": "12"}), False),
        ("layer width text", shot({"宽度": "x", "高度": 5}), False),
        ("states a text", shot({"状态列表": "x"}), False),
        ("states of numbers", shot({"状态列表": [1, 2]}), False),
        ("state with a missing file", with_states([dict(STATE, 文件="media/none.png")]), False),
        ("pivot text", shot({"旋转中心": "abc"}), False),
        ("pivot three items", shot({"旋转中心": [1, 2, 3]}), False),
        ("relative one item", shot({"相对坐标": [1]}), False),
        ("group box two items", shot({"相对坐标": [1, 2], "大盘矩形": [1, 2]}), False),
        ("base scale 0 in a group", shot({"相对坐标": [1, 2], "大盘矩形": [0, 0, 10, 10], "原始缩放比例": 0}), False),
        ("no action frames", shot(坐标字典={"起": [], "走": []}), False),
        ("empty object", {}, False),
        ("a list", [], False),
        ("a text", "just text", False),
        ("a number", 3, False),
        ("null", None, False),
        ("broken JSON", '{"时长": 1, ', False),
        ("latin-1 bytes", b'{"\xe9": 1}', False),
        ("UTF-16 with its mark", "\ufeff{}".encode("utf-16"), False),
        ("empty file", b"", False),
    ]
    return docs


def media_cases() -> list[tuple[str, str, bool]]:
    names = ["empty.png", "empty.gif", "empty.jpg", "empty.mp4", "cut.png", "cut.gif", "cut.jpg",
             "cut.mp4", "header-only.png", "header-only.gif", "garbage.png", "garbage.gif",
             "garbage.jpg", "garbage.mp4", "text.png", "text.mp4", "flipped.png", "bomb.png",
             "cut-late.gif", "folder.mp4", "folder.png", "folder.gif"]
    good = [("good.jpg", True), ("clear.png", True)]
    return [(n, n, False) for n in names] + [(n, n, ok) for n, ok in good]


def write(path: str, content) -> None:
    if isinstance(content, bytes):
        data = content
    elif isinstance(content, str):
        data = content.encode("utf-8")
    else:
        data = json.dumps(content, ensure_ascii=False).encode("utf-8")
    with open(path, "wb") as f:
        f.write(data)


def build_cases(root: str) -> list[Case]:
    make_media(os.path.join(root, "media"))
    cases = []
    for i, (name, content, accept) in enumerate(documents()):
        p = os.path.join(root, f"shot{i:03d}.json")
        write(p, content)
        cases.append(Case("render: shot documents", name, ["render", p], accept))
    for i, (name, media, accept) in enumerate(media_cases()):
        p = os.path.join(root, f"media{i:03d}.json")
        write(p, shot({"文件": f"media/{media}"}))
        cases.append(Case("render: media", name, ["render", p], accept))
    good = os.path.join(root, "good.json")
    write(good, shot())
    for fps, accept in (("100000", False), ("1e-9", False), ("0", False), ("-5", False),
                        ("nan", False), ("inf", False), ("abc", False), ("12", True)):
        cases.append(Case("render: arguments", f"--fps {fps}", ["render", good, "--fps", fps], accept))
    a_file = os.path.join(root, "a-file")
    write(a_file, "x")
    cases.append(Case("render: arguments", "--out is a file", ["render", good, "--out", a_file]))
    cases.append(Case("render: arguments", "shot is a folder", ["render", os.path.join(root, "media")]))
    cases.append(Case("render: arguments", "shot missing", ["render", os.path.join(root, "none.json")]))
    cases += config_cases(root)
    return cases


def config_cases(root: str) -> list[Case]:
    """Narration configurations that fail (or pass) before any speech."""
    folder = os.path.join(root, "voice")
    boards, people = os.path.join(folder, "boards"), os.path.join(folder, "people")
    os.makedirs(boards, exist_ok=True)
    os.makedirs(people, exist_ok=True)
    write(os.path.join(people, "角色.txt"), [{"角色": "甲", "别名": ""}])
    write(os.path.join(boards, "一.json"), [{"序号": 1, "文案": "好", "角色": "", "类型": "普通"}])
    base = {"分镜文件夹": "boards", "角色文件夹": "people", "声音文件夹": "sounds", "朗读音量": 100,
            "音色": "cmn", "音调": 50, "情感": "", "语速": 175}
    configs = [
        ("valid", base, True),
        ("bom", "\ufeff" + json.dumps(base, ensure_ascii=False), True),
        ("NaN volume", json.dumps(base, ensure_ascii=False).replace("100", "NaN"), False),
        ("deep nesting", "[" * 100000 + "]" * 100000, False),
        ("a list", [base], False),
        ("missing key", {k: v for k, v in base.items() if k != "朗读音量"}, False),
        ("storyboards folder missing", dict(base, 分镜文件夹="nowhere"), False),
        ("storyboards folder a number", dict(base, 分镜文件夹=5), False),
        ("broken JSON", "{", False),
        ("empty file", b"", False),
    ]
    cases = []
    for i, (name, content, accept) in enumerate(configs):
        p = os.path.join(folder, f"config{i:02d}.json")
        write(p, content)
        cases.append(Case("voice: configurations", name, ["voice", p], accept))
    return cases


# ---- running --------------------------------------------------------------------------------


def _limits() -> None:
    resource.setrlimit(resource.RLIMIT_AS, (MEMORY_LIMIT, MEMORY_LIMIT))
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


def run(tazu: list[str], case: Case, out: str) -> tuple[str, str, float]:
    args = list(case.args)
    if args[0] == "render" and "--out" not in args:
        args += ["--out", out]
    if args[0] == "render" and "--fps" not in args:
        args += ["--fps", "5"]
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    started = time.monotonic()
    try:
        p = subprocess.run(tazu + args, capture_output=True, text=True, timeout=TIME_LIMIT,
                           preexec_fn=_limits, env=env, errors="replace")
    except subprocess.TimeoutExpired:
        return "hang", "", time.monotonic() - started
    spent = time.monotonic() - started
    err = p.stderr.strip()
    if p.returncode < 0:
        return "crash", f"signal {-p.returncode}", spent
    if "Traceback (most recent call last)" in err:
        last = err.splitlines()[-1]
        return "traceback", last, spent
    if p.returncode != 0:
        line = err.splitlines()[-1] if err else f"exit {p.returncode}, no message"
        return ("refused wrongly" if case.accept else "clean error"), line, spent
    return ("ok" if case.accept else "wrong, exit 0"), (p.stdout.strip().splitlines() or [""])[-1], spent


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--tazu", default=os.path.join(os.path.dirname(sys.executable), "tazu"),
                    help="the command to try (default: the tazu next to this Python)")
    ap.add_argument("--only", help="only cases whose entry point or name holds this text")
    ap.add_argument("--json", help="write every case's outcome to this file")
    ap.add_argument("-v", "--verbose", action="store_true", help="one line per case")
    args = ap.parse_args()
    root = tempfile.mkdtemp(prefix="tazu-hostile-")
    try:
        cases = build_cases(root)
        if args.only:
            cases = [c for c in cases if args.only in c.entry or args.only in c.name]
        table: dict[str, collections.Counter] = collections.defaultdict(collections.Counter)
        results = []
        for i, case in enumerate(cases):
            out = os.path.join(root, "out", str(i))
            outcome, detail, spent = run([args.tazu], case, out)
            table[case.entry][outcome] += 1
            results.append({"entry": case.entry, "case": case.name, "outcome": outcome,
                            "detail": detail, "seconds": round(spent, 2)})
            if args.verbose:
                print(f"{outcome:15} {case.entry:24} {case.name:32} {detail[:110]}", flush=True)
            shutil.rmtree(out, ignore_errors=True)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print()
    width = max(len(e) for e in table)
    print(f"{'entry point':{width}}  {'inputs':>6}  " + "  ".join(f"{o:>8}" for o in OUTCOMES))
    for entry, counts in table.items():
        print(f"{entry:{width}}  {sum(counts.values()):6d}  "
              + "  ".join(f"{counts[o]:>{max(8, len(o))}d}" for o in OUTCOMES))
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump(results, f, ensure_ascii=False, indent=1)
    bad = sum(c[o] for c in table.values() for o in ("refused wrongly", "traceback", "crash", "hang", "wrong, exit 0"))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())

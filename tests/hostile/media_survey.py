"""Survey of bad media through every entry point that reads media.

Makes a corpus of pictures, GIFs, videos and sounds, good and bad (empty, cut
short, not media at all, folders, decompression bombs, odd colour modes, EXIF
orientations, corrupt frames), then feeds each to the entry points that read
it and sorts what happens:

    ok        worked, and the picture is right where it can be checked
    reported  carried on with a message that names the file
    named     stopped with an error that names the file
    wrong     worked, but the picture is wrong (colours, orientation, opaque corners)
    unclear   stopped with an error that does not name the file
    crash     the process died (signal, out of memory) or hung

Entry points: the icon (editor, system with playback and turning, preview),
the layer player, the media helpers of `mix`, and `tazu render`. Each input
runs in a process of its own with a memory limit, so a crash or a bomb costs
only that input.

Run: .venv/bin/python tests/hostile/media_survey.py [--json FILE]
Against another checkout: PYTHONPATH=/path/to/checkout/python .venv/bin/python ...
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
import zlib

MEMORY_LIMIT = 3 << 30
TIMEOUT = 120

RED, BLUE = (255, 0, 0), (0, 0, 255)


# ----- the corpus ---------------------------------------------------------------------------


def _png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def _png_header(w, h, data=b""):
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", ihdr) + _png_chunk(b"IDAT", data)
            + _png_chunk(b"IEND", b""))


def _real_bomb(side):
    # A whole, valid picture of side × side black pixels in a few hundred kB.
    z = zlib.compressobj(9)
    row = b"\0" * (side * 3 + 1)
    data = b"".join(z.compress(row) for _ in range(side)) + z.flush()
    return _png_header(side, side, data)


def _gif_bytes(frames, size=(64, 48)):
    from PIL import Image

    images = [Image.new("RGB", size, ((40 + 50 * i) % 256, 200, 90)) for i in range(frames)]
    import io

    out = io.BytesIO()
    images[0].save(out, "GIF", save_all=True, append_images=images[1:], duration=100, loop=0)
    return out.getvalue()


def _video(path, frames, codec="mjpg", faststart=False, size=(64, 48)):
    import numpy

    if codec == "mjpg":
        import cv2

        writer = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"MJPG"), 25, size)
        for i in range(frames):
            writer.write(numpy.full((size[1], size[0], 3), (90, 200, (40 + 50 * i) % 256), numpy.uint8))
        writer.release()
        return
    import av

    options = {"movflags": "faststart"} if faststart else {}
    with av.open(path, "w", options=options) as out:
        stream = out.add_stream("libx264", rate=25)
        stream.width, stream.height, stream.pix_fmt = size[0], size[1], "yuv420p"
        for i in range(frames):
            rgb = numpy.full((size[1], size[0], 3), ((40 + 50 * i) % 256, 200, 90), numpy.uint8)
            for packet in stream.encode(av.VideoFrame.from_ndarray(rgb, format="rgb24")):
                out.mux(packet)
        for packet in stream.encode():
            out.mux(packet)


def _sound(path, codec, container, seconds=2.0, rate=22050):
    import av
    import numpy

    with av.open(path, "w", format=container) as out:
        stream = out.add_stream(codec, rate=rate, layout="mono")
        samples = (0.3 * numpy.sin(numpy.arange(int(seconds * rate)) * 0.05)).astype(numpy.float32)
        step = stream.codec_context.frame_size or 1024
        fmt = stream.codec_context.format.name
        for start in range(0, len(samples), step):
            chunk = samples[start:start + step]
            if fmt == "s16":
                frame = av.AudioFrame.from_ndarray((chunk * 32767).astype(numpy.int16)[None, :],
                                                   format="s16", layout="mono")
            else:
                frame = av.AudioFrame.from_ndarray(chunk[None, :], format="flt" if fmt == "flt" else "fltp",
                                                   layout="mono")
            frame.sample_rate = rate
            frame.pts = start
            for packet in stream.encode(frame):
                out.mux(packet)
        for packet in stream.encode():
            out.mux(packet)


def _cut(path, keep):
    data = open(path, "rb").read()
    return data[: int(len(data) * keep)] if keep < 1 else data[: len(data) - int(keep)]


def make_corpus(folder):
    """{name: (kind, check)}: kind is picture, gif, video or sound; check names
    what a right picture looks like (or None)."""
    import numpy
    from PIL import Image

    os.makedirs(folder, exist_ok=True)
    p = lambda name: os.path.join(folder, name)  # noqa: E731
    corpus = {}

    def add(name, kind, check=None, content=None):
        if content is not None:
            with open(p(name), "wb") as f:
                f.write(content)
        corpus[name] = (kind, check)

    # Pictures.
    Image.new("RGB", (64, 48), RED).save(p("ok.png"))
    add("ok.png", "picture", ["colour", (10, 10), RED])
    Image.new("RGB", (64, 48), (220, 20, 30)).convert("CMYK").save(p("cmyk.jpg"), quality=95)
    add("cmyk.jpg", "picture", ["colour", (10, 10), (220, 20, 30)])
    upright = Image.new("RGB", (64, 48), BLUE)
    upright.paste(RED, (0, 0, 32, 48))
    exif = Image.Exif()
    exif[0x0112] = 6
    upright.transpose(Image.Transpose.ROTATE_90).save(p("exif6.jpg"), exif=exif, quality=95)
    add("exif6.jpg", "picture", ["colour", (8, 24), RED])
    Image.fromarray(numpy.full((48, 64), 32896, numpy.uint16)).save(p("grey16.png"))
    add("grey16.png", "picture", ["colour", (10, 10), (128, 128, 128)])
    hole = Image.new("P", (64, 48), 1)
    hole.putpalette([0, 0, 0, 200, 30, 40] + [0] * 762)
    hole.paste(0, (0, 0, 32, 48))
    hole.save(p("palette_hole.png"), transparency=0)
    add("palette_hole.png", "picture", ["alpha", (10, 10), 0])
    Image.new("LA", (64, 48), (77, 100)).save(p("grey_alpha.png"))
    add("grey_alpha.png", "picture", ["alpha", (10, 10), 100])
    add("empty.png", "picture", content=b"")
    add("text.png", "picture", content=b"this is not a picture\n" * 20)
    noise = Image.effect_noise((64, 48), 50).convert("RGB")
    noise.save(p("noise.png"))
    noise.save(p("noise.jpg"))
    add("cut.png", "picture", content=_cut(p("noise.png"), 0.5))
    add("cut.jpg", "picture", content=_cut(p("noise.jpg"), 0.5))
    add("header_only.png", "picture", content=_cut(p("noise.png"), 0.02))
    os.remove(p("noise.png")), os.remove(p("noise.jpg"))
    add("bomb_header.png", "picture", content=_png_header(20000, 20000, zlib.compress(b"\0" * 64)))
    add("bomb_whole.png", "picture", content=_real_bomb(12000))
    os.makedirs(p("folder.png"), exist_ok=True)
    add("folder.png", "picture")
    Image.new("RGB", (64, 48), RED).save(p("png_named.gif"), format="PNG")
    add("png_named.gif", "gif", ["colour", (10, 10), RED])

    # GIFs.
    good = _gif_bytes(6)
    add("ok.gif", "gif", ["turned", None, None], content=good)
    add("empty.gif", "gif", content=b"")
    add("cut_end.gif", "gif", content=good[:-40])
    add("cut_early.gif", "gif", content=good[: len(good) // 3])
    add("header_only.gif", "gif", content=good[:13])
    broken = bytearray(good)
    at = broken.rfind(b"\x21\xf9\x04") + 8
    table = 3 * (1 << ((broken[at + 9] & 7) + 1)) if broken[at + 9] & 0x80 else 0
    broken[at + 10 + table] = 12  # LZW code size no decoder takes
    add("bad_lzw.gif", "gif", content=bytes(broken))
    bomb = bytearray(_gif_bytes(2, (8, 8)))
    bomb[6:10] = struct.pack("<HH", 65535, 65535)
    add("bomb_screen.gif", "gif", content=bytes(bomb))
    os.makedirs(p("folder.gif"), exist_ok=True)
    add("folder.gif", "gif")

    # Videos.
    _video(p("ok.avi"), 12)
    add("ok.avi", "video", ["turned", None, None])
    _video(p("ok.mp4"), 12, codec="h264")
    add("ok.mp4", "video", ["turned", None, None])
    _video(p("one_frame.mp4"), 1, codec="h264")
    add("one_frame.mp4", "video")
    add("empty.mp4", "video", content=b"")
    add("text.mp4", "video", content=b"no video in here\n" * 50)
    add("cut.mp4", "video", content=_cut(p("ok.mp4"), 0.6))
    _video(p("front.mp4"), 40, codec="h264", faststart=True)
    add("cut_faststart.mp4", "video", content=_cut(p("front.mp4"), 0.5))
    os.remove(p("front.mp4"))
    add("cut.avi", "video", content=_cut(p("ok.avi"), 0.5))
    _sound(p("sound_only.mp4"), "aac", "mp4")
    add("sound_only.mp4", "video")
    os.makedirs(p("folder.mp4"), exist_ok=True)
    add("folder.mp4", "video")

    # Sounds.
    _sound(p("ok.wav"), "pcm_s16le", "wav")
    add("ok.wav", "sound")
    _sound(p("ok.flac"), "flac", "flac")
    add("ok.flac", "sound")
    _sound(p("ok.ogg"), "libopus", "ogg", seconds=4, rate=48000)
    add("ok.ogg", "sound")
    add("empty.wav", "sound", content=b"")
    add("text.wav", "sound", content=b"RIFF....WAVE but nothing else" * 5)
    add("cut.wav", "sound", content=_cut(p("ok.wav"), 0.5))
    add("cut.flac", "sound", content=_cut(p("ok.flac"), 0.5))
    add("cut.ogg", "sound", content=_cut(p("ok.ogg"), 0.5))
    liar = bytearray(open(p("ok.flac"), "rb").read())
    total = (1 << 36) - 1
    liar[21] = (liar[21] & 0xF0) | (total >> 32)
    liar[22:26] = struct.pack(">I", total & 0xFFFFFFFF)
    add("liar.flac", "sound", content=bytes(liar))
    liar15 = bytearray(liar)
    liar15[21] = liar15[21] & 0xF0
    liar15[22:26] = struct.pack(">I", 1_500_000_000)
    add("liar_1g5.flac", "sound", content=bytes(liar15))
    wav = bytearray(open(p("ok.wav"), "rb").read())
    data_at = wav.find(b"data")
    wav[data_at + 4:data_at + 8] = struct.pack("<I", 0xFFFFFFF0)
    add("liar.wav", "sound", content=bytes(wav))
    os.makedirs(p("folder.wav"), exist_ok=True)
    add("folder.wav", "sound")
    return corpus


# ----- entry points, run inside a worker process ----------------------------------------------


def _colour_ok(surface, check):
    what, at, want = check
    if what == "turned":
        return surface.get_at((0, 0)).a == 0
    if surface is None:
        return False
    pixel = tuple(surface.get_at(at))
    if what == "alpha":
        return abs(pixel[3] - want) <= 2
    return all(abs(a - b) <= 16 for a, b in zip(pixel, want)) and pixel[3] == 255


def _entry_points(kind):
    """(name, function(path, check) -> surface or None) for a kind of input."""

    from tazu import animation, mix

    def board():
        from tazu.host import 屏幕, 画板

        folder = tempfile.mkdtemp(prefix="survey-board-")
        return 画板(屏幕(640, 360), 临时文件夹=folder)

    def icon(path, **kw):
        return animation.图标(mix.字典({"文件": path}), board(), **kw)

    def editor(path, check):
        return icon(path).image

    def system(path, check):
        ic = icon(path, 系统=True)
        for k in range(12):
            ic.更新内容(0, k / 10)
        ic.更新内容(0, 0.3)
        if check and check[0] == "turned":
            ic.旋转(30)
        return ic.image

    def preview(path, check):
        return icon(path, 预览=True).image

    def player(path, check):
        b = board()
        still = {"编号": 1, "文件": path, "横坐标": 10, "纵坐标": 10, "origin_x": 10, "origin_y": 10,
                 "宽度": 64, "高度": 48, "模式": 0, "循环": True, "缩放比例": 1, "旋转中心": "",
                 "相对坐标": None, "原始缩放比例": 1, "大盘矩形": None, "旋转角度": 0, "锁": False,
                 "循环次数": 1, "大盘旋转角度": 0, "大盘缩放比例": 1, "别名": None, "info": None}
        rec, turned = mix.字典(still), mix.字典(dict(still, 旋转角度=30))
        sprite = animation.图层精灵(画板=b, 图标字典=rec, 编号=1, 文件=path, 横坐标=10, 纵坐标=10,
                                 缩放比例=1, 单份时长=1.0, 当帧时长=0, 旋转中心="", 旋转角度=0,
                                 当前时间=0)
        sprite.检测是否终结("镜_起_1", mix.列表([rec]), 0)
        sprite.检测是否终结("镜_转_1", mix.列表([turned]), 1.0)
        library = mix.列表()
        for k in range(13):
            b.屏幕.screen.fill((0, 0, 0))
            sprite.渲染到屏幕(k / 10, b.屏幕, library)
        return None

    def component(path, check):
        return mix.游戏组件(path).image

    def grab_picture(path, check):
        return mix.抓取图片(path).surface

    def bit_depth(path, check):
        mix.get_image_bit_depth(path)
        return None

    def grab_video(path, check):
        v = mix.抓取视频(path)
        v.读取帧(0)
        return None

    def grab_sound(path, check):
        mix.抓取音频(path)
        return None

    if kind == "sound":
        return [("mix 抓取音频", grab_sound)]
    module = [("图标 (editor)", editor), ("图标 (system, played, turned)", system),
              ("图标 (preview)", preview), ("图层精灵 (played)", player)]
    if kind == "video":
        return module + [("mix 抓取视频", grab_video)]
    return module + [("mix 游戏组件", component), ("mix 抓取图片", grab_picture),
                     ("mix get_image_bit_depth", bit_depth)]


def worker(path, kind, check, skip):
    """Runs the entry points for one input from `skip` on; one JSON line each."""
    resource.setrlimit(resource.RLIMIT_AS, (MEMORY_LIMIT, MEMORY_LIMIT))
    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    import pygame

    pygame.init()
    pygame.display.set_mode((1, 1))
    from tazu import animation

    said = []
    animation.输出 = lambda *v: said.append(" ".join(map(str, v)))
    base = os.path.basename(path)
    for i, (name, run) in enumerate(_entry_points(kind)):
        if i < skip:
            continue
        print(json.dumps({"i": i, "entry": name, "started": True}), flush=True)
        said.clear()
        # Only the played icon is turned; the others show the picture as it is.
        wanted = None if check and check[0] == "turned" and "turned" not in name else check
        try:
            surface = run(path, wanted)
            if wanted and surface is not None and not _colour_ok(surface, wanted):
                outcome = "wrong"
            elif any(base in line for line in said) and not wanted:
                outcome = "reported"
            else:
                outcome = "ok"
            detail = "; ".join(said)
        except MemoryError as e:
            outcome, detail = "crash", f"MemoryError: {e}"
        except BaseException as e:  # noqa: BLE001 - sorting every failure is the point
            text = f"{type(e).__name__}: {e}"
            outcome = "named" if base in str(e) else "unclear"
            detail = text
        print(json.dumps({"i": i, "entry": name, "outcome": outcome, "detail": detail[:300]}),
              flush=True)


def run_input(path, kind, check):
    results = {}
    skip = 0
    while True:
        proc = subprocess.run(
            [sys.executable, __file__, "--worker", path, kind, json.dumps(check), str(skip)],
            capture_output=True, text=True, errors="replace", timeout=TIMEOUT * 10)
        started = None
        for line in proc.stdout.splitlines():
            if not line.startswith("{"):
                continue
            r = json.loads(line)
            if r.get("started"):
                started = r
            else:
                results[r["entry"]] = (r["outcome"], r["detail"])
                started = None
        if proc.returncode == 0 or started is None:
            if proc.returncode != 0 and started is None:
                results["(worker)"] = ("crash", proc.stderr[-300:])
            break
        tail = proc.stderr.strip().splitlines()[-1:] or [""]
        results[started["entry"]] = ("crash", f"exit {proc.returncode}: {tail[0][:200]}")
        skip = started["i"] + 1
    return results


_TAKES_FRAMES = []


def _render_takes_frames():
    # Newer commands write only a video unless asked for the frames.
    if not _TAKES_FRAMES:
        usage = subprocess.run([sys.executable, "-m", "tazu.cli", "render", "--help"],
                               capture_output=True, text=True, errors="replace").stdout
        _TAKES_FRAMES.append("--frames" in usage)
    return _TAKES_FRAMES[0]


def run_render(path, kind, check, out):
    """`tazu render` of a one-layer shot: exit status, message and, where the
    picture can be checked, the frame's pixels."""
    shot = os.path.join(out, "shot.json")
    layer = {"编号": 1, "文件": path, "横坐标": 100, "纵坐标": 100}
    turned = dict(layer, 旋转角度=30)
    turning = check and check[0] == "turned"
    frames = {"镜_起_1": [turned if turning else layer], "镜_停_1": [turned if turning else layer]}
    with open(shot, "w", encoding="utf-8") as f:
        json.dump({"时长": 1.0, "宽度": 320, "高度": 240, "背景颜色": [0, 0, 0], "坐标字典": frames},
                  f, ensure_ascii=False)
    frames_out = os.path.join(out, "frames")
    command = [sys.executable, "-m", "tazu.cli", "render", shot, "--out", frames_out, "--fps", "5"]
    if _render_takes_frames():
        command += ["--frames", frames_out]

    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (MEMORY_LIMIT, MEMORY_LIMIT))

    try:
        proc = subprocess.run(command, capture_output=True, text=True, errors="replace",
                              timeout=TIMEOUT, preexec_fn=limit)
    except subprocess.TimeoutExpired:
        return "crash", "hung"
    err = proc.stderr.strip()
    base = os.path.basename(path)
    if proc.returncode < 0:
        return "crash", f"signal {-proc.returncode}"
    if proc.returncode != 0:
        lines = [ln for ln in err.splitlines() if ln.strip() and "ALSA" not in ln]
        last = (lines[-1] if lines else "")[:300]
        if "MemoryError" in err or "bad_alloc" in err:
            return "crash", last
        how = "traceback, " if "Traceback" in err else "one line, "
        return ("named" if base in last else "unclear"), how + last
    said = proc.stdout.strip()
    if check:
        from PIL import Image

        pngs = sorted(os.path.join(r, f) for r, _, fs in os.walk(frames_out) for f in fs
                      if f.endswith(".png") and "sheet" not in f)
        if not pngs:
            return "wrong", "no frames"
        with Image.open(pngs[len(pngs) // 2]) as frame:
            frame = frame.convert("RGB")
            what, at, want = check
            if what == "turned":
                # The corner of the turned picture's box is background.
                import math

                w, h = 64, 48
                a = math.radians(30)
                bw, bh = abs(w * math.cos(a)) + abs(h * math.sin(a)), abs(w * math.sin(a)) + abs(h * math.cos(a))
                cx, cy = 100 + w / 2, 100 + h / 2
                pixel = frame.getpixel((int(cx - bw / 2) + 2, int(cy - bh / 2) + 2))
                good = pixel == (0, 0, 0)
            elif what == "alpha":
                pixel = frame.getpixel((100 + at[0], 100 + at[1]))
                good = (pixel == (0, 0, 0)) if want == 0 else True
            else:
                pixel = frame.getpixel((100 + at[0], 100 + at[1]))
                good = all(abs(x - y) <= 16 for x, y in zip(pixel, want))
        if not good:
            return "wrong", f"pixel {pixel}"
    if base in said and not check:
        return "reported", said.splitlines()[0][:300]
    return "ok", said.splitlines()[0][:300] if said else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--json", help="write every outcome to this file")
    parser.add_argument("--keep", help="make the corpus in this folder and keep it")
    parser.add_argument("--worker", nargs=4, help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.worker:
        path, kind, check, skip = args.worker
        worker(path, kind, json.loads(check), int(skip))
        return
    root = args.keep or tempfile.mkdtemp(prefix="media-survey-")
    corpus = make_corpus(os.path.join(root, "corpus"))
    table = collections.defaultdict(collections.Counter)
    rows = []
    for name, (kind, check) in corpus.items():
        path = os.path.join(root, "corpus", name)
        results = run_input(path, kind, check)
        if kind != "sound":
            out = tempfile.mkdtemp(dir=root)
            results["tazu render"] = run_render(path, kind, check, out)
            shutil.rmtree(out, ignore_errors=True)
        for entry, (outcome, detail) in results.items():
            table[entry][outcome] += 1
            rows.append({"input": name, "entry": entry, "outcome": outcome, "detail": detail})
            print(f"{name:20} {entry:32} {outcome:9} {detail[:110]}", flush=True)
    kinds = ["ok", "reported", "named", "wrong", "unclear", "crash"]
    print()
    print(f"{'entry point':32}" + "".join(f"{k:>10}" for k in kinds) + f"{'inputs':>10}")
    for entry, counts in table.items():
        print(f"{entry:32}" + "".join(f"{counts[k]:>10}" for k in kinds)
              + f"{sum(counts.values()):>10}")
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump(rows, f, ensure_ascii=False, indent=1)
    if not args.keep:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()

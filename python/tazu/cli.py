"""The `tazu` command: renders storyboard shots and voices storyboards.

    tazu render SHOT.json [--out DIR] [--fps N] [--video]
    tazu voice CONFIG.json [--shot N]
    tazu demo [--out DIR]
"""
from __future__ import annotations

import argparse
import json
import math
import os
import sys
import time
import types

# Headless by default: the command writes files, it opens no window.
os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

EXAMPLES = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "..", "examples"))

# Keys of a layer record with the values a compact shot document may leave out.
RECORD_DEFAULTS = {
    "模式": 0,
    "循环": True,
    "缩放比例": 1,
    "旋转中心": "",
    "相对坐标": None,
    "原始缩放比例": 1,
    "大盘矩形": None,
    "旋转角度": 0,
    "锁": False,
    "循环次数": 1,
    "大盘旋转角度": 0,
    "大盘缩放比例": 1,
    "别名": None,
    "info": None,
}


class CommandError(Exception):
    """A problem with the user's input, reported without a traceback."""


def _media_size(path: str) -> tuple[int, int]:
    from tazu import mix

    if mix.是否视频(path):
        w, h = mix.抓取视频(path).尺寸
        return int(w), int(h)
    from PIL import Image

    with Image.open(path) as img:
        return img.size


def complete_record(raw: dict, base: str, where: str) -> dict:
    """Fills a compact layer record up to a full keyframe state record.

    Paths are made absolute against the shot file's folder. When the size is
    missing, 横坐标/纵坐标 are read as the unturned picture's top-left corner and
    the record gets the box of the turned, scaled picture around the same centre,
    as an icon on the board would report it."""
    if not isinstance(raw, dict):
        raise CommandError(f"{where}: a layer record must be an object, not {type(raw).__name__}")
    for key in ("编号", "文件"):
        if key not in raw:
            raise CommandError(f"{where}: layer record without \"{key}\"")
    rec = dict(RECORD_DEFAULTS)
    rec.update(raw)
    path = rec["文件"]
    if not os.path.isabs(path):
        path = os.path.normpath(os.path.join(base, path))
    if not os.path.exists(path):
        hint = ""
        if os.path.dirname(path) == os.path.join(EXAMPLES, "media"):
            hint = " (the example media is made by `python examples/make_media.py` or `tazu demo`)"
        raise CommandError(f"{where}: media file not found: {path}{hint}")
    rec["文件"] = path
    for key in ("横坐标", "纵坐标", "缩放比例", "旋转角度"):
        value = rec.get(key, 0)
        if not isinstance(value, (int, float)) or isinstance(value, bool):
            raise CommandError(f"{where}: \"{key}\" must be a number, not {value!r}")
    rec.setdefault("横坐标", 0)
    rec.setdefault("纵坐标", 0)
    if "宽度" not in rec or "高度" not in rec:
        w, h = _media_size(path)
        s = rec["缩放比例"]
        w, h = w * s, h * s
        cx, cy = rec["横坐标"] + w / 2, rec["纵坐标"] + h / 2
        a = math.radians(rec["旋转角度"])
        bw = abs(w * math.cos(a)) + abs(h * math.sin(a))
        bh = abs(w * math.sin(a)) + abs(h * math.cos(a))
        rec["宽度"], rec["高度"] = bw, bh
        rec["横坐标"], rec["纵坐标"] = cx - bw / 2, cy - bh / 2
    rec.setdefault("origin_x", rec["横坐标"])
    rec.setdefault("origin_y", rec["纵坐标"])
    states = rec.pop("状态列表", None)
    return rec, states


def _read_json(path: str, what: str):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except FileNotFoundError:
        raise CommandError(f"{what} not found: {path}") from None
    except UnicodeDecodeError:
        raise CommandError(f"{path}: not UTF-8 text") from None
    except json.JSONDecodeError as e:
        raise CommandError(f"{path}: not valid JSON (line {e.lineno}): {e.msg}") from None


def load_shot(path: str) -> dict:
    """Reads a shot document: its duration, size and coordinate dictionary."""
    doc = _read_json(path, "shot file")
    if not isinstance(doc, dict) or not isinstance(doc.get("坐标字典"), dict):
        raise CommandError(f"{path}: expected an object with a \"坐标字典\" object")
    duration = doc.get("时长", 1.0)
    if not isinstance(duration, (int, float)) or duration <= 0:
        raise CommandError(f"{path}: \"时长\" must be a positive number of seconds")
    return doc


class Shot:
    """A shot turned into layer sprites, ready to be drawn at any moment."""

    def __init__(self, path: str, board) -> None:
        from tazu import animation, mix

        self.path = path
        doc = load_shot(path)
        base = os.path.dirname(os.path.abspath(path))
        self.duration = float(doc["时长"])
        self.background = tuple(doc.get("背景颜色", (0, 0, 0)))
        coords = mix.字典()
        for key, layers in doc["坐标字典"].items():
            if not isinstance(layers, list):
                raise CommandError(f"{path}: frame {key} must hold a list of layer records")
            frame = mix.列表()
            for i, raw in enumerate(layers):
                where = f"{path}: frame {key}, layer {i}"
                rec, states = complete_record(raw, base, where)
                record = mix.字典(rec)
                if states:
                    state_list = mix.列表()
                    for j, s in enumerate(states):
                        srec, _ = complete_record(s, base, f"{where}, state {j}")
                        state_list.添加(mix.字典(srec))
                    record.填写("状态列表", state_list)
                frame.添加(record)
            coords.填写(key, frame)
        self.frames = animation.提取画板纯动作(coords)
        if not self.frames:
            raise CommandError(f"{path}: no action frames (keys like \"镜头_动作_1\")")
        weights, total = animation.计算时间权重(self.frames)
        self.share = self.duration / total if total else self.duration
        self.sprites = []  # in the layer order of the first frame each layer shows in
        by_number = {}
        clock = 0.0
        for key in self.frames:
            length = weights.获取(key) * self.share
            layers = coords.获取(key)
            for rec in layers:
                number = rec.获取("编号")
                if number not in by_number:
                    sprite = animation.图层精灵(
                        画板=board, 图标字典=rec, 编号=number, 文件=rec.获取("文件"),
                        横坐标=rec.获取("横坐标"), 纵坐标=rec.获取("纵坐标"),
                        缩放比例=rec.获取("缩放比例"), 单份时长=self.share, 当帧时长=length,
                        旋转中心=rec.获取("旋转中心"), 旋转角度=rec.获取("旋转角度"),
                        当前时间=clock)
                    by_number[number] = sprite
                    self.sprites.append(sprite)
            for sprite in self.sprites:
                sprite.检测是否终结(key, layers, length)
            clock += length
        self.icons = mix.列表()

    def draw(self, screen, moment: float) -> None:
        screen.screen.fill(self.background)
        for sprite in self.sprites:
            sprite.渲染到屏幕(moment, screen, self.icons)


def make_board(width: int, height: int, temp: str):
    import pygame

    from tazu.host import 画板

    pygame.init()
    if pygame.display.get_surface() is None:
        pygame.display.set_mode((1, 1))
    return 画板(窗口宽度=width, 窗口高度=height, 临时文件夹=temp)


def render(shot_path: str, out: str, fps: float, video: bool, quiet: bool = False) -> dict:
    import cv2
    import numpy
    import pygame

    if fps <= 0:
        raise CommandError("--fps must be positive")
    doc = load_shot(shot_path)
    width, height = int(doc.get("宽度", 1280)), int(doc.get("高度", 720))
    name = os.path.splitext(os.path.basename(shot_path))[0]
    frames_dir = os.path.join(out, name)
    os.makedirs(frames_dir, exist_ok=True)
    board = make_board(width, height, os.path.join(out, ".tazu-temp"))
    shot = Shot(shot_path, board)
    screen = board.屏幕
    count = int(math.floor(shot.duration * fps + 1e-9)) + 1
    writer = None
    video_path = os.path.join(out, name + ".mp4")
    if video:
        tmp_video = os.path.join(out, ".tmp-" + name + ".mp4")
        writer = cv2.VideoWriter(tmp_video, cv2.VideoWriter_fourcc(*"mp4v"), fps, (width, height))
        if not writer.isOpened():
            raise CommandError(f"cannot write video {video_path}")
    started = time.perf_counter()
    for i in range(count):
        moment = min(i / fps, shot.duration)
        shot.draw(screen, moment)
        surface = screen.screen
        png = os.path.join(frames_dir, f"{i:04d}.png")
        pygame.image.save(surface, png + ".tmp.png")
        os.replace(png + ".tmp.png", png)
        if writer is not None:
            rgb = numpy.ascontiguousarray(pygame.surfarray.pixels3d(surface).swapaxes(0, 1))
            writer.write(cv2.cvtColor(rgb, cv2.COLOR_RGB2BGR))
    elapsed = time.perf_counter() - started
    if writer is not None:
        writer.release()
        os.replace(tmp_video, video_path)
    result = {"shot": shot_path, "frames": count, "folder": frames_dir,
              "video": video_path if video else None, "seconds": elapsed}
    if not quiet:
        print(f"rendered {count} frames of {shot_path} in {elapsed:.2f} s -> {frames_dir}"
              + (f", {video_path}" if video else ""))
    return result


def load_config(path: str) -> types.SimpleNamespace:
    """Reads a narration configuration; folders are taken relative to the file."""
    data = _read_json(path, "configuration file")
    if not isinstance(data, dict):
        raise CommandError(f"{path}: expected a JSON object")
    for key in ("分镜文件夹", "角色文件夹", "声音文件夹", "朗读音量"):
        if key not in data:
            raise CommandError(f"{path}: missing \"{key}\"")
    base = os.path.dirname(os.path.abspath(path))
    for key in ("分镜文件夹", "角色文件夹", "声音文件夹"):
        if not os.path.isabs(data[key]):
            data[key] = os.path.normpath(os.path.join(base, data[key]))
    for key in ("分镜文件夹", "角色文件夹"):
        if not os.path.isdir(data[key]):
            raise CommandError(f"{path}: \"{key}\" is not a folder: {data[key]}")
    return types.SimpleNamespace(**data)


def _shot_numbers(config, wanted) -> list:
    """The values of 序号 in the storyboards that read as `wanted`, one per spelling."""
    from tazu import mix

    found = []
    for name in mix.遍历文件夹(config.分镜文件夹):
        for shot in mix.阅读结构化文档(mix.路径(config.分镜文件夹, name)):
            number = shot.获取("序号")
            if str(number).strip() == str(wanted).strip() and number not in found:
                found.append(number)
    return found


def voice(config_path: str, shot_number=None, sounds=None) -> list[str]:
    from tazu import animation, mix

    config = load_config(config_path)
    if sounds:
        config.声音文件夹 = os.path.abspath(sounds)
    os.makedirs(os.path.join(config.声音文件夹, "原始"), exist_ok=True)
    before = set(os.listdir(config.声音文件夹))
    if shot_number is None:
        animation.生成全部声音(config)
    else:
        numbers = _shot_numbers(config, shot_number)
        if not numbers:
            raise CommandError(f"no shot numbered {shot_number} in {config.分镜文件夹}")
        # CSV documents hold numbers as text and JSON ones as numbers: ask for
        # the number as each document spells it.
        for number in numbers:
            animation.生成指定声音(config, mix.字典({"序号": number}))
    made = sorted(n for n in set(os.listdir(config.声音文件夹)) - before if n.endswith(".wav"))
    for name in made:
        print("narration:", os.path.join(config.声音文件夹, name))
    if not made:
        print("no new narration files (existing ones are kept)")
    return made


def contact_sheet(frames_dir: str, out_png: str, columns: int = 4, picks: int = 8) -> None:
    """A few frames side by side, to look at a shot at a glance."""
    from PIL import Image

    files = sorted(f for f in os.listdir(frames_dir) if f.endswith(".png"))
    if not files:
        return
    step = max(1, (len(files) - 1) // (picks - 1)) if picks > 1 else 1
    chosen = files[::step][:picks]
    if files[-1] not in chosen:
        chosen[-1] = files[-1]
    thumbs = []
    for f in chosen:
        with Image.open(os.path.join(frames_dir, f)) as img:
            thumbs.append(img.convert("RGB").resize((img.width // 4, img.height // 4)))
    w, h = thumbs[0].size
    rows = (len(thumbs) + columns - 1) // columns
    sheet = Image.new("RGB", (w * columns, h * rows), (255, 255, 255))
    for k, t in enumerate(thumbs):
        sheet.paste(t, ((k % columns) * w, (k // columns) * h))
    sheet.save(out_png)


def demo(out: str, fps: float) -> None:
    sys.path.insert(0, EXAMPLES)
    from make_media import make_media

    make_media(os.path.join(EXAMPLES, "media"))
    os.makedirs(out, exist_ok=True)
    shots_dir = os.path.join(EXAMPLES, "shots")
    for name in sorted(os.listdir(shots_dir)):
        if name.endswith(".json"):
            r = render(os.path.join(shots_dir, name), out, fps, video=True)
            sheet = os.path.join(out, os.path.splitext(name)[0] + "-sheet.png")
            contact_sheet(r["folder"], sheet)
            print("contact sheet:", sheet)
    voice(os.path.join(EXAMPLES, "config.json"), sounds=os.path.join(out, "sounds"))


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(prog="tazu", description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("render", help="render a shot document to PNG frames (and a video)")
    p.add_argument("shot")
    p.add_argument("--out", default="out")
    p.add_argument("--fps", type=float, default=25.0)
    p.add_argument("--video", action="store_true", help="also write an MP4 video")
    p = sub.add_parser("voice", help="voice every shot of the storyboards, or one by number")
    p.add_argument("config")
    p.add_argument("--shot", help="shot number (序号) to voice")
    p.add_argument("--sounds", help="sound folder, instead of the configuration's")
    p = sub.add_parser("demo", help="render and voice the bundled example")
    p.add_argument("--out", default="out/demo")
    p.add_argument("--fps", type=float, default=12.0)
    args = parser.parse_args(argv)
    try:
        if args.command == "render":
            render(args.shot, args.out, args.fps, args.video)
        elif args.command == "voice":
            voice(args.config, args.shot, args.sounds)
        else:
            demo(args.out, args.fps)
    except CommandError as e:
        print(f"tazu: {e}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""Shot documents: reading, completing compact layer records, and the layer
sprites that draw a shot at any moment."""
from __future__ import annotations

import json
import math
import os

from tazu.cli.errors import CommandError

EXAMPLES = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "examples"))

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


def _media_size(path: str) -> tuple[int, int]:
    from tazu import mix

    if mix.是否视频(path):
        w, h = mix.抓取视频(path).尺寸
    else:
        w, h = mix.抓取图片(path).尺寸  # upright, as the layer shows it
    return int(w), int(h)


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
            hint = " (the example's media is made by `tazu demo` beside a copy of the example)"
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


def read_json(path: str, what: str):
    try:
        # utf-8-sig: editors on Windows start UTF-8 files with a byte-order mark.
        with open(path, encoding="utf-8-sig") as f:
            return json.load(f)
    except FileNotFoundError:
        raise CommandError(f"{what} not found: {path}") from None
    except UnicodeDecodeError:
        raise CommandError(f"{path}: not UTF-8 text") from None
    except json.JSONDecodeError as e:
        raise CommandError(f"{path}: not valid JSON (line {e.lineno}): {e.msg}") from None
    except RecursionError:
        raise CommandError(f"{path}: JSON nested too deeply") from None
    except OSError as e:
        raise CommandError(f"cannot read {what} {path}: {e.strerror}") from None


def load_shot(path: str) -> dict:
    """Reads a shot document: its duration, size and coordinate dictionary."""
    doc = read_json(path, "shot file")
    if not isinstance(doc, dict) or not isinstance(doc.get("坐标字典"), dict):
        raise CommandError(f"{path}: expected an object with a \"坐标字典\" object")
    duration = doc.get("时长", 1.0)
    if not isinstance(duration, (int, float)) or duration <= 0:
        raise CommandError(f"{path}: \"时长\" must be a positive number of seconds")
    return doc


class Shot:
    """A shot turned into layer sprites, ready to be drawn at any moment."""

    def __init__(self, path: str, board, duration: float | None = None) -> None:
        """`duration` stretches the shot's frames over another length than its
        "时长" (an episode times a shot to its narration)."""
        from tazu import animation, mix

        self.path = path
        doc = load_shot(path)
        base = os.path.dirname(os.path.abspath(path))
        self.duration = float(doc.get("时长", 1.0) if duration is None else duration)
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



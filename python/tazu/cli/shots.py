"""Shot documents: reading, completing compact layer records, and the layer
sprites that draw a shot at any moment."""
from __future__ import annotations

import functools
import json
import math
import os

from tazu.cli.errors import CommandError

EXAMPLES = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "examples"))

# Bounds of what a shot document can mean, beyond those of each key of a
# layer record (which the module's table of the record keys holds). Beyond
# them a value is a typing slip or a hostile file: shots that never end,
# pictures millions of pixels wide.
MIN_FRAME_SIDE, MAX_FRAME_SIDE = 16, 7680  # pixels of the output picture
MAX_DURATION = 3600.0  # seconds of one shot
MAX_PICTURE_SIDE = 16384  # pixels of a layer's scaled picture
MAX_SEGMENTS = 1_000_000  # change segments of a whole shot


@functools.cache
def record_keys() -> tuple:
    """The layer record's keys, in their order: each one's name, the kind and
    bounds of its value, whether None (or "") stands for none, whether a
    record needs it, and the default of a key a compact record may leave out."""
    from tazu import animation

    return animation._record_keys()


def _show(value) -> str:
    text = repr(value)
    return text if len(text) <= 40 else text[:37] + "..."


def _number(rec: dict, key: str, where: str, low: float, high: float, *, above_low=False):
    """The record's number under `key`, which must lie in [low, high] (or
    (low, high] with `above_low`); NaN and infinities never do."""
    value = rec[key]
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise CommandError(f"{where}: \"{key}\" must be a number, not {_show(value)}")
    ok = (low < value if above_low else low <= value) and value <= high
    if not ok:
        side = "greater than" if above_low else "at least"
        raise CommandError(f"{where}: \"{key}\" must be {side} {low:g} and at most {high:g}, "
                           f"not {_show(value)}")
    return value


def _numbers(rec: dict, key: dict, where: str, count: int) -> None:
    """A pair or box of coordinates: a sequence of `count` numbers within the
    key's bounds."""
    name, value = key["name"], rec[key["name"]]
    if not isinstance(value, list) or len(value) != count:
        raise CommandError(f"{where}: \"{name}\" must be a list of {count} numbers, not {_show(value)}")
    for i, item in enumerate(value):
        _number({f"{name}[{i}]": item}, f"{name}[{i}]", where, key["low"], key["high"])
    rec[name] = tuple(value)


def _check(rec: dict, key: dict, base: str, where: str, sizes: dict | None) -> None:
    """Refuses a value the record's table does not allow under `key`."""
    name, kind = key["name"], key["kind"]
    value = rec[name]
    if (value is None and key["none"]) or (key["empty_text"] and value == ""):
        return
    if kind == "identifier":
        if isinstance(value, bool) or not isinstance(value, (int, str)):
            raise CommandError(f"{where}: \"{name}\" must be a whole number or a text, not {_show(value)}")
    elif kind == "media_file":
        rec[name] = _media_path(value, base, where, sizes)
    elif kind == "number":
        _number(rec, name, where, key["low"], key["high"])
    elif kind == "scale":
        if isinstance(value, (int, float)) and not isinstance(value, bool) and value == 0:
            raise CommandError(f"{where}: \"{name}\" must be greater than 0 (a scale of 0 would "
                               "show the picture at its full size; use a small scale such as 0.01)")
        _number(rec, name, where, key["low"], key["high"], above_low=True)
    elif kind in ("pair", "box"):
        _numbers(rec, key, where, 2 if kind == "pair" else 4)
    elif kind == "count":
        if isinstance(value, bool) or not isinstance(value, int) or not key["low"] <= value <= key["high"]:
            raise CommandError(f"{where}: \"{name}\" must be a whole number from {key['low']:g} to "
                               f"{key['high']:g}, not {_show(value)}")
    elif kind == "records" and not isinstance(value, list):
        raise CommandError(f"{where}: \"{name}\" must be a list of layer records, not {_show(value)}")


def _media_size(path: str) -> tuple[int, int]:
    from tazu import mix

    if mix.是否视频(path):
        w, h = mix.抓取视频(path).尺寸
    else:
        w, h = mix.抓取图片(path).尺寸  # upright, as the layer shows it
    return int(w), int(h)


def media_size(path: str, where: str, cache: dict | None = None) -> tuple[int, int]:
    """The pixel size of a media file, read once per file; a file that cannot
    be read is refused with the reader's reason."""
    if cache is not None and path in cache:
        return cache[path]
    try:
        size = _media_size(path)
    except Exception as e:  # noqa: BLE001 - any failure to read the file is the file's
        reason = str(e).strip().splitlines()[0] if str(e).strip() else type(e).__name__
        if path not in reason:  # the platform's readers name the file themselves
            reason = f"cannot read media file {path}: {reason}"
        raise CommandError(f"{where}: {reason}") from e
    if cache is not None:
        cache[path] = size
    return size


def _media_path(path, base: str, where: str, sizes: dict | None) -> str:
    if not isinstance(path, str) or not path.strip():
        raise CommandError(f"{where}: \"文件\" must be the name of a media file, not {_show(path)}")
    if "\0" in path:
        raise CommandError(f"{where}: \"文件\" holds a NUL character: {_show(path)}")
    if not os.path.isabs(path):
        path = os.path.normpath(os.path.join(base, path))
    if sizes is not None and path in sizes:
        return path  # read before
    if os.path.isdir(path):
        raise CommandError(f"{where}: \"文件\" is a folder, not a media file: {path}")
    if not os.path.exists(path):
        hint = ""
        if os.path.dirname(path) == os.path.join(EXAMPLES, "media"):
            hint = " (the example's media is made by `tazu demo` beside a copy of the example)"
        raise CommandError(f"{where}: media file not found: {path}{hint}")
    return path


def complete_record(raw: dict, base: str, where: str, sizes: dict | None = None) -> dict:
    """Fills a compact layer record up to a full keyframe state record, and
    refuses values that cannot be meant.

    Paths are made absolute against the shot file's folder. When the size is
    missing, 横坐标/纵坐标 are read as the unturned picture's top-left corner and
    the record gets the box of the turned, scaled picture around the same centre,
    as an icon on the board would report it. `sizes` caches media sizes by path."""
    if not isinstance(raw, dict):
        raise CommandError(f"{where}: a layer record must be an object, not {type(raw).__name__}")
    keys = record_keys()
    for key in keys:
        if key["required"] and key["name"] not in raw:
            raise CommandError(f"{where}: layer record without \"{key['name']}\"")
    rec = {key["name"]: key["default"] for key in keys if "default" in key}
    rec.update(raw)
    for key in keys:
        if key["name"] in rec:
            _check(rec, key, base, where, sizes)
    path = rec["文件"]
    states = rec.pop("状态列表", None)

    w, h = media_size(path, where, sizes)
    s = rec["缩放比例"]
    w, h = w * s, h * s
    if max(w, h) > MAX_PICTURE_SIDE:
        raise CommandError(f"{where}: \"缩放比例\" {s:g} makes the picture {w:.0f}x{h:.0f} pixels, "
                           f"larger than {MAX_PICTURE_SIDE} on a side")
    if "宽度" not in rec or "高度" not in rec:
        from tazu import animation

        x, y, rec["宽度"], rec["高度"] = animation._turned_bounds(
            rec["横坐标"], rec["纵坐标"], w, h, rec["旋转角度"])
        rec["横坐标"], rec["纵坐标"] = x, y
    rec.setdefault("origin_x", rec["横坐标"])
    rec.setdefault("origin_y", rec["纵坐标"])
    return rec, states


class _Refused:
    """Stands in for a number JSON cannot hold, so that the reader can say
    where it stands."""

    def __init__(self, text: str, reason: str) -> None:
        self.text, self.reason = text, reason


def _first_refused(value, where: list):
    """The first refused number in a parsed document and its path of keys."""
    stack = [(value, [])]
    while stack:
        item, keys = stack.pop()
        if isinstance(item, _Refused):
            where[:] = keys
            return item
        if isinstance(item, dict):
            stack.extend((v, keys + [k]) for k, v in reversed(list(item.items())))
        elif isinstance(item, list):
            stack.extend((v, keys + [str(i)]) for i, v in reversed(list(enumerate(item))))
    return None


def read_json(path: str, what: str):
    """A JSON document, with or without a UTF-8 byte-order mark. NaN,
    Infinity and numbers beyond a float's range are refused, naming where
    they stand."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        raise CommandError(f"{what} not found: {path}") from None
    except IsADirectoryError:
        raise CommandError(f"{path}: a folder, not a {what}") from None
    except OSError as e:
        raise CommandError(f"{path}: cannot read the {what}: {e.strerror or e}") from None
    try:
        # utf-8-sig: editors on Windows start UTF-8 files with a byte-order mark.
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError as e:
        line = data.count(b"\n", 0, e.start) + 1
        raise CommandError(f"{path}: not UTF-8 text (line {line})") from None
    refused = []

    def constant(name):
        refused.append(True)
        return _Refused(name, f"{name} is not a number (JSON has no {name})")

    def number(text):
        value = float(text)
        if math.isfinite(value):
            return value
        refused.append(True)
        return _Refused(text, f"the number {text[:40]} is too large")

    try:
        doc = json.loads(text, parse_constant=constant, parse_float=number)
    except json.JSONDecodeError as e:
        raise CommandError(f"{path}: not valid JSON (line {e.lineno}): {e.msg}") from None
    except RecursionError:
        raise CommandError(f"{path}: not readable JSON: nested too deeply") from None
    except ValueError as e:  # over-long integers
        raise CommandError(f"{path}: not readable JSON: {e}") from None
    if refused:
        keys: list = []
        bad = _first_refused(doc, keys)
        at = f"\"{'/'.join(map(str, keys))}\": " if keys else ""
        raise CommandError(f"{path}: {at}{bad.reason}")
    return doc


def _whole(doc: dict, key: str, path: str) -> int:
    value = doc[key]
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    if (isinstance(value, bool) or not isinstance(value, int)
            or not MIN_FRAME_SIDE <= value <= MAX_FRAME_SIDE):
        raise CommandError(f"{path}: \"{key}\" must be a whole number of pixels from {MIN_FRAME_SIDE} to "
                           f"{MAX_FRAME_SIDE}, not {_show(value)}")
    return value


def colour(value, where: str) -> tuple[int, int, int]:
    if (not isinstance(value, (list, tuple)) or len(value) not in (3, 4)
            or not all(isinstance(c, int) and not isinstance(c, bool) and 0 <= c <= 255 for c in value)):
        raise CommandError(f"{where}: a colour is a list of three whole numbers from 0 to 255, "
                           f"not {_show(value)}")
    return tuple(value[:3])


def load_shot(path: str) -> dict:
    """Reads a shot document and checks its duration (filled in when
    missing), size and background. The layer records are checked when the
    shot is set up."""
    doc = read_json(path, "shot file")
    if not isinstance(doc, dict) or not isinstance(doc.get("坐标字典"), dict):
        raise CommandError(f"{path}: expected an object with a \"坐标字典\" object")
    duration = doc.get("时长", 1.0)
    if (isinstance(duration, bool) or not isinstance(duration, (int, float))
            or not 0 < duration <= MAX_DURATION):
        raise CommandError(f"{path}: \"时长\" must be a positive number of seconds, at most "
                           f"{MAX_DURATION:g}, not {_show(duration)}")
    doc["时长"] = duration
    for key in ("宽度", "高度"):
        if key in doc:
            doc[key] = _whole(doc, key, path)
    if "背景颜色" in doc:
        doc["背景颜色"] = colour(doc["背景颜色"], f"{path}: \"背景颜色\"")
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
        self.duration = float(doc["时长"] if duration is None else duration)
        self.background = doc.get("背景颜色", (0, 0, 0))
        sizes = {}  # media sizes by path, each file read once
        segments = 0
        coords = mix.字典()
        for key, layers in doc["坐标字典"].items():
            if not isinstance(layers, list):
                raise CommandError(f"{path}: frame {key} must hold a list of layer records")
            frame = mix.列表()
            for i, raw in enumerate(layers):
                where = f"{path}: frame {key}, layer {i}"
                rec, states = complete_record(raw, base, where, sizes)
                record = mix.字典(rec)
                if states:
                    state_list = mix.列表()
                    for j, s in enumerate(states):
                        srec, _ = complete_record(s, base, f"{where}, state {j}", sizes)
                        state_list.添加(mix.字典(srec))
                    record.填写("状态列表", state_list)
                segments += rec["循环次数"] * (len(states) + 1) if states else 1
                frame.添加(record)
            coords.填写(key, frame)
        if segments > MAX_SEGMENTS:
            raise CommandError(f"{path}: its states and loops make {segments} change segments, "
                               f"more than {MAX_SEGMENTS} a shot can play")
        self.frames = animation.提取画板纯动作(coords)
        if not self.frames:
            raise CommandError(f"{path}: no action frames (keys like \"镜头_动作_1\")")
        weights, total = animation.计算时间权重(self.frames)
        for key in self.frames:
            weight = weights.获取(key)
            if not (math.isfinite(weight) and weight >= 0):
                raise CommandError(f"{path}: frame {key}: a time weight (the text after the last "
                                   f"\"_\") must be a number of 0 or more, not {weight:g}")
        if not math.isfinite(total):
            raise CommandError(f"{path}: the time weights of the frames add up to more than a number can hold")
        if total <= 0:
            raise CommandError(f"{path}: every action frame has the time weight 0, so the shot has "
                               "no time to play (the first frame is the starting pose and takes none)")
        self.share = self.duration / total
        self.sprites = []  # in the layer order of the first frame each layer shows in
        by_number = {}
        playing = []  # sprites not ended yet
        clock = 0.0
        for key in self.frames:
            length = weights.获取(key) * self.share
            own = {}  # each layer's first record in this frame, the one its sprite takes
            for rec in coords.获取(key):
                number = rec.获取("编号")
                if number in own:
                    continue
                own[number] = rec
                if number not in by_number:
                    sprite = animation.图层精灵(
                        画板=board, 图标字典=rec, 编号=number, 文件=rec.获取("文件"),
                        横坐标=rec.获取("横坐标"), 纵坐标=rec.获取("纵坐标"),
                        缩放比例=rec.获取("缩放比例"), 单份时长=self.share, 当帧时长=length,
                        旋转中心=rec.获取("旋转中心"), 旋转角度=rec.获取("旋转角度"),
                        当前时间=clock)
                    by_number[number] = sprite
                    self.sprites.append(sprite)
                    playing.append(sprite)
            # Each sprite is handed its own record alone (none ends it): the
            # same record it would find in the whole frame, without every
            # sprite walking every layer of every frame.
            still = []
            for sprite in playing:
                rec = own.get(sprite.编号)
                if not sprite.检测是否终结(key, mix.列表([] if rec is None else [rec]), length):
                    still.append(sprite)
            playing = still
            clock += length
        self.icons = mix.列表()

    def draw(self, screen, moment: float) -> None:
        screen.screen.fill(self.background)
        for sprite in self.sprites:
            sprite.渲染到屏幕(moment, screen, self.icons)


def start_offscreen() -> None:
    """pygame ready to draw shots off screen. Where this process has no display
    yet, SDL's dummy drivers are the default (a user's own setting wins):
    drawing a shot needs no window and must not open one on the desktop. A
    process that shows a window already keeps it."""
    import pygame

    if not pygame.display.get_init():
        os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
        os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    pygame.init()
    if pygame.display.get_surface() is None:
        pygame.display.set_mode((1, 1))


def make_board(width: int, height: int, temp: str):
    from tazu.host import 画板

    start_offscreen()
    return 画板(窗口宽度=width, 窗口高度=height, 临时文件夹=temp)



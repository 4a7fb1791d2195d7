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

# Bounds of what a shot document can mean. Beyond them a value is a typing
# slip or a hostile file: pictures millions of pixels wide, shots that never
# end, loops that fill the memory.
MIN_FRAME_SIDE, MAX_FRAME_SIDE = 16, 7680  # pixels of the output picture
MAX_DURATION = 3600.0  # seconds of one shot
MAX_POSITION = 1e6  # pixels, for positions, sizes and boxes
MAX_ANGLE = 1e6  # degrees
MAX_SCALE = 1000.0
MAX_PICTURE_SIDE = 16384  # pixels of a layer's scaled picture
MAX_LOOPS = 10000
MAX_SEGMENTS = 1_000_000  # change segments of a whole shot


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


def _numbers(rec: dict, key: str, where: str, count: int, *, optional_text=False) -> None:
    """A pair or box of coordinates: None, a sequence of `count` numbers, or ""
    where the record format uses it for "none" (the rotation centre)."""
    value = rec[key]
    if value is None or (optional_text and value == ""):
        return
    if not isinstance(value, list) or len(value) != count:
        raise CommandError(f"{where}: \"{key}\" must be a list of {count} numbers, not {_show(value)}")
    for i, item in enumerate(value):
        _number({f"{key}[{i}]": item}, f"{key}[{i}]", where, -MAX_POSITION, MAX_POSITION)
    rec[key] = tuple(value)


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


def _media_path(rec: dict, base: str, where: str, sizes: dict | None) -> str:
    path = rec["文件"]
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
    for key in ("编号", "文件"):
        if key not in raw:
            raise CommandError(f"{where}: layer record without \"{key}\"")
    rec = dict(RECORD_DEFAULTS)
    rec.update(raw)
    number = rec["编号"]
    if isinstance(number, bool) or not isinstance(number, (int, str)):
        raise CommandError(f"{where}: \"编号\" must be a whole number or a text, not {_show(number)}")
    path = rec["文件"] = _media_path(rec, base, where, sizes)

    rec.setdefault("横坐标", 0)
    rec.setdefault("纵坐标", 0)
    for key in ("横坐标", "纵坐标", "origin_x", "origin_y"):
        if key in rec:
            _number(rec, key, where, -MAX_POSITION, MAX_POSITION)
    for key in ("宽度", "高度"):
        if key in rec:
            _number(rec, key, where, 0, MAX_POSITION)
    _number(rec, "旋转角度", where, -MAX_ANGLE, MAX_ANGLE)
    if rec["大盘旋转角度"] is not None:
        _number(rec, "大盘旋转角度", where, -MAX_ANGLE, MAX_ANGLE)
    for key in ("缩放比例", "原始缩放比例", "大盘缩放比例"):
        if key != "缩放比例" and rec[key] is None:
            continue
        if isinstance(rec[key], (int, float)) and not isinstance(rec[key], bool) and rec[key] == 0:
            # The player shows a scale of 0 as the picture at its full size.
            raise CommandError(f"{where}: \"{key}\" must be greater than 0 (a scale of 0 would "
                               "show the picture at its full size; use a small scale such as 0.01)")
        _number(rec, key, where, 0, MAX_SCALE, above_low=True)
    _numbers(rec, "旋转中心", where, 2, optional_text=True)
    _numbers(rec, "相对坐标", where, 2)
    _numbers(rec, "大盘矩形", where, 4)
    loops = rec["循环次数"]
    if isinstance(loops, bool) or not isinstance(loops, int) or not 1 <= loops <= MAX_LOOPS:
        raise CommandError(f"{where}: \"循环次数\" must be a whole number from 1 to {MAX_LOOPS}, "
                           f"not {_show(loops)}")
    states = rec.pop("状态列表", None)
    if states is not None and not isinstance(states, list):
        raise CommandError(f"{where}: \"状态列表\" must be a list of layer records, not {_show(states)}")

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



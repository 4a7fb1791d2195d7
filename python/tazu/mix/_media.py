"""Pictures, videos, fonts and waveform bars."""
from __future__ import annotations

import contextlib
import functools
import os
import shutil
import subprocess
import warnings

import cv2
import numpy
import pygame
from PIL import Image, UnidentifiedImageError

# Bits per pixel of Pillow's image modes.
_MODE_BITS = {
    "1": 1,
    "L": 8,
    "P": 8,
    "LA": 16,
    "La": 16,
    "PA": 16,
    "I;16": 16,
    "I;16B": 16,
    "I;16L": 16,
    "RGB": 24,
    "YCbCr": 24,
    "LAB": 24,
    "HSV": 24,
    "RGBA": 32,
    "RGBa": 32,
    "RGBX": 32,
    "CMYK": 32,
    "I": 32,
    "F": 32,
}


def _require_file(path, what):
    if isinstance(path, (str, os.PathLike)) and os.path.isdir(path):
        raise IsADirectoryError(f"这是文件夹，不是{what}文件：{path}")
    if not isinstance(path, (str, os.PathLike)) or not os.path.isfile(path):
        raise FileNotFoundError(f"{what}文件不存在：{path}")


# ----- pictures as image viewers show them ---------------------------------------------

# EXIF orientation → the transpose that sets the picture upright.
_UPRIGHT = {
    2: Image.Transpose.FLIP_LEFT_RIGHT,
    3: Image.Transpose.ROTATE_180,
    4: Image.Transpose.FLIP_TOP_BOTTOM,
    5: Image.Transpose.TRANSPOSE,
    6: Image.Transpose.ROTATE_270,
    7: Image.Transpose.TRANSVERSE,
    8: Image.Transpose.ROTATE_90,
}


def _orientation(image) -> int:
    try:
        if image.format == "PNG":
            # Pillow decodes a whole PNG to look for EXIF behind the pixels; the
            # EXIF that writers put before them is read without decoding.
            raw = image.info.get("exif")
            if not raw:
                return 1
            exif = Image.Exif()
            exif.load(raw)
        else:
            exif = image.getexif()
        return int(exif.get(0x0112) or 1)
    except Exception:  # unreadable EXIF: show the picture as it is stored
        return 1


def _check_pixels(image, path):
    # Pillow's own limit (Image.MAX_IMAGE_PIXELS), so a host that changes it changes ours.
    limit = Image.MAX_IMAGE_PIXELS
    w, h = image.size
    if limit and w * h > limit:
        raise Image.DecompressionBombError(
            f"图片太大：{path}（{w}×{h} 像素，最多 {limit} 像素）")


def _picture_error(path, error):
    """A Pillow failure on `path` as an error naming the file, of the same kind."""
    if isinstance(error, Image.DecompressionBombError):
        return Image.DecompressionBombError(f"图片太大：{path}（{error}）")
    kind = UnidentifiedImageError if isinstance(error, UnidentifiedImageError) else OSError
    return kind(f"无法读取图片：{path}（{error}）")


@contextlib.contextmanager
def _opened(path):
    """Pillow's image of a picture file; its errors name the file."""
    _require_file(path, "图片")
    try:
        with warnings.catch_warnings():
            # Pictures over the limit are refused below, with the file's name.
            warnings.simplefilter("ignore", Image.DecompressionBombWarning)
            image = Image.open(path)
    except MemoryError:
        raise
    except Exception as e:
        raise _picture_error(path, e) from e
    with image:
        _check_pixels(image, path)
        yield image


def _full_range(image):
    """16-bit and 32-bit grey brought to 8 bits by scale, not by clipping."""
    values = numpy.asarray(image)
    if image.mode == "F":
        top = 1.0 if values.size and float(numpy.nanmax(values)) <= 1.0 else 255.0
        grey = numpy.nan_to_num(values / top * 255.0)
    else:
        values = values.astype(numpy.int64)
        wide = image.mode.startswith("I;16") or (values.size and values.max() > 255)
        grey = (values.clip(0, 65535) >> 8) if wide else values
    return Image.fromarray(grey.clip(0, 255).astype(numpy.uint8), "L")


def viewable_picture(image):
    """An RGB or RGBA copy of a decoded picture with the colours a viewer shows:
    palette and transparency kept as alpha, CMYK and other colour spaces in RGB,
    16-bit grey scaled to 8 bits. EXIF orientation is not applied here."""
    mode = image.mode
    if mode == "RGBA" or (mode == "RGB" and "transparency" not in image.info):
        return image
    if mode.startswith("I") or mode == "F":
        return _full_range(image).convert("RGB")
    if "A" in image.getbands() or "a" in mode or "transparency" in image.info:
        return image.convert("RGBA")
    return image.convert("RGB")


def upright_picture(image):
    """The picture turned and flipped by its EXIF orientation, as viewers show it."""
    method = _UPRIGHT.get(_orientation(image))
    return image.transpose(method) if method is not None else image


def open_picture(path):
    """The decoded picture of a file as viewers show it (upright, RGB or RGBA).

    Errors name the file: a missing file, a folder, a file Pillow cannot read or
    that is cut short, and a picture of more pixels than Pillow's limit.
    """
    with _opened(path) as image:
        try:
            image.load()
            return viewable_picture(upright_picture(image))
        except MemoryError:
            raise
        except Exception as e:
            raise _picture_error(path, e) from e


def _display_ready():
    return pygame.display.get_init() and pygame.display.get_surface() is not None


def with_alpha(surface) -> pygame.Surface:
    """The surface itself when it has per-pixel alpha, else a copy with alpha (a
    colour key becomes transparency)."""
    if surface.get_flags() & pygame.SRCALPHA:
        return surface
    if _display_ready():
        return surface.convert_alpha()
    out = pygame.Surface(surface.get_size(), pygame.SRCALPHA)
    out.blit(surface, (0, 0))
    return out


def _shown(surface) -> pygame.Surface:
    # In the display's pixel format when there is one: blitting is faster.
    return surface.convert_alpha() if _display_ready() else with_alpha(surface)


def pillow_to_surface(image) -> pygame.Surface:
    """A pygame surface with per-pixel alpha from a Pillow image of any mode.

    Every picture carries alpha, so a turned one has transparent corners.
    """
    image = viewable_picture(image)
    if image.mode == "RGB" and not _display_ready():
        image = image.convert("RGBA")
    return _shown(pygame.image.frombytes(image.tobytes(), image.size, image.mode))


# Pictures pygame decodes exactly as viewers show them, and faster than Pillow:
# 8 bits a channel, no EXIF turn, no key-colour transparency.
_PYGAME_SHOWS = {"PNG": ("RGB", "RGBA", "P", "L", "LA", "1"), "JPEG": ("RGB", "L")}


def _pygame_shows(image, path) -> bool:
    if image.mode not in _PYGAME_SHOWS.get(image.format, ()) or "transparency" in image.info:
        return False
    if _orientation(image) != 1:
        return False
    if image.format == "JPEG":
        # pygame shows a cut-off JPEG with a grey end; Pillow refuses it by name.
        with open(path, "rb") as f:
            f.seek(-2, os.SEEK_END)
            return f.read(2) == b"\xff\xd9"
    return True


def load_picture(path) -> pygame.Surface:
    """A picture file as a pygame surface with alpha, shown as viewers show it.

    Files Pillow does not know (SVG and a few others pygame reads) are loaded by
    pygame. Raises OSError naming the file when neither can read it.
    """
    unknown = None
    try:
        with _opened(path) as image:
            quick = _pygame_shows(image, path)
    except UnidentifiedImageError as e:
        unknown, quick = e, True
    if not quick:
        return pillow_to_surface(open_picture(path))
    try:
        surface = pygame.image.load(os.fspath(path))
    except (pygame.error, OSError, ValueError) as e:
        if unknown is not None:
            raise unknown from None
        raise OSError(f"无法读取图片：{path}（{e}）") from e
    return _shown(surface)


def get_image_bit_depth(path) -> int:
    """Bits per pixel of a picture file: 24 for RGB, 32 for RGBA, 8 for palette…"""
    with _opened(path) as image:
        mode = image.mode
        return _MODE_BITS.get(mode, 8 * len(image.getbands()))


_FONT_CANDIDATES = (
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/noto-cjk/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/arphic/uming.ttc",
    "/System/Library/Fonts/PingFang.ttc",
    "C:/Windows/Fonts/msyh.ttc",
    "C:/Windows/Fonts/simhei.ttf",
)


@functools.lru_cache(maxsize=1)
def font_file() -> str:
    """Path of a font that can draw Chinese; pygame's own font when none is found."""
    for path in _FONT_CANDIDATES:
        if os.path.isfile(path):
            return path
    fc_match = shutil.which("fc-match")
    if fc_match:
        try:
            found = subprocess.run(
                [fc_match, "-f", "%{file}", ":lang=zh"], capture_output=True, text=True, timeout=10
            ).stdout.strip()
        except (OSError, subprocess.SubprocessError):
            found = ""
        if found and os.path.isfile(found):
            return found
    return os.path.join(os.path.dirname(pygame.__file__), pygame.font.get_default_font())


def draw_bar_heights(bars, width, height, count, colour=(190, 200, 210, 170)):
    """Draw waveform bars into a transparent surface of the given size.

    `bars` are peak amplitudes (1.0 = full scale for float audio; larger
    values, as from integer samples, are scaled to the largest bar). Each of
    the `count` slots gets one bar, centred on the middle line.
    """
    width, height = max(0, round(width)), max(0, round(height))
    surface = pygame.Surface((width, height), pygame.SRCALPHA)
    count = int(count or 0)
    if count <= 0 or not width or not height or bars is None:
        return surface
    values = numpy.abs(numpy.asarray(list(bars)[:count], dtype=float))
    values = numpy.nan_to_num(values, nan=0.0, posinf=0.0)
    if not values.size:
        return surface
    full = max(1.0, float(values.max()))
    slot = width / count
    gap = 1 if slot >= 3 else 0
    middle = height / 2
    for i, value in enumerate(values):
        bar = min(height, max(1, round(value / full * height))) if value > 0 else 0
        if not bar:
            continue
        left = round(i * slot)
        right = max(left + 1, round((i + 1) * slot) - gap)
        top = round(middle - bar / 2)
        surface.fill(colour, pygame.Rect(left, top, right - left, bar))
    return surface


class 图片素材:
    """A picture file's size, with its pygame surface loaded on first use."""

    def __init__(self, path):
        with _opened(path) as image:
            try:
                w, h = image.size
                # Sideways orientations (5 to 8) swap the shown width and height.
                self.宽, self.高 = (h, w) if _orientation(image) in (5, 6, 7, 8) else (w, h)
                self.格式 = image.format
                self.帧数 = getattr(image, "n_frames", 1)
            except MemoryError:
                raise
            except Exception as e:
                raise _picture_error(path, e) from e
        self.路径 = os.fspath(path)
        self.尺寸 = (self.宽, self.高)
        self._surface = None

    @property
    def surface(self) -> pygame.Surface:
        if self._surface is None:
            self._surface = load_picture(self.路径)
        return self._surface

    图像 = surface

    def __repr__(self):
        return f"图片素材({self.路径!r}, {self.宽}×{self.高})"


class 视频素材:
    """A video file: size, frame rate, frame count and duration; frames on demand."""

    def __init__(self, path):
        _require_file(path, "视频")
        self.路径 = os.fspath(path)
        cap = cv2.VideoCapture(self.路径)
        if not cap.isOpened():
            cap.release()
            raise OSError(f"无法打开视频：{path}")
        self.宽 = int(cap.get(cv2.CAP_PROP_FRAME_WIDTH))
        self.高 = int(cap.get(cv2.CAP_PROP_FRAME_HEIGHT))
        self.fps = float(cap.get(cv2.CAP_PROP_FPS))
        self.帧数 = int(cap.get(cv2.CAP_PROP_FRAME_COUNT))
        if self.宽 <= 0 or self.高 <= 0:
            cap.release()
            raise OSError(f"视频没有画面：{path}")
        self.尺寸 = (self.宽, self.高)
        self.时长 = self.帧数 / self.fps if self.fps > 0 else 0.0
        self._cap = cap

    def 读取帧(self, 序号=0):
        """Frame `序号` as a pygame surface, or None past the end or when unreadable."""
        if self._cap is None:
            self._cap = cv2.VideoCapture(self.路径)
        if 序号 < 0 or (self.帧数 and 序号 >= self.帧数):
            return None
        self._cap.set(cv2.CAP_PROP_POS_FRAMES, 序号)
        ok, frame = self._cap.read()
        if not ok:
            return None
        rgb = cv2.cvtColor(frame, cv2.COLOR_BGR2RGB)
        return pygame.surfarray.make_surface(numpy.transpose(rgb, (1, 0, 2)))

    def 关闭(self):
        if self._cap is not None:
            self._cap.release()
            self._cap = None

    def __del__(self):
        cap = getattr(self, "_cap", None)
        if cap is not None:
            cap.release()

    def __repr__(self):
        return f"视频素材({self.路径!r}, {self.宽}×{self.高}, {self.fps:g} fps, {self.帧数} 帧)"


def 抓取图片(path) -> 图片素材:
    return 图片素材(path)


def 抓取视频(path) -> 视频素材:
    return 视频素材(path)


class 游戏字体:
    """A font that renders text into a 游戏组件 (a picture that can be placed).

    `文件` None uses the Chinese-capable font of `font_file()`.
    """

    def __init__(self, 文件=None, 大小=20, 颜色=(255, 255, 255), 抗锯齿=True):
        大小 = int(大小)
        if 大小 <= 0:
            raise ValueError(f"字体大小必须是正整数，得到 {大小}")
        if not pygame.font.get_init():
            pygame.font.init()
        self.文件 = font_file() if 文件 is None else os.fspath(文件)
        self.大小 = 大小
        self.颜色 = pygame.Color(颜色)
        self.抗锯齿 = 抗锯齿
        self.font = pygame.font.Font(self.文件, 大小)

    def 渲染(self, 文本, 颜色=None):
        from ._component import 游戏组件

        colour = self.颜色 if 颜色 is None else pygame.Color(颜色)
        lines = str("" if 文本 is None else 文本).split("\n")
        rendered = [self.font.render(line, self.抗锯齿, colour) for line in lines]
        width = max(s.get_width() for s in rendered)
        step = self.font.get_linesize()
        surface = pygame.Surface((max(1, width), step * (len(rendered) - 1) + rendered[-1].get_height()), pygame.SRCALPHA)
        for i, line in enumerate(rendered):
            surface.blit(line, (0, i * step))
        return 游戏组件(surface)

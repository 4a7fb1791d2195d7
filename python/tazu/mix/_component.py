"""游戏组件: a picture placed on the board that can be moved, scaled and turned.

The component keeps the unscaled, unturned picture (`origin_image`) and the
numbers that place it: the origin point (`origin_x`, `origin_y`, top-left of the
unscaled picture), `scale_ratio`, `rotate_angle` and `rotate_pivot`. The shown
picture `image` and the rectangle `矩形` are derived from them after every
change and kept as plain attributes, because players read them every frame.

Scale and rotation are absolute: `缩放(2)` twice is still twice the original
size, `旋转(30)` twice is still 30 degrees. Positive angles turn the picture the
way `pygame.transform.rotate` does (counter-clockwise on screen); the point of
the picture under the pivot stays on the pivot.

Subclasses override the public methods with their own rules, so the methods
here never call each other through `self`; they share the private helpers.
"""
from __future__ import annotations

import math
import os

import numpy
import pygame

from .._common import 对 as _pair
from .._common import 数字
from ._containers import 游戏矩形
from ._media import load_picture, with_alpha


def rotate_vector(vector, degrees):
    """Turn a 2-vector by the standard rotation matrix, in screen coordinates.

    With y pointing down, positive degrees turn clockwise on screen, the
    opposite of `pygame.transform.rotate`.
    """
    x, y = _pair(vector, "向量")
    rad = math.radians(degrees)
    c, s = math.cos(rad), math.sin(rad)
    return numpy.array((x * c - y * s, x * s + y * c), dtype=float)


def _optional_pair(value, name):
    """A pair, or None for a missing one (None, "" or an empty sequence)."""
    if value is None or (not isinstance(value, numpy.ndarray) and not value):
        return None
    return _pair(value, name)


def _is_origin_pair(value):
    pair = _optional_pair(value, "缩放中心")
    return pair is None or pair == (0, 0)


def _tidy(v):
    # Whole numbers read back as ints, so positions given as ints stay ints.
    if isinstance(v, numpy.floating):
        v = float(v)
    if isinstance(v, float) and v.is_integer():
        return int(v)
    return v


def _load_picture(path):
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError(f"图片必须是文件路径或 pygame.Surface，得到 {path!r}")
    return load_picture(path)


def _placeholder(size):
    w, h = size
    return pygame.Surface((max(0, int(w)), max(0, int(h))), pygame.SRCALPHA)


def _check_ratio(ratio):
    ratio = 数字(ratio, "缩放比例")
    if ratio < 0:
        raise ValueError(f"缩放比例不能小于 0，得到 {ratio!r}")
    return ratio


# Beyond these the picture could not be placed or held at all (pygame keeps
# rectangles in 32-bit integers; a picture of this many pixels takes 1 GiB).
_MAX_COORDINATE = 2**30
_MAX_SIDE = 2**15
_MAX_PIXELS = 2**28


def _coordinate(value, name):
    value = 数字(value, name)
    if abs(value) > _MAX_COORDINATE:
        raise ValueError(f"{name}超出范围（绝对值不能大于 {_MAX_COORDINATE}），得到 {value!r}")
    return value


def _check_size(image, ratio):
    w, h = image.get_width() * ratio, image.get_height() * ratio
    if w > _MAX_SIDE or h > _MAX_SIDE or w * h > _MAX_PIXELS:
        raise ValueError(f"缩放比例 {ratio!r} 太大：图片会有 {w:.0f}×{h:.0f} 像素")


def _check_angle(angle):
    return 数字(angle, "旋转角度")


def _turned_size(w, h, angle):
    """Size of pygame.transform.rotate's result for a w × h surface."""
    a = angle % 360
    if a % 90 == 0:
        return (h, w) if a in (90, 270) else (w, h)
    rad = angle * 0.01745329251994329
    s, c = math.sin(rad), math.cos(rad)
    cx, cy, sx, sy = c * w, c * h, s * w, s * h
    return (
        int(max(abs(cx + sy), abs(cx - sy), abs(-cx + sy), abs(-cx - sy))),
        int(max(abs(sx + cy), abs(sx - cy), abs(-sx + cy), abs(-sx - cy))),
    )


class _DerivedImage:
    """`image`: the shown picture, made from the model when first read after a change.

    Writing it (as media playback does with each new frame) shows that surface
    as it is until the next transform.
    """

    def __get__(self, obj, owner=None):
        if obj is None:
            return self
        if obj.__dict__.get("_pending") is not None:
            return obj._realise()
        return obj.__dict__.get("_image")

    def __set__(self, obj, value):
        obj.__dict__["_pending"] = None
        obj.__dict__["_image"] = value


def _scaled_size(image, ratio):
    w, h = image.get_size()
    return max(0, round(w * ratio)), max(0, round(h * ratio))


class 游戏组件:
    """Base of every picture-bearing component (icons, segment buttons)."""

    image = _DerivedImage()

    def __init__(self, 文件=None, 矩形=None, smooth=True, 原始图片=None):
        self.smooth = smooth
        self._source = 原始图片
        self._path = None
        self._scaled_cache = None
        self._turned_cache = None
        self._pending = None

        if isinstance(文件, pygame.Surface):
            picture = 文件
        elif 文件 is None:
            picture = None
        else:
            picture = _load_picture(文件)
            self._path = os.fspath(文件)

        if isinstance(矩形, pygame.Rect):
            矩形 = 游戏矩形(矩形.left, 矩形.right, 矩形.top, 矩形.bottom)
        if 矩形 is not None:
            if not isinstance(矩形, 游戏矩形):
                raise TypeError(f"矩形必须是游戏矩形，得到 {矩形!r}")
            size = (max(0, round(矩形.宽)), max(0, round(矩形.高)))
            if picture is None:
                picture = _placeholder(size)
            elif picture.get_size() != size:
                picture = self._resize(picture, size)
            left, top = 矩形.左, 矩形.上
        else:
            if picture is None:
                picture = _placeholder((1, 1))
            left, top = 0, 0

        self.origin_image = self._loaded = picture
        self.origin_x = left
        self.origin_y = top
        self.scale_ratio = 1
        self.rotate_angle = 0
        self.rotate_pivot = None
        # Top-left of the scaled, unturned picture, kept as exact floats.
        self._sx = float(left)
        self._sy = float(top)
        self.矩形 = 游戏矩形(left, left + picture.get_width(), top, top + picture.get_height())
        self._render()

    # ----- derived state ---------------------------------------------------

    def _resize(self, surface, size):
        if size == surface.get_size():
            return surface
        if 0 in size:
            return _placeholder(size)
        if self.smooth and surface.get_bitsize() >= 24:
            return pygame.transform.smoothscale(surface, size)
        return pygame.transform.scale(surface, size)

    def _scaled_centre(self):
        sw, sh = _scaled_size(self.origin_image, self.scale_ratio)
        return self._sx + sw / 2, self._sy + sh / 2

    def _render(self):
        """Recompute the rectangle from the model; the picture follows on first read.

        Callers often scale and then turn at once (the player does so every
        frame), so the pixels are produced only when `image` is read.
        """
        source = self.origin_image
        sw, sh = _scaled_size(source, self.scale_ratio)
        cx, cy = self._sx + sw / 2, self._sy + sh / 2
        angle = self.rotate_angle or 0
        if angle % 360 and sw and sh:
            w, h = _turned_size(sw, sh, angle)
            pivot = _optional_pair(self.rotate_pivot, "旋转中心")
            if pivot is not None:
                px, py = pivot
                dx, dy = rotate_vector((cx - px, cy - py), -angle).tolist()
                cx, cy = px + dx, py + dy
        else:
            angle = 0
            w, h = sw, sh
        self._pending = (source, (sw, sh), self.smooth, angle)
        self._place(cx - w / 2, cy - h / 2, w, h)

    def _realise(self):
        source, size, smooth, angle = self._pending
        self._pending = None
        cache = self._scaled_cache
        if cache is not None and cache[0] is source and cache[1] == size and cache[2] == smooth:
            scaled = cache[3]
        else:
            scaled = self._resize(source, size)
            self._scaled_cache = (source, size, smooth, scaled)
        if angle:
            cache = self._turned_cache
            if cache is not None and cache[0] is scaled and cache[1] == angle:
                image = cache[2]
            else:
                # Turned without alpha, the corners would be filled with a colour.
                image = pygame.transform.rotate(with_alpha(scaled), angle)
                self._turned_cache = (scaled, angle, image)
        else:
            image = scaled
        self.__dict__["_image"] = image
        w, h = image.get_size()
        if (w, h) != (self.w, self.h):
            # Keep the centre should the library ever size a turned picture differently.
            self._place(self.矩形.左 + (self.w - w) / 2, self.矩形.上 + (self.h - h) / 2, w, h)
        return image

    def _place(self, left, top, w, h):
        left, top = _tidy(left), _tidy(top)
        rect = self.矩形
        rect.左, rect.右, rect.上, rect.下 = left, _tidy(left + w), top, _tidy(top + h)
        rect._base = None
        self.x = self.横坐标 = left
        self.y = self.纵坐标 = top
        self.宽 = self.w = w
        self.高 = self.h = h

    def _translate(self, dx, dy):
        if not dx and not dy:
            return
        self._sx += dx
        self._sy += dy
        self.origin_x = _tidy(self.origin_x + dx)
        self.origin_y = _tidy(self.origin_y + dy)
        pivot = _optional_pair(self.rotate_pivot, "旋转中心")
        if pivot is not None:
            self.rotate_pivot = (_tidy(pivot[0] + dx), _tidy(pivot[1] + dy))
        self._place(self.矩形.左 + dx, self.矩形.上 + dy, self.w, self.h)

    def _rescale(self, ratio, 初始, centre):
        """Set the absolute scale; `centre` stays where it is on the unturned picture."""
        ratio = _check_ratio(ratio)
        _check_size(self.origin_image, ratio)
        ow, oh = self.origin_image.get_size()
        sw, sh = _scaled_size(self.origin_image, ratio)
        if 初始:
            # From the origin: the unscaled picture at the origin point, scaled about the centre.
            if _is_origin_pair(centre):
                cx, cy = self.origin_x + ow / 2, self.origin_y + oh / 2
            else:
                cx, cy = _pair(centre, "缩放中心")
            new_cx = cx + (self.origin_x + ow / 2 - cx) * ratio
            new_cy = cy + (self.origin_y + oh / 2 - cy) * ratio
        else:
            # From the picture as it is now.
            old_cx, old_cy = self._scaled_centre()
            if _is_origin_pair(centre):
                cx, cy = old_cx, old_cy
            else:
                cx, cy = _pair(centre, "缩放中心")
            old = self.scale_ratio
            if old:
                k = ratio / old
                new_cx, new_cy = cx + (old_cx - cx) * k, cy + (old_cy - cy) * k
            else:
                new_cx, new_cy = old_cx, old_cy
            # The origin follows as the unscaled picture sharing the new centre,
            # so an initial scaling about the own centre keeps the place.
            self.origin_x = _tidy(new_cx - ow / 2)
            self.origin_y = _tidy(new_cy - oh / 2)
        self.scale_ratio = ratio
        self._sx = new_cx - sw / 2
        self._sy = new_cy - sh / 2

    # ----- public operations -----------------------------------------------

    def 移动(self, x, y, 初始=False):
        """Put the picture's top-left corner at (x, y).

        The whole placement moves along (origin point and pivot included), so a
        later scaling from the origin keeps the new place. `初始` is accepted for
        callers that mark an initial placement; it changes nothing here.
        """
        x, y = _coordinate(x, "横坐标"), _coordinate(y, "纵坐标")
        self._translate(x - self.矩形.左, y - self.矩形.上)
        self.x = self.横坐标 = self.矩形.左 = _tidy(x)
        self.y = self.纵坐标 = self.矩形.上 = _tidy(y)
        self.矩形.右 = _tidy(x + self.w)
        self.矩形.下 = _tidy(y + self.h)

    def 旋转(self, 角度=0, 旋转轴位置=None):
        """Turn to `角度` degrees about `旋转轴位置` (None or "": the picture's centre)."""
        角度 = _check_angle(角度)
        _optional_pair(旋转轴位置, "旋转中心")
        self.rotate_angle = 角度
        self.rotate_pivot = 旋转轴位置
        self._render()

    def 缩放(self, 缩放比例=1, 初始=False, 缩放中心=None):
        """Scale to `缩放比例` times the original picture.

        The centre (None or (0, 0): the picture's own centre) keeps its place.
        With `初始` the scaling starts from the origin point (the unscaled
        picture at `origin_x`, `origin_y`), otherwise from the picture as it
        is. A turned picture stays turned about its pivot.
        """
        self._rescale(缩放比例, 初始, 缩放中心)
        self._render()

    def 被动缩放(self, 缩放比例=1, 大盘中心=None, 大盘向量=None, 原始缩放比例=1):
        """Scale with the group: rescale, then put the picture's centre at
        大盘中心 + 大盘向量 × 缩放比例 / 原始缩放比例."""
        centre = _optional_pair(大盘中心, "大盘中心")
        vector = _optional_pair(大盘向量, "大盘向量")
        if centre is not None and vector is not None and not 原始缩放比例:
            raise ZeroDivisionError("原始缩放比例不能为 0")
        self._rescale(缩放比例, False, None)
        self._render()
        if centre is None:
            return
        gx, gy = centre
        if vector is not None:
            k = self.scale_ratio / 原始缩放比例
            gx, gy = gx + vector[0] * k, gy + vector[1] * k
        self._translate(gx - (self.矩形.左 + self.w / 2), gy - (self.矩形.上 + self.h / 2))

    def 替换图片(self, 路径):
        """Show another picture file, keeping place, scale and rotation.

        Returns False (and keeps the current picture) when no path is given.
        """
        if 路径 is None:
            return False
        if (
            self._path is not None
            and os.fspath(路径) == self._path
            and self.origin_image is self._loaded
        ):
            return True
        return self._swap_picture(路径)

    def 刷新图片(self, 路径):
        """Load the picture file again from disk, even when it is the same path."""
        if 路径 is None:
            return False
        return self._swap_picture(路径)

    def _swap_picture(self, path):
        picture = path if isinstance(path, pygame.Surface) else _load_picture(path)
        self._path = None if isinstance(path, pygame.Surface) else os.fspath(path)
        self.origin_image = self._loaded = picture
        self._render()
        return True

    def 是否在矩形内(self, 点, 矩形=None):
        """Truthy when the point lies inside the rectangle (right and bottom edges excluded)."""
        if 矩形 is None:
            矩形 = self.矩形
        x, y = _pair(点, "点")
        if isinstance(矩形, 游戏矩形):
            return 矩形.左 <= x < 矩形.右 and 矩形.上 <= y < 矩形.下
        rect = pygame.Rect(矩形)
        return rect.left <= x < rect.right and rect.top <= y < rect.bottom

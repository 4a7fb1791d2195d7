"""画板: the reference drawing board.

The board keeps the icons of the canvas in drawing order (`图标列表`, last on
top), the selected icon and the multi-selection, the groups of icons, the frame
list of the shot on show, and requests that need the host's UI (a file to pick,
a text to type). Icons, sprites and widgets of the animation module call the
members below.
"""
from __future__ import annotations

import copy
import json
import math
import numbers
import os
import re
import sys
import tempfile
import unicodedata
import weakref

import pygame

from .frames import 帧列表
from .screen import 混合模式顺序
from .screen import 屏幕 as _屏幕类

# Numbers typed into dialogs: optional sign, digits; decimals for floats.
_整数文本 = re.compile(r"[+-]?[0-9]+")
_小数文本 = re.compile(r"[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][+-]?[0-9]+)?")

# Offset of a copied icon from its original, in standard data.
复制偏移 = 20
# Font size of a text layer without one, in standard data.
默认字体大小 = 48


# The pick button's own label, for a layer without a colour.
取色按钮文字 = "选取颜色（默认黑）"


def _解析颜色(colour):
    """pygame Color of a text colour ("#203080", "203080", a name, (r, g, b)); None if none."""
    if colour in ("", None):
        return None
    if isinstance(colour, str) and re.fullmatch(r"[0-9a-fA-F]{6}", colour):
        colour = "#" + colour
    try:
        return pygame.Color(colour)
    except (ValueError, TypeError):
        return None


_对话框类 = {}


def _记下调色板的对话框类():
    """The module's 字体输入框, remembering the colour picker it opened last.

    Made from the class the module has now, so a host's replacement is used.
    """
    import tazu.animation as animation

    base = animation.字体输入框
    cls = _对话框类.get(base)
    if cls is None:
        def 开启选色(self):
            base.开启选色(self)
            picker = self.colour_picker
            self._调色板 = None if picker is None else weakref.ref(picker)

        cls = _对话框类[base] = type(base.__name__, (base,), {"开启选色": 开启选色})
    return cls


def _输出(*values):
    try:
        from tazu.mix import 输出
    except ImportError:  # a host running with another platform layer
        print(*values, flush=True)
    else:
        输出(*values)


def _取(记录, 键, 默认=None):
    if isinstance(记录, dict):
        return 记录.get(键, 默认)
    value = 记录.获取(键)
    return 默认 if value is None else value


def _有(记录, 键):
    if isinstance(记录, dict):
        return 键 in 记录
    return 记录.获取(键) is not None


def _对(value):
    """Two items from a tuple, list, array or a record answering 获取(0/1)."""
    try:
        return value[0], value[1]
    except (TypeError, KeyError, IndexError):
        return value.获取(0), value.获取(1)


def _文本化(value):
    """Text the user typed: numbers pass through, text is normalised and trimmed."""
    if isinstance(value, str):
        # Full-width digits and signs from a Chinese input method count too.
        return unicodedata.normalize("NFKC", value).strip()
    return value


def _组件基类(icon):
    for cls in type(icon).__mro__:
        if cls.__name__ == "游戏组件":
            return cls
    return None


class 画板:
    """The drawing board the animation module works with."""

    def __init__(self, 屏幕=None, 临时文件夹=None, 窗口宽度=None, 窗口高度=None,
                 实际画布宽度=None, 实际画布高度=None, 适配比例=1, 开发者模式=False,
                 帧切割阈值=10):
        if 屏幕 is None:
            屏幕 = _屏幕类(窗口宽度 or 1280, 窗口高度 or 720, 适配比例=适配比例)
        self.屏幕 = 屏幕
        w, h = 屏幕.screen.get_size()
        self.窗口宽度 = w if 窗口宽度 is None else 窗口宽度
        self.窗口高度 = h if 窗口高度 is None else 窗口高度
        self.实际画布宽度 = self.窗口宽度 if 实际画布宽度 is None else 实际画布宽度
        self.实际画布高度 = self.窗口高度 if 实际画布高度 is None else 实际画布高度
        if 临时文件夹 is None:
            临时文件夹 = os.path.join(tempfile.gettempdir(), "tazu")
        self.临时文件夹 = os.fspath(临时文件夹)
        os.makedirs(os.path.join(self.临时文件夹, "optimize_png"), exist_ok=True)
        self.画布激活 = True
        self.开发者模式 = 开发者模式
        self.帧切割阈值 = 帧切割阈值

        self.图标列表 = []
        self.选中图标 = None
        self.组合列表 = []
        self.帧 = 帧列表()
        # Called with the board after a cut or stitch, so the host can rebuild its strip.
        self.帧变化回调 = None
        # Requests that need the host's UI: (action name, icon) pairs, oldest first.
        self.待处理 = []
        # Action name -> callable(icon) the host registers to handle a request at once.
        self.动作处理 = {}
        # Last state record applied to each (file, number), by 快照图标.
        self.快照 = {}
        self.最近事件 = None
        self.最近导出 = None
        self._镜像来源 = {}
        self._拖动 = None
        self._路径缓存 = {}
        # Segment buttons of the frames along the bottom (建立帧条), or empty.
        self.帧条 = []
        self._帧条参数 = None
        # The module's text dialog, made on first use by 打开字体输入框.
        self.字体输入框 = None

    # ----- icons and selection ---------------------------------------------------

    def 添加图标(self, icon):
        self.图标列表.append(icon)
        return icon

    def _序号(self, icon):
        # Icons compare by number, so search by identity.
        for i, item in enumerate(self.图标列表):
            if item is icon:
                return i
        return -1

    def 选择(self, icon, 多选=False):
        """Select an icon; with 多选 toggle it in the multi-selection instead."""
        if 多选:
            icon.多选选中 = not getattr(icon, "多选选中", False)
            return
        for item in self.图标列表:
            if item is not icon and getattr(item, "激活", False):
                item.激活 = False
            if item is not icon:
                item.多选选中 = False
        self.选中图标 = icon
        if icon is not None:
            icon.激活 = True

    def 取消选择(self):
        for item in self.图标列表:
            item.激活 = False
            item.多选选中 = False
        self.选中图标 = None

    def 选中集合(self):
        """The selected icon and the multi-selected ones, in drawing order."""
        return [item for item in self.图标列表
                if item is self.选中图标 or getattr(item, "多选选中", False)]

    def 新编号(self):
        return max((getattr(i, "编号", 0) or 0 for i in self.图标列表), default=0) + 1

    def 绘制(self):
        """Draw every icon, bottom first, then the open menus and selectors."""
        for icon in self.图标列表:
            icon.绘制()
        for button in self.帧条:
            button.绘制()
        for icon in self.图标列表:
            for name in ("图标状态选项", "当前菜单"):
                popup = getattr(icon, name, None)
                if popup:
                    popup.绘制(self.屏幕)

    # ----- gestures ---------------------------------------------------------------------

    def 处理事件(self, e):
        """Route one board event to the icons; True when the board used it.

        Left press: the open menu or keyframe selector first, then the topmost
        icon under the pointer is selected (shift adds it to the
        multi-selection; a second press within 300 ms opens its menu) and a
        drag moves it. Right press and drag turns it about its centre. The
        wheel scales it, the arrow keys nudge it, Delete removes it. A grouped
        icon moves and scales with its whole group. A colour chosen in the
        text dialog's colour picker goes to that dialog.
        """
        self.最近事件 = e
        t = e.类型
        # The picker answers through the event queue; no picker exists before
        # pygame_gui is loaded.
        gui = sys.modules.get("pygame_gui")
        if gui is not None and t == gui.UI_COLOUR_PICKER_COLOUR_PICKED:
            return self._颜色已选(e)
        if not self.画布激活:
            return False
        icon = self.选中图标
        # pygame also reports the wheel as buttons 4 and 5; they are no clicks.
        click = e.按钮 in (1, 3)
        if self.帧条 and click and t == pygame.MOUSEBUTTONDOWN:
            if any([b.鼠标按下(e) for b in self.帧条]):
                return True
        if self.帧条 and click and t == pygame.MOUSEBUTTONUP:
            for b in list(self.帧条):
                if b.鼠标弹起(e):
                    return True
        if t == pygame.MOUSEBUTTONDOWN and click:
            return self._按下(e)
        if t == pygame.MOUSEMOTION and icon is not None and self._拖动:
            if self._拖动 == "移动":
                group = self.所在组合(icon)
                if group and icon.移动锚点:
                    hx, hy = icon.移动锚点
                    self.平移组合(icon, e.坐标[0] - hx - icon.x, e.坐标[1] - hy - icon.y)
                else:
                    icon.鼠标移动(e)
            else:
                icon.鼠标旋转(e, 旋转中心=icon.临时旋转中心)
            return True
        if t == pygame.MOUSEBUTTONUP and click:
            self._拖动 = None
            if icon is None:
                return False
            icon.移动锚点 = None
            icon.移动中 = icon.旋转中 = False
            icon.鼠标弹起(e)
            return True
        if t == pygame.MOUSEWHEEL and icon is not None:
            if self.所在组合(icon):
                self.缩放组合(icon, e.纵坐标 / 10)
            else:
                icon.鼠标缩放(e)
            return True
        if t == pygame.KEYDOWN and icon is not None:
            steps = {pygame.K_UP: (0, -2), pygame.K_DOWN: (0, 2),
                     pygame.K_LEFT: (-2, 0), pygame.K_RIGHT: (2, 0)}
            if e.键盘 in steps:
                if self.所在组合(icon):
                    self.平移组合(icon, *steps[e.键盘])
                else:
                    icon.键盘微调(e)
                return True
            if e.键盘 in (pygame.K_DELETE, pygame.K_BACKSPACE):
                self.删除图标()
                return True
        return False

    def _按下(self, e):
        for item in reversed(self.图标列表):
            if getattr(item, "当前菜单", None) and item.处理图标菜单(e):
                return True
            if getattr(item, "图标状态选项", None) and item.处理图标状态(e):
                return True
        hit = next((item for item in reversed(self.图标列表) if item.检查(e)), None)
        if hit is None:
            for item in self.图标列表:
                if hasattr(item, "取消激活"):
                    item.取消激活()
            self.取消选择()
            return False
        if pygame.key.get_mods() & pygame.KMOD_SHIFT and self.选中图标 is not None:
            self.选择(hit, 多选=True)
            return True
        if hit is not self.选中图标:
            if self.选中图标 is not None and hasattr(self.选中图标, "取消激活"):
                self.选中图标.取消激活()
            self.选择(hit)
        hit.选中()
        x, y = e.坐标
        if e.按钮 == 1:
            hit.移动锚点 = (x - hit.x, y - hit.y)
            hit.移动中 = True
            self._拖动 = "移动"
        else:
            hit.临时旋转中心 = (hit.x + hit.宽 / 2, hit.y + hit.高 / 2)
            hit.旋转中 = True
            self._拖动 = "旋转"
        return True

    def 平移组合(self, icon, dx, dy):
        """Move the icon's group (or the icon) by (dx, dy) actual pixels; a locked member holds all."""
        members = self.所在组合(icon) or [icon]
        if not dx and not dy or any(getattr(m, "锁", False) for m in members):
            return
        conv = self.屏幕.实际画板转标准数据
        for m in members:
            if hasattr(m, "取消菜单"):
                m.取消菜单()
            m.移动(conv(m.矩形.左 + dx), conv(m.矩形.上 + dy))

    def 缩放组合(self, icon, 增量):
        """Change the group's scale by 增量 about the group's centre; None when refused."""
        members = self.所在组合(icon)
        if not members or any(getattr(m, "锁", False) for m in members):
            return None
        k = icon.scale_ratio / icon.原始缩放比例 + 增量
        if k <= 0:
            return None
        left, top, bottom, right = self.获取组合矩形(icon)
        centre = (left + (right - left) / 2, top + (bottom - top) / 2)
        for m in members:
            m.被动缩放(m.原始缩放比例 * k, centre)
            # In actual-board terms like scale_ratio, so an icon at the standard
            # scale 1 that only follows its group has the group's scale.
            m.大盘缩放比例 = self.屏幕.标准数据转实际画板(k)
        return k

    # ----- groups ---------------------------------------------------------------------

    def 所在组合(self, icon):
        for group in self.组合列表:
            if any(member is icon for member in group):
                return group
        return None

    def 获取组合矩形(self, icon):
        """(left, top, bottom, right) of the icon's group, in actual-board pixels.

        For an icon in no group of this board: the group box its last applied
        record gave, kept centred on the group centre the icon infers; failing
        that, the icon's own rectangle.
        """
        group = self.所在组合(icon)
        if group:
            rects = [m.矩形 for m in group]
            return (min(r.左 for r in rects), min(r.上 for r in rects),
                    max(r.上 + r.高 for r in rects), max(r.左 + r.宽 for r in rects))
        box = getattr(icon, "_画板大盘矩形", None)
        if box is not None and getattr(icon, "相对坐标", None) is not None \
                and len(icon.相对坐标) and hasattr(icon, "推算大盘中心"):
            left, top, bottom, right = box
            try:
                gx, gy = icon.推算大盘中心()
            except (ZeroDivisionError, TypeError, ValueError):
                return tuple(box)
            hw, hh = (right - left) / 2, (bottom - top) / 2
            return (gx - hw, gy - hh, gy + hh, gx + hw)
        r = icon.矩形
        return (r.左, r.上, r.上 + r.高, r.左 + r.宽)

    def 标记相对坐标(self, icon):
        """Record the icon's vector from its group's centre anew.

        An icon in no group of this board keeps the vector it has: its own
        rectangle is no group box, and a vector from it would be zero.
        """
        if self.所在组合(icon) is None and getattr(icon, "_画板大盘矩形", None) is None:
            return
        icon.设置相对坐标(*self.获取组合矩形(icon))

    def _解散(self, group):
        self.组合列表 = [g for g in self.组合列表 if g is not group]
        for icon in group:
            icon.相对坐标 = None
            icon.原始缩放比例 = 1
            icon.大盘旋转角度 = 0
            icon.大盘缩放比例 = 1
            if hasattr(icon, "_画板大盘矩形"):
                icon._画板大盘矩形 = None

    def 组合(self):
        """Group the selected icons (at least two) into one new group."""
        members = self.选中集合()
        if len(members) < 2:
            _输出("请至少多选两个图标再组合")
            return
        for icon in members:
            old = self.所在组合(icon)
            if old is not None:
                old[:] = [m for m in old if m is not icon]
                if len(old) < 2:
                    self._解散(old)
        self.组合列表.append(list(members))
        for icon in members:
            icon._画板大盘矩形 = None
            self.标记相对坐标(icon)

    def 取消组合(self):
        """Dissolve every group a selected icon belongs to."""
        for icon in self.选中集合():
            group = self.所在组合(icon)
            if group is not None:
                self._解散(group)

    # ----- applying records -----------------------------------------------------------

    def 调整新图标初始状态(self, 记录, icon, **关键字):
        """Put the icon into the state the record describes.

        The record is standard data (a keyframe state record); positions,
        sizes, scales and the group vector and box are converted to the actual
        board. Keywords override the record: 锁, 文本, 字体, 字体大小 and
        文本颜色 (the text may be JSON text, as records store it). 系统 is
        accepted for callers that mark system adjustments; the board always
        adjusts (locks guard the user's gestures, not the board).
        """
        conv = self.屏幕.标准数据转实际画板

        def number(key):
            v = _取(记录, key)
            return None if v is None else conv(v)

        def pair(v):
            a, b = _对(v)
            return conv(a), conv(b)

        # Everything is read and converted first, so a bad value raises before
        # the icon changes. Only what the record holds is applied.
        origin = (number("origin_x"), number("origin_y"))
        has_origin = None not in origin
        ratio = _取(记录, "缩放比例") if _有(记录, "缩放比例") else None
        if ratio is not None:
            conv(ratio)
        turn = _有(记录, "旋转角度") or _有(记录, "旋转中心")
        if _有(记录, "旋转中心"):
            raw = _取(记录, "旋转中心")
            pivot = pair(raw) if raw else None
        else:
            pivot = icon.rotate_pivot
        angle = _取(记录, "旋转角度") if _有(记录, "旋转角度") else icon.rotate_angle
        if angle is not None and (isinstance(angle, bool) or not isinstance(angle, numbers.Real)):
            raise TypeError(f"旋转角度必须是数字，得到 {angle!r}")
        position = (number("横坐标"), number("纵坐标"))
        group_scale, base_scale = number("大盘缩放比例"), number("原始缩放比例")
        vector = box = None
        if _有(记录, "相对坐标"):
            vector = _取(记录, "相对坐标")
            vector = pair(vector) if vector else None
            box = _取(记录, "大盘矩形")
            box = tuple(conv(v) for v in box) if vector and box else None

        self._应用文件(记录, icon)
        self._应用文本(记录, icon, 关键字)
        if has_origin:
            icon.origin_x, icon.origin_y = origin
        if has_origin or ratio is not None:
            if ratio is None:
                ratio = self.屏幕.实际画板转标准数据(icon.scale_ratio)
            self._缩放(icon, ratio)
        if turn:
            icon.旋转(angle or 0, 旋转轴位置=pivot, 系统=True)
        if None not in position:
            icon.移动(*position, 初始=True, 系统=True)

        for key in ("模式", "循环", "循环次数", "大盘旋转角度", "别名", "info"):
            if _有(记录, key):
                setattr(icon, key, _取(记录, key))
        if group_scale is not None:
            icon.大盘缩放比例 = group_scale
        if base_scale is not None:
            icon.原始缩放比例 = base_scale
        if _有(记录, "相对坐标"):
            icon.相对坐标 = vector
            icon._画板大盘矩形 = box
        lock = 关键字["锁"] if "锁" in 关键字 else _取(记录, "锁")
        if lock is not None:
            icon.锁 = lock

    def _缩放(self, icon, ratio):
        # Scale from the origin point, as the record's origin describes the
        # unscaled picture; the icon converts the standard ratio itself.
        icon.缩放(ratio or 1, 初始=True, 系统=True)

    def _应用文件(self, 记录, icon):
        path = _取(记录, "文件")
        if not path or not isinstance(path, (str, os.PathLike)):
            return
        path = self._绝对路径(path, 相对于工作目录=True)
        current = getattr(icon, "_文件", None) or getattr(icon, "_path", None)
        if current is not None and self._绝对路径(current) == path:
            return
        if not os.path.exists(path):
            _输出("图层文件不存在：" + path)
            return
        icon.替换图片(path)
        icon._画板文本 = None

    def _绝对路径(self, path, 相对于工作目录=False):
        # The player applies records every frame; resolving paths is cached.
        key = (os.fspath(path), 相对于工作目录)
        found = self._路径缓存.get(key)
        if found is None:
            p = key[0]
            if 相对于工作目录 and not os.path.isabs(p):
                p = os.path.join(self._工作目录(), p)
            found = self._路径缓存[key] = os.path.abspath(p)
        return found

    @staticmethod
    def _工作目录():
        import sys

        module = sys.modules.get("tazu.animation")
        return getattr(module, "tazu_current_directory", None) or os.getcwd()

    def _应用文本(self, 记录, icon, 关键字):
        def pick(key):
            return 关键字[key] if key in 关键字 else _取(记录, key)

        text = pick("文本")
        if not text:
            return
        text = str(text)
        if len(text) >= 2 and text[0] == '"' == text[-1]:
            try:
                decoded = json.loads(text)
            except ValueError:
                decoded = None
            if isinstance(decoded, str):
                text = decoded
        font, size, colour = pick("字体") or "", pick("字体大小") or "", pick("文本颜色") or ""
        if hasattr(icon, "设置文本"):
            icon.设置文本(text)
        else:
            icon.文本 = text
        icon.字体, icon.字体大小, icon.文本颜色 = font, size, colour
        self._画文本(icon, text, font, size, colour)

    def _画文本(self, icon, text, font, size, colour):
        key = (text, str(font), str(size), str(colour), self.屏幕.适配比例)
        cached = getattr(icon, "_画板文本", None)
        if cached is not None and cached[0] == key and icon.origin_image is cached[1]:
            return
        picture = self.文本图片(text, font, size, colour)
        base = _组件基类(icon)
        # The base class's refresh takes a Surface and keeps place, scale and turn;
        # the icon's own refresh would record the Surface as its source file.
        (base.刷新图片 if base is not None else type(icon).刷新图片)(icon, picture)
        icon._画板文本 = (key, icon.origin_image)

    def 文本图片(self, text, font="", size="", colour=""):
        """A transparent picture of the text, one line per "\\n", in actual-board pixels."""
        n = self.确保正整数(size) if size not in ("", None) else None
        px = max(1, round(self.屏幕.标准数据转实际画板(n or 默认字体大小)))
        face = pygame.font.Font(self._字体文件(font), px)
        rgb = _解析颜色(colour)
        if rgb is None:
            if colour not in ("", None):
                _输出(f"无法识别的文本颜色：{colour!r}，改用黑色")
            rgb = pygame.Color(0, 0, 0)
        lines = [face.render(line, True, rgb) for line in text.split("\n")]
        width = max(s.get_width() for s in lines)
        height = sum(s.get_height() for s in lines)
        picture = pygame.Surface((max(1, width), max(1, height)), pygame.SRCALPHA)
        y = 0
        for s in lines:
            picture.blit(s, (0, y))
            y += s.get_height()
        return picture

    @staticmethod
    def _字体文件(font):
        if font and os.path.isfile(os.fspath(font)):
            return os.fspath(font)
        if font:
            found = pygame.font.match_font(str(font))
            if found:
                return found
        try:
            from tazu.mix import font_file
        except ImportError:
            return None
        return font_file()

    def 快照图标(self, 图标字典, icon, 系统=True):
        """Place the icon in the frame state the player hands over and keep it.

        The player calls this with the segment's start state before it turns
        and scales the icon to the moment; the record is kept under (file,
        number) so the host can see what each layer last showed.
        """
        self.调整新图标初始状态(图标字典, icon, 系统=系统)
        self.快照[(_取(图标字典, "文件"), _取(图标字典, "编号"))] = 图标字典

    # ----- frames -----------------------------------------------------------------------

    @property
    def 帧列表(self):
        """The action keys of the shot on show, in play order."""
        return list(self.帧.键)

    def 坐标字典(self):
        """The shot as a 字典 of action key -> frame data, in play order."""
        from tazu.mix import 字典

        return 字典((k, self.帧.数据[k]) for k in self.帧.键)

    def 所有帧(self):
        """The action keys as a 列表, as the time-weight function takes them."""
        from tazu.mix import 列表

        return 列表(self.帧.键)

    def 设置帧(self, 动作键, 数据=None):
        self.帧.设置(动作键, 数据)

    def 是否开始动作键(self):
        """True while the shot's starting pose (its first of several frames) is on show."""
        return self.帧.当前 == 0 and len(self.帧) > 1

    def _帧已变(self):
        if self._帧条参数 is not None:
            self.建立帧条(*self._帧条参数)
        if self.帧变化回调 is not None:
            self.帧变化回调(self)

    def 建立帧条(self, 字体=None, 高度=50, 起始帧宽度=80):
        """Segment buttons for the frames, in a row below the canvas.

        Widths follow the time weights; the starting pose of a multi-frame
        shot gets a fixed width and no weight, so it is neither cut nor
        stitched. A click shows that frame; the strip is rebuilt after every
        cut or stitch. Sizes are actual-board pixels.
        """
        import tazu.animation as animation
        from tazu.mix import 游戏字体, 游戏矩形

        if 字体 is None:
            字体 = 游戏字体(大小=max(12, round(16 * self.屏幕._fit_ratio)))
        self._帧条参数 = (字体, 高度, 起始帧宽度)
        keys = self.帧.键
        weights = [None if i == 0 and len(keys) > 1 else self.帧.权重(i) for i in range(len(keys))]
        rest = self.窗口宽度 - 起始帧宽度 * weights.count(None)
        total = sum(w for w in weights if w is not None)
        r = self.屏幕.适配比例
        top = self.实际画布高度
        x = 0
        self.帧条 = []
        for i, key in enumerate(keys):
            if weights[i] is None:
                width = 起始帧宽度
            else:
                width = rest * weights[i] / total if total > 0 else rest / max(1, len(keys))
            # The button scales its rectangle from standard data itself.
            rect = 游戏矩形(x / r, (x + width) / r, top / r, (top + 高度) / r)
            # The shot's name in front of the action is the same on every button.
            parts = key.split("_")
            label = " ".join(parts[1:]) if len(parts) > 2 else key
            button = animation.联合按钮(self, rect, label, self._选帧, 字体, 序号=i,
                                     权重=weights[i], 信息=key)
            if i == self.帧.当前:
                button.选中()
            self.帧条.append(button)
            x += width
        return self.帧条

    def _选帧(self, 信息=None):
        if 信息 in self.帧.键:
            self.帧.当前 = self.帧.键.index(信息)
        for i, button in enumerate(self.帧条):
            if i == self.帧.当前:
                button.选中()
            else:
                button.取消选中()

    def 切割动作(self, 序号, 比例, 信息=None):
        """Cut frame 序号 at 比例 of its time; returns 信息 for the segment button."""
        return self._改帧(序号, 信息, "切割", lambda: self.帧.切割(序号, 比例),
                          lambda keys: f"{keys[0]} + {keys[1]}", lambda keys: keys[1])

    def 缝合动作(self, 序号, 方向, 信息=None):
        """Join frame 序号 with its neighbour on 方向; returns 信息 for the segment button."""
        return self._改帧(序号, 信息, "缝合", lambda: self.帧.缝合(序号, 方向),
                          str, lambda kept: kept)

    def _改帧(self, 序号, 信息, 动作, 改, 描述, 新键):
        old = self.帧.键[序号] if isinstance(序号, int) and 0 <= 序号 < len(self.帧) else None
        try:
            result = 改()
        except (ValueError, IndexError, TypeError) as e:
            _输出(f"无法{动作}：{e}")
            return 信息
        _输出(f"已{动作}：{描述(result)}")
        self._帧已变()
        # A payload naming the frame follows it to its new key.
        return 新键(result) if old is not None and 信息 == old else 信息

    # ----- typed input ------------------------------------------------------------------

    # Refusal is None; 0 is a valid answer. Callers test `is None`.
    def 确保整数(self, value):
        """The integer value typed (" 12 ", "-3", "０"); None when it is not one."""
        v = _文本化(value)
        if isinstance(v, bool):
            result = None
        elif isinstance(v, numbers.Integral):
            result = int(v)
        elif isinstance(v, numbers.Real):
            result = int(v) if math.isfinite(v) and float(v).is_integer() else None
        elif isinstance(v, str) and _整数文本.fullmatch(v):
            try:
                result = int(v)
            except ValueError:  # more digits than Python converts
                result = None
        else:
            result = None
        if result is None:
            _输出(f"请输入整数，{value!r} 不是整数")
        return result

    def 确保正整数(self, value):
        """Like 确保整数, but 0 and negatives are refused too."""
        v = self.确保整数(value)
        if v is None:
            return None
        if v <= 0:
            _输出(f"请输入正整数，{value!r} 不是正整数")
            return None
        return v

    def 确保浮点数(self, value):
        """The float value typed (" 1.5 ", "2", ".5"); None when it is not a finite number."""
        v = _文本化(value)
        result = None
        if isinstance(v, numbers.Real) and not isinstance(v, bool):
            result = float(v)
        elif isinstance(v, str) and _小数文本.fullmatch(v):
            result = float(v)
        if result is not None and not math.isfinite(result):
            result = None
        if result is None:
            _输出(f"请输入数字，{value!r} 不是数字")
        return result

    def 坐标调整(self, x, y):
        """Move the selected icon's top-left to (x, y) in standard data.

        Other multi-selected icons move by the same amount. Locked icons stay.
        """
        members = self.选中集合()
        if not members:
            return
        lead = self.选中图标 if self.选中图标 is not None else members[0]
        if getattr(lead, "锁", False):
            _输出("图标已锁定，不能移动")
            return
        conv = self.屏幕.实际画板转标准数据
        dx = x - conv(lead.矩形.左)
        dy = y - conv(lead.矩形.上)
        for icon in members:
            if getattr(icon, "锁", False):
                continue
            try:
                icon.移动(conv(icon.矩形.左) + dx, conv(icon.矩形.上) + dy)
            except (ValueError, TypeError, OverflowError) as e:
                # Typed by the user: refuse it with a line, as a bad number is.
                _输出(f"无法移动到这里：{e}")

    def 比例调整(self, ratio):
        """Scale every selected icon to 比例 (actual-board scale ratio)."""
        for icon in self.选中集合():
            try:
                icon.缩放(ratio)
            except (ValueError, TypeError, OverflowError) as e:
                _输出(f"无法缩放：{e}")

    # ----- context-menu actions ---------------------------------------------------------

    def _请求(self, name):
        icon = self.选中图标
        handler = self.动作处理.get(name)
        if handler is not None:
            return handler(icon)
        self.待处理.append((name, icon))
        return None

    def 修改动作(self):
        """Ask the host to change the selected layer's action (its `info`)."""
        self._请求("修改动作")

    def 编辑文本(self):
        """Ask the host for a new text; 设置图标文本 applies the answer."""
        self._请求("编辑文本")

    def 准备替换图层(self):
        """Ask the host for a picture file; 替换图层 applies the answer."""
        self._请求("替换图层")

    def 导入模板(self):
        """Ask the host for a template file; 导入模板文件 reads it."""
        self._请求("导入模板")

    def 设置图标文本(self, 文本, 字体="", 字体大小="", 文本颜色="", icon=None):
        icon = icon or self.选中图标
        if icon is None:
            return
        self._应用文本({}, icon, {"文本": 文本, "字体": 字体, "字体大小": 字体大小, "文本颜色": 文本颜色})

    # ----- the text dialog --------------------------------------------------------------

    def 启用文本编辑(self):
        """Answer 编辑文本 with the module's text dialog instead of queuing it."""
        self.动作处理["编辑文本"] = self.打开字体输入框

    def 打开字体输入框(self, icon=None):
        """Show the text dialog for the (selected) icon; returns the dialog.

        One dialog, centred on the window, serves every text layer. It opens
        with the icon's text, font and size filled in and the icon's colour as
        the picker's start, so confirming unchanged keeps the layer as it is;
        an emptied font or size field means the default. Confirming applies
        the answer to this icon through 设置图标文本, even if the selection
        moved on meanwhile.
        """
        if icon is None:
            icon = self.选中图标
        if icon is None:
            _输出("请先选择要编辑文本的图层")
            return None
        dialog = self._文本对话框()
        if dialog.colour_picker is not None:
            # A picker left open belongs to the previous layer.
            dialog.colour_picker.kill()
        colour = _解析颜色(getattr(icon, "文本颜色", ""))
        dialog.current_colour = colour if colour is not None else pygame.Color(0, 0, 0)
        dialog.取色按钮.设置文本(
            "修改颜色(" + dialog.color_to_hex(colour) + ")" if colour is not None else 取色按钮文字)
        dialog.字体框.设置文本(getattr(icon, "字体", "") or "")
        size = getattr(icon, "字体大小", "")
        dialog.字体大小框.设置文本("" if size in ("", None) else str(size))
        dialog.文本框.清理()
        dialog.展现(getattr(icon, "文本", None), icon)
        return dialog

    def _文本对话框(self):
        if self.字体输入框 is None:
            conv = self.屏幕.实际画板转标准数据
            # Widgets take standard data; centre the 1200 × 500 panel in the window.
            x = max(0, int((conv(self.窗口宽度) - 1200) / 2))
            y = max(0, int((conv(self.窗口高度) - 500) / 2))
            self.字体输入框 = _记下调色板的对话框类()(self.屏幕, self._文本已确定, x, y)
        return self.字体输入框

    def _文本已确定(self, 文本, 字体, 文本颜色, 字体大小, 图标信息):
        icon = 图标信息
        picker = self.字体输入框.colour_picker if self.字体输入框 is not None else None
        if picker is not None:
            # The dialog is closed; a picker still open would float on alone.
            picker.kill()
        if self._序号(icon) < 0:
            _输出("图层已不在画板上，文本没有应用")
            return
        if 字体 and not os.path.isfile(字体) and not pygame.font.match_font(字体):
            # Kept anyway: a machine that has the font will draw it.
            _输出(f"找不到字体：{字体}，暂用默认字体")
        if 文本颜色 is None:  # the picker was not opened: the colour stays
            colour = getattr(icon, "文本颜色", "") or ""
        else:
            colour = "#{:02x}{:02x}{:02x}".format(*文本颜色)
        self.设置图标文本(文本, 字体=字体 or "", 字体大小="" if 字体大小 is None else 字体大小,
                     文本颜色=colour, icon=icon)

    def _颜色已选(self, e):
        dialog = self.字体输入框
        raw = getattr(e, "event", e)
        picker = getattr(dialog, "_调色板", None)
        # The picker closes itself before its event arrives, so the dialog's
        # colour_picker is already None: match the picker it opened last.
        if picker is None or picker() is None or picker() is not getattr(raw, "ui_element", None):
            return False
        dialog._调色板 = None
        dialog.关闭调色板(e)
        return True

    def 替换图层(self, 路径, icon=None):
        """Give the (selected) icon another picture file."""
        icon = icon or self.选中图标
        if icon is None or getattr(icon, "锁", False):
            return False
        if not os.path.exists(路径):
            _输出("图层文件不存在：" + os.fspath(路径))
            return False
        icon.替换图片(os.fspath(路径))
        return True

    def 循环播放(self):
        """Toggle looping of the selected layers' media."""
        for icon in self.选中集合():
            icon.循环 = not icon.循环

    def 准备融合(self):
        """Give the selected layers the next blend mode (see 混合模式顺序)."""
        for icon in self.选中集合():
            mode = icon.模式 or "正常"
            i = 混合模式顺序.index(mode) if mode in 混合模式顺序 else -1
            icon.模式 = 混合模式顺序[(i + 1) % len(混合模式顺序)]
            _输出(f"混合模式：{icon.模式}")

    def 锁定(self):
        for icon in self.选中集合():
            icon.锁 = True

    def 解锁(self):
        for icon in self.选中集合():
            icon.锁 = False

    def _可改(self):
        return [icon for icon in self.选中集合() if not getattr(icon, "锁", False)]

    def 上浮图标(self):
        """Move the selected icon one layer up (drawn later)."""
        self._换层(+1)

    def 下浮图标(self):
        """Move the selected icon one layer down (drawn earlier)."""
        self._换层(-1)

    def _换层(self, step):
        icon = self.选中图标
        if icon is None or getattr(icon, "锁", False):
            return
        i = self._序号(icon)
        j = i + step
        if i < 0 or not 0 <= j < len(self.图标列表):
            return
        self.图标列表[i], self.图标列表[j] = self.图标列表[j], self.图标列表[i]

    def 删除图标(self):
        """Remove the selected unlocked icons from the board and their groups."""
        gone = self._可改()
        for icon in gone:
            group = self.所在组合(icon)
            if group is not None:
                group[:] = [m for m in group if m is not icon]
                if len(group) < 2:
                    self._解散(group)
            if hasattr(icon, "取消激活"):
                icon.取消激活()
            icon.激活 = False
            icon.多选选中 = False
            self.图标列表 = [m for m in self.图标列表 if m is not icon]
            if self.选中图标 is icon:
                self.选中图标 = None

    def 重置图层(self):
        """Back to scale 1 and no turn, keeping the place of the picture's centre."""
        for icon in self._可改():
            r = icon.矩形
            cx, cy = r.左 + r.宽 / 2, r.上 + r.高 / 2
            icon.旋转(0, 旋转轴位置=None, 系统=True)
            icon.缩放(1, 系统=True)
            r = icon.矩形
            icon.移动(cx - r.宽 / 2, cy - r.高 / 2, 初始=True, 系统=True)
            icon.缩放备份 = None

    def 镜像(self):
        """Flip the selected pictures left to right.

        The flipped picture is written beside the derived files and becomes the
        layer's file, so records and playback show it; mirroring it again
        returns to the original file.
        """
        from tazu.mix import file_to_md5, load_picture

        for icon in self._可改():
            if getattr(icon, "type", None) in ("video", "gif") or getattr(icon, "文本", None):
                _输出("视频、动图和文本图层不能镜像")
                continue
            source = getattr(icon, "_文件", None) or getattr(icon, "_path", None)
            if not source or not os.path.isfile(source):
                _输出("图层没有图片文件，不能镜像")
                continue
            source = os.path.abspath(os.fspath(source))
            if source in self._镜像来源:
                target = self._镜像来源[source]
            else:
                folder = os.path.join(self.临时文件夹, "mirror")
                os.makedirs(folder, exist_ok=True)
                target = os.path.join(folder, file_to_md5(source) + "_mirror.png")
                if not os.path.exists(target):
                    flipped = pygame.transform.flip(load_picture(source), True, False)
                    part = target + ".part.png"
                    pygame.image.save(flipped, part)
                    os.replace(part, target)
                self._镜像来源[target] = source
            icon.替换图片(target)

    def 复制图标(self):
        """Copy the selected icon with its keyframes, a little down and right, on top of it."""
        icon = self.选中图标
        if icon is None or getattr(icon, "锁", False):
            return None
        record = icon.报告当下(缩放备份=False)
        copy_ = self.新建图标(record, 类=type(icon))
        # The copy gets its own info, so editing one layer's action leaves the other.
        copy_.info = copy.deepcopy(icon.info)
        states = getattr(icon, "状态列表", None)
        if states:
            from tazu.mix import 列表, 字典

            copy_.状态列表 = 列表(字典(s) for s in states)
        if hasattr(copy_, "移动至目标"):
            copy_.移动至目标(record["横坐标"] + 复制偏移, record["纵坐标"] + 复制偏移, 系统=True)
        else:
            conv = self.屏幕.标准数据转实际画板
            copy_.移动(conv(record["横坐标"] + 复制偏移), conv(record["纵坐标"] + 复制偏移),
                       初始=True, 系统=True)
        self.图标列表.insert(self._序号(icon) + 1, copy_)
        self.选择(copy_)
        return copy_

    def 新建图标(self, 记录, 类=None, 编号=None):
        """A new icon of class 类 (default: the module's 图标) in the record's state."""
        if 类 is None:
            from tazu.animation import 图标 as 类
        编号 = self.新编号() if 编号 is None else 编号
        icon = 类(记录, self, 横坐标=_取(记录, "横坐标") or 0, 纵坐标=_取(记录, "纵坐标") or 0,
                 编号=编号)
        self.调整新图标初始状态(记录, icon, 系统=True)
        return icon

    def 导出组合(self):
        """Write the records of the selected icon's group (or the selection) to JSON.

        The file goes to the temporary folder's "导出" sub-folder; its path is
        returned and kept in 最近导出. 导入模板文件 reads it back.
        """
        icon = self.选中图标
        if icon is None:
            return None
        members = self.所在组合(icon) or self.选中集合()
        records = [_可存(m.报告(缩放备份=False)) for m in members]
        folder = os.path.join(self.临时文件夹, "导出")
        os.makedirs(folder, exist_ok=True)
        n = 1
        while os.path.exists(os.path.join(folder, f"组合_{n}.json")):
            n += 1
        path = os.path.join(folder, f"组合_{n}.json")
        part = path + ".part"
        with open(part, "w", encoding="utf-8") as f:
            json.dump(records, f, ensure_ascii=False, indent=1)
        os.replace(part, path)
        self.最近导出 = path
        _输出("已导出：" + path)
        return path

    def 导入模板文件(self, 路径, 类=None):
        """Add the icons of an exported group file to the board, grouped again."""
        from tazu.mix import 列表, 字典

        with open(路径, encoding="utf-8") as f:
            records = json.load(f)
        if not isinstance(records, list) or not all(isinstance(r, dict) for r in records):
            raise ValueError(f"模板文件格式不对（应为记录的数组）：{路径}")
        made = []
        for raw in records:
            record = 字典(_读回(raw))
            states = record.pop("状态列表", None) or []
            icon = self.新建图标(record, 类=类)
            if states:
                icon.状态列表 = 列表(字典(_读回(s)) for s in states)
            self.图标列表.append(icon)
            made.append(icon)
        if len(made) > 1:
            self.组合列表.append(list(made))
            for icon in made:
                icon._画板大盘矩形 = None
                self.标记相对坐标(icon)
        return made


def _可存(value):
    """A JSON-ready copy of a record: tuples become lists, surfaces are dropped."""
    if isinstance(value, dict):
        return {str(k): _可存(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_可存(v) for v in value]
    if isinstance(value, (str, int, float, bool)) or value is None:
        return value
    if isinstance(value, numbers.Real):
        return float(value)
    return str(value)


_成对键 = ("旋转中心", "相对坐标", "大盘矩形")


def _读回(record):
    # Pairs and boxes were tuples before they went through JSON.
    out = dict(record)
    for key in _成对键:
        if isinstance(out.get(key), list):
            out[key] = tuple(out[key])
    return out


Board = 画板

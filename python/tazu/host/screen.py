"""屏幕: the host's drawing surface, its coordinate conversion and its UI manager.

Two coordinate spaces meet here. Standard data is the storyboard's design
resolution; the actual board is the pixels of this screen. `适配比例` is the
factor between them (actual = standard × 适配比例); 1 means they coincide and
the conversions hand values back untouched.
"""
from __future__ import annotations

import pygame

from .._common import 数字
from .events import 事件

# Blend modes accepted by 粘贴(mode=...). Each name maps to a pygame blend flag
# working on the colour channels only, so the destination's alpha stays as it
# was. The picture's transparent parts leave the destination unchanged: before
# blending, the picture is laid over the neutral colour of its mode (white for
# multiply and darken, black for the others).
混合模式 = {
    "正片叠底": pygame.BLEND_RGB_MULT,
    "multiply": pygame.BLEND_RGB_MULT,
    "叠加": pygame.BLEND_RGB_ADD,
    "相加": pygame.BLEND_RGB_ADD,
    "线性减淡": pygame.BLEND_RGB_ADD,
    "add": pygame.BLEND_RGB_ADD,
    "减去": pygame.BLEND_RGB_SUB,
    "subtract": pygame.BLEND_RGB_SUB,
    "变暗": pygame.BLEND_RGB_MIN,
    "darken": pygame.BLEND_RGB_MIN,
    "变亮": pygame.BLEND_RGB_MAX,
    "lighten": pygame.BLEND_RGB_MAX,
    # Screen has no pygame flag; it is composed from inverse and multiply.
    "滤色": "screen",
    "screen": "screen",
}
# Values that mean a plain paste.
普通模式 = (None, 0, "", "正常", "normal")
# The order in which the board's blend action cycles through the modes.
混合模式顺序 = ("正常", "正片叠底", "滤色", "叠加", "变暗", "变亮", "减去")

_白底 = {pygame.BLEND_RGB_MULT, pygame.BLEND_RGB_MIN}
_原生标志 = {
    pygame.BLEND_RGB_MULT, pygame.BLEND_RGB_ADD, pygame.BLEND_RGB_SUB,
    pygame.BLEND_RGB_MIN, pygame.BLEND_RGB_MAX,
    pygame.BLEND_RGBA_MULT, pygame.BLEND_RGBA_ADD, pygame.BLEND_RGBA_SUB,
    pygame.BLEND_RGBA_MIN, pygame.BLEND_RGBA_MAX, pygame.BLEND_PREMULTIPLIED,
}


def 解析混合模式(mode):
    """The pygame flag (or "screen") for a mode name; None for a plain paste."""
    if isinstance(mode, str) or mode is None:
        if mode in 普通模式:
            return None
        key = mode.strip()
        flag = 混合模式.get(key, 混合模式.get(key.lower()))
        if flag is None:
            names = "、".join(混合模式顺序)
            raise ValueError(f"未知的混合模式：{mode!r}（可用：{names}）")
        return flag
    if isinstance(mode, int) and not isinstance(mode, bool):
        if mode == 0:
            return None
        if mode in _原生标志:
            return mode
    raise ValueError(f"未知的混合模式：{mode!r}")


def 转换矩形(rect) -> pygame.Rect:
    """pygame Rect from a 游戏矩形, a Rect, a (left, top, w, h) or a (left, top) pair."""
    if isinstance(rect, pygame.Rect):
        return rect
    to_rect = getattr(rect, "to_rect", None)
    if to_rect is not None:
        return to_rect()
    try:
        values = tuple(rect)
    except TypeError:
        raise TypeError(f"矩形必须是游戏矩形、pygame.Rect 或数字序列，得到 {rect!r}") from None
    if len(values) == 2:
        return pygame.Rect(round(values[0]), round(values[1]), 0, 0)
    if len(values) == 4:
        return pygame.Rect(*(round(v) for v in values))
    raise TypeError(f"矩形必须有 2 或 4 个数字，得到 {rect!r}")


class 屏幕:
    """The board's screen: a pygame surface plus conversion, drawing and UI."""

    def __init__(self, 宽度=1280, 高度=720, 适配比例=1, 显示比例=None, surface=None, 主题=None):
        if 数字(适配比例, "适配比例", 严格=True) <= 0:
            raise ValueError(f"适配比例必须是正数，得到 {适配比例!r}")
        self.适配比例 = 适配比例
        # Display scale used for widget sizes (menu rows, dialogs); by default
        # the same factor as the coordinate conversion.
        self._fit_ratio = 适配比例 if 显示比例 is None else 显示比例
        if surface is None:
            surface = pygame.Surface((int(宽度), int(高度)))
        self.screen = surface
        self._主题 = 主题
        self._ui_manager = None

    @classmethod
    def 窗口(cls, 宽度=1280, 高度=720, 标题="tazu", **参数):
        """Open the display window and make a screen drawing into it."""
        surface = pygame.display.set_mode((int(宽度), int(高度)))
        pygame.display.set_caption(标题)
        return cls(宽度, 高度, surface=surface, **参数)

    # ----- size -------------------------------------------------------------

    @property
    def 宽度(self):
        return self.screen.get_width()

    @property
    def 高度(self):
        return self.screen.get_height()

    # ----- conversion ---------------------------------------------------------

    def 标准数据转实际画板(self, n):
        """Standard data to actual-board pixels (one number)."""
        数字(n, "坐标换算的值", 严格=True, 有限=False)
        if self.适配比例 == 1:
            return n
        return n * self.适配比例

    def 实际画板转标准数据(self, n):
        """Actual-board pixels to standard data (one number)."""
        数字(n, "坐标换算的值", 严格=True, 有限=False)
        if self.适配比例 == 1:
            return n
        return n / self.适配比例

    # ----- UI -------------------------------------------------------------------

    @property
    def ui_manager(self):
        # Built on first use: a UIManager costs fonts and themes that many
        # screens (tests, batch jobs) never need.
        if self._ui_manager is None:
            import pygame_gui

            size = self.screen.get_size()
            if self._主题 is None:
                self._ui_manager = pygame_gui.UIManager(size)
            else:
                self._ui_manager = pygame_gui.UIManager(size, self._主题)
        return self._ui_manager

    @ui_manager.setter
    def ui_manager(self, manager):
        self._ui_manager = manager

    def 处理事件(self, 事件列表=None):
        """Feed pygame events to the UI manager and return them as board events.

        Without an argument the pending pygame events are taken from the queue.
        Each result keeps the pygame event in `原始` and tells in `界面处理`
        whether a widget consumed it.
        """
        if 事件列表 is None:
            事件列表 = pygame.event.get()
        结果 = []
        for e in 事件列表:
            consumed = bool(self.ui_manager.process_events(e))
            wrapped = 事件.来自(e)
            wrapped.界面处理 = consumed
            结果.append(wrapped)
        return 结果

    def 更新界面(self, 时间差=0.0):
        """Advance the widgets by 时间差 seconds and draw them on the screen."""
        self.ui_manager.update(时间差)
        self.ui_manager.draw_ui(self.screen)

    def 显示(self, 区域=None):
        """Show the frame when the screen is the display window; only 区域 (rects) when given."""
        if pygame.display.get_init() and pygame.display.get_surface() is self.screen:
            if 区域 is None:
                pygame.display.flip()
            else:
                pygame.display.update(区域)

    # ----- drawing ------------------------------------------------------------

    def 粘贴(self, picture, rect, mode=None):
        """Draw a picture (a Surface or anything with `.image`) at the rect's top-left.

        `mode` is a blend mode name (see 混合模式), a pygame blend flag, or a
        plain paste when None, 0 or "正常".
        """
        surface = picture if isinstance(picture, pygame.Surface) else getattr(picture, "image", None)
        if not isinstance(surface, pygame.Surface):
            raise TypeError(f"粘贴需要 pygame.Surface 或带 image 的组件，得到 {picture!r}")
        dest = 转换矩形(rect).topleft
        flag = 解析混合模式(mode)
        if flag is None:
            return self.screen.blit(surface, dest)
        if flag == "screen":
            return self._滤色(surface, dest)
        if flag in (pygame.BLEND_RGB_MULT, pygame.BLEND_RGB_ADD, pygame.BLEND_RGB_SUB,
                    pygame.BLEND_RGB_MIN, pygame.BLEND_RGB_MAX):
            surface = self._铺底(surface, (255, 255, 255) if flag in _白底 else (0, 0, 0))
        return self.screen.blit(surface, dest, special_flags=flag)

    @staticmethod
    def _铺底(surface, colour):
        # Transparent parts become the mode's neutral colour, so they change nothing.
        base = pygame.Surface(surface.get_size())
        base.fill(colour)
        base.blit(surface, (0, 0))
        return base

    def _滤色(self, surface, dest):
        # screen(a, b) = 1 - (1 - a)(1 - b), built from pygame's subtract and multiply.
        area = pygame.Rect(dest, surface.get_size()).clip(self.screen.get_rect())
        if not area.w or not area.h:
            return area
        src = self._铺底(surface, (0, 0, 0))
        src_area = pygame.Rect(area.x - dest[0], area.y - dest[1], area.w, area.h)
        inv_src = pygame.Surface(area.size)
        inv_src.fill((255, 255, 255))
        inv_src.blit(src, (0, 0), src_area, special_flags=pygame.BLEND_RGB_SUB)
        product = pygame.Surface(area.size)
        product.fill((255, 255, 255))
        product.blit(self.screen, (0, 0), area, special_flags=pygame.BLEND_RGB_SUB)
        product.blit(inv_src, (0, 0), special_flags=pygame.BLEND_RGB_MULT)
        # dest - dest + (255 - product): subtracting the product from white and
        # writing it back keeps the destination's alpha.
        result = pygame.Surface(area.size)
        result.fill((255, 255, 255))
        result.blit(product, (0, 0), special_flags=pygame.BLEND_RGB_SUB)
        self.screen.blit(result, area.topleft, special_flags=pygame.BLEND_RGB_MAX)
        return area

    def 长方形(self, colour, rect, 线条宽度=0):
        """Rectangle outline 线条宽度 pixels wide; 0 fills it."""
        return pygame.draw.rect(self.screen, colour, 转换矩形(rect), int(线条宽度))

    def 圆形(self, colour, centre, 半径=5, 线条宽度=0):
        """Circle about centre; 线条宽度 0 fills it."""
        x, y = centre[0], centre[1]
        return pygame.draw.circle(self.screen, colour, (x, y), 半径, int(线条宽度))

    def pillow_to_image(self, image) -> pygame.Surface:
        """A pygame Surface with the pixels of a Pillow image, with per-pixel alpha
        whatever the image's mode, so a turned frame keeps transparent corners."""
        from tazu.mix import pillow_to_surface

        return pillow_to_surface(image)


Screen = 屏幕

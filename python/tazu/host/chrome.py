"""What the editor draws around and over the canvas: the toolbar, the status
line, selection outlines with handles, the playhead on the strip and the help
overlay. Nothing here changes the document."""
from __future__ import annotations

import math
import time

import pygame

# Toolbar: (command, label, shortcut shown in its tooltip).
工具按钮 = (
    ("打开", "打开", "Ctrl+O"),
    ("保存", "保存", "Ctrl+S"),
    ("另存为", "另存为", "Ctrl+Shift+S"),
    ("添加媒体", "添加媒体", "Ctrl+I，也可以把文件拖进窗口"),
    ("添加文本", "添加文本", "Ctrl+T"),
    ("播放", "播放", "空格"),
    ("渲染", "渲染", "Ctrl+R"),
    ("新帧", "新帧", "Ctrl+N"),
    ("复制帧", "复制帧", "Ctrl+D"),
    ("删帧", "删帧", "Ctrl+Delete"),
    ("权重", "权重", "改当前帧的时长权重或动作名"),
    ("撤销", "撤销", "Ctrl+Z"),
    ("重做", "重做", "Ctrl+Shift+Z 或 Ctrl+Y"),
    ("帮助", "帮助", "F1"),
)

帮助内容 = (
    ("画布", (
        ("左键拖动", "移动图层（组合一起移动）"),
        ("右键拖动", "绕中心旋转，转过多少度就是多少度"),
        ("滚轮", "缩放图层或组合"),
        ("方向键", "微调 2 像素"),
        ("Shift+单击", "多选"),
        ("连点两次", "打开图层菜单：动画状态、组合、锁定、替换…"),
        ("Delete", "删除选中的图层"),
        ("拖入文件", "图片、动图、视频成为新图层；镜头文档则打开"),
    )),
    ("帧条", (
        ("单击", "选中这一帧，画布显示它的记录"),
        ("右键（中间）", "在点击处把帧切成两段"),
        ("右键（边缘）", "和旁边的帧缝合"),
        ("PageUp / PageDown", "上一帧 / 下一帧"),
    )),
    ("命令", (
        ("空格", "从选中的帧播放；再按停在当前时刻"),
        ("Ctrl+Z / Ctrl+Shift+Z", "撤销 / 重做（Ctrl+Y 也可以）"),
        ("Ctrl+S / Ctrl+Shift+S", "保存 / 另存为"),
        ("Ctrl+O / Ctrl+I / Ctrl+T", "打开文档 / 添加媒体 / 添加文本"),
        ("Ctrl+N / Ctrl+D", "新帧 / 复制当前帧"),
        ("Ctrl+R", "渲染成视频"),
        ("Esc", "关闭菜单、对话框和本帮助；停止播放"),
        ("F1", "显示或关闭本帮助"),
        ("Ctrl+Q", "退出（有未保存的修改会先问）"),
    )),
)

选中颜色 = (255, 170, 0)
多选颜色 = (0, 200, 255)
组合颜色 = (120, 220, 120)
播放头颜色 = (255, 60, 60)
栏底色 = (38, 40, 46)
画布外颜色 = (60, 62, 68)
# How long a message stays on the status line (seconds).
消息时长 = 6.0


def 字体(大小):
    from tazu.mix import font_file

    key = int(大小)
    found = _字体缓存.get(key)
    if found is None:
        found = _字体缓存[key] = pygame.font.Font(font_file(), key)
    return found


_字体缓存 = {}


def 清字体缓存():
    # Fonts die with pygame.font.quit(); a new window makes them anew.
    _字体缓存.clear()


class 状态栏:
    """The line under the toolbar: the last message for a while, else where the user is."""

    def __init__(self, 时钟=time.monotonic):
        self.消息 = []  # (time, text), newest last
        self._时钟 = 时钟

    def 添加(self, *values):
        text = " ".join(str(v) for v in values).strip()
        if text:
            self.消息.append((self._时钟(), text.replace("\n", " ")))
            del self.消息[:-50]

    def 当前消息(self):
        if self.消息 and self._时钟() - self.消息[-1][0] < 消息时长:
            return self.消息[-1][1]
        return None

    def 到期(self):
        """When the message on show expires (monotonic seconds), or None."""
        if self.消息 and self._时钟() - self.消息[-1][0] < 消息时长:
            return self.消息[-1][0] + 消息时长
        return None

    def 绘制(self, surface, rect, 说明):
        surface.fill(栏底色, rect)
        message = self.当前消息()
        text = message or 说明
        colour = (255, 220, 120) if message else (200, 200, 205)
        picture = 字体(15).render(_截断(text, 字体(15), rect.w - 16), True, colour)
        surface.blit(picture, (rect.x + 8, rect.y + (rect.h - picture.get_height()) // 2))


def _截断(text, font, width):
    if font.size(text)[0] <= width:
        return text
    while text and font.size(text + "…")[0] > width:
        text = text[:-1]
    return text + "…"


def 画选中框(surface, icon, colour, 手柄=True):
    """Outline of the icon's turned picture, with square handles at its corners."""
    corners = 图标角点(icon)
    pygame.draw.lines(surface, colour, True, corners, 2)
    if 手柄:
        for x, y in corners:
            handle = pygame.Rect(0, 0, 9, 9)
            handle.center = (round(x), round(y))
            surface.fill((255, 255, 255), handle)
            pygame.draw.rect(surface, colour, handle, 2)
        # The pivot a right-drag turns about: the centre.
        cx = sum(x for x, _ in corners) / 4
        cy = sum(y for _, y in corners) / 4
        pygame.draw.circle(surface, colour, (round(cx), round(cy)), 4, 2)


def 图标角点(icon):
    """Corners of the icon's picture as turned on screen (actual-board pixels)."""
    rect = icon.矩形
    cx, cy = rect.左 + rect.宽 / 2, rect.上 + rect.高 / 2
    base = getattr(icon, "origin_image", None)
    angle = getattr(icon, "rotate_angle", 0) or 0
    if base is None or not angle:
        return [(rect.左, rect.上), (rect.左 + rect.宽, rect.上),
                (rect.左 + rect.宽, rect.上 + rect.高), (rect.左, rect.上 + rect.高)]
    scale = getattr(icon, "scale_ratio", 1) or 1
    w, h = base.get_width() * scale, base.get_height() * scale
    # pygame turns counter-clockwise for positive angles; y points down.
    a = math.radians(angle)
    cos, sin = math.cos(a), math.sin(a)
    out = []
    for dx, dy in ((-w / 2, -h / 2), (w / 2, -h / 2), (w / 2, h / 2), (-w / 2, h / 2)):
        out.append((cx + dx * cos + dy * sin, cy - dx * sin + dy * cos))
    return out


def 画组合框(surface, box):
    left, top, bottom, right = box
    rect = pygame.Rect(round(left), round(top), round(right - left), round(bottom - top))
    # Dashed, so it reads as a group and not as a layer.
    for x in range(rect.left, rect.right, 12):
        pygame.draw.line(surface, 组合颜色, (x, rect.top), (min(x + 6, rect.right), rect.top))
        pygame.draw.line(surface, 组合颜色, (x, rect.bottom), (min(x + 6, rect.right), rect.bottom))
    for y in range(rect.top, rect.bottom, 12):
        pygame.draw.line(surface, 组合颜色, (rect.left, y), (rect.left, min(y + 6, rect.bottom)))
        pygame.draw.line(surface, 组合颜色, (rect.right, y), (rect.right, min(y + 6, rect.bottom)))


def 画标签(surface, text, pos, colour=(255, 255, 255), 底色=(0, 0, 0, 160)):
    picture = 字体(13).render(text, True, colour)
    back = pygame.Surface((picture.get_width() + 8, picture.get_height() + 4), pygame.SRCALPHA)
    back.fill(底色)
    back.blit(picture, (4, 2))
    surface.blit(back, pos)


def 画播放头(surface, x, top, height, text):
    pygame.draw.line(surface, 播放头颜色, (x, top), (x, top + height - 1), 2)
    pygame.draw.polygon(surface, 播放头颜色, [(x - 5, top), (x + 5, top), (x, top + 7)])
    画标签(surface, text, (x + 4, top + height - 20), 底色=(120, 0, 0, 200))


def 画帮助(surface, area):
    """The gestures and shortcuts, in columns over the canvas."""
    shade = pygame.Surface(area.size, pygame.SRCALPHA)
    shade.fill((10, 12, 18, 215))
    surface.blit(shade, area.topleft)
    title = 字体(26).render("手势和快捷键（F1 或 Esc 关闭）", True, (255, 255, 255))
    surface.blit(title, (area.x + 30, area.y + 20))
    columns = len(帮助内容)
    col_w = (area.w - 60) // columns
    head, row = 字体(19), 字体(15)
    for c, (name, rows) in enumerate(帮助内容):
        x = area.x + 30 + c * col_w
        y = area.y + 70
        surface.blit(head.render(name, True, 选中颜色), (x, y))
        y += 34
        for key, what in rows:
            surface.blit(row.render(key, True, (140, 210, 255)), (x, y))
            y += 20
            surface.blit(row.render(_截断(what, row, col_w - 20), True, (235, 235, 235)), (x + 12, y))
            y += 26

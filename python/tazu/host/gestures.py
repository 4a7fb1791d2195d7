"""The board's selection and the gestures that reach the selected icon."""
from __future__ import annotations

import math
import sys

import pygame

from ._support import 输出

# Pointer closer than this to the pivot gives no usable direction to turn by.
_转动死区 = 3


class Selection:
    """Which icon is selected, which are multi-selected, and the board's event routing."""

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
            return self._拖动到(icon, e)
        if t == pygame.MOUSEBUTTONUP and click:
            self._拖动 = None
            self._转动 = None
            self._提示过 = None
            if icon is None:
                return False
            icon.移动锚点 = None
            icon.移动中 = icon.旋转中 = False
            icon.鼠标弹起(e)
            return True
        if t == pygame.MOUSEWHEEL and icon is not None:
            if self._锁定提示(icon, "缩放"):
                return True
            if self._组合手势(icon):
                self.缩放组合(icon, e.纵坐标 / 10)
            else:
                icon.鼠标缩放(e)
            return True
        if t == pygame.KEYDOWN and icon is not None:
            return self._按键(icon, e)
        return False

    def _组合手势(self, icon):
        """The group a gesture on the icon moves as one, or None for the icon alone.

        A keyframe state belongs to one layer: while the icon shows one of its
        keyframes, the gesture changes that keyframe only. A group moves in its
        live pose: members showing a keyframe go back to their live state
        first (keeping their keyframe edits), so every member's live state
        moves together and the group stays together when switched back.
        """
        group = self.所在组合(icon)
        if not group or getattr(icon, "当前状态备份", None) is not None:
            return None
        for member in group:
            if getattr(member, "当前状态备份", None) is not None:
                member.保存状态()
                member.切换状态(None)
        return group

    def _锁定提示(self, icon, 动作):
        if getattr(icon, "锁", False):
            if self._提示过 != (id(icon), 动作):
                输出(f"图标已锁定，不能{动作}")
                self._提示过 = (id(icon), 动作)
            return True
        return False

    def _拖动到(self, icon, e):
        if self._拖动 == "移动":
            if self._锁定提示(icon, "移动"):
                return True
            group = self._组合手势(icon)
            if group and icon.移动锚点:
                hx, hy = icon.移动锚点
                self.平移组合(icon, e.坐标[0] - hx - icon.x, e.坐标[1] - hy - icon.y)
            else:
                icon.鼠标移动(e)
        else:
            if self._锁定提示(icon, "旋转"):
                return True
            icon.鼠标旋转(e, 旋转中心=icon.临时旋转中心, 旋转角度=self._扫过角度(icon, e.坐标))
        return True

    def _开始转动(self, icon, pointer):
        pivot = icon.临时旋转中心
        self._转动 = {"起始角度": icon.rotate_angle or 0, "扫过": 0.0,
                     "上次": _方向(pivot, pointer)}

    def _扫过角度(self, icon, pointer):
        """The icon's angle after the pointer swept round the pivot since the press.

        Counter-clockwise on screen is positive, as the picture turns; the
        sweep accumulates, so several turns of the pointer turn the icon as
        far. Near the pivot the direction is noise and is not taken.
        """
        state = self._转动
        if state is None:
            self._开始转动(icon, pointer)
            state = self._转动
        direction = _方向(icon.临时旋转中心, pointer)
        if direction is not None:
            if state["上次"] is not None:
                step = direction - state["上次"]
                step = (step + 180) % 360 - 180
                state["扫过"] += step
            state["上次"] = direction
        return state["起始角度"] + state["扫过"]

    def _按键(self, icon, e):
        steps = {pygame.K_UP: (0, -2), pygame.K_DOWN: (0, 2),
                 pygame.K_LEFT: (-2, 0), pygame.K_RIGHT: (2, 0)}
        if e.键盘 in steps:
            if self._锁定提示(icon, "移动"):
                return True
            if self._组合手势(icon):
                self.平移组合(icon, *steps[e.键盘])
            else:
                icon.键盘微调(e)
            return True
        if e.键盘 in (pygame.K_DELETE, pygame.K_BACKSPACE):
            if all(getattr(i, "锁", False) for i in self.选中集合()):
                输出("图标已锁定，不能删除")
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
        if not getattr(hit, "别名", None) and self.图层名称 is not None:
            # The menu's title row shows the alias.
            hit.别名 = self.图层名称(hit)
        hit.选中()
        x, y = e.坐标
        self._提示过 = None
        if e.按钮 == 1:
            hit.移动锚点 = (x - hit.x, y - hit.y)
            hit.移动中 = True
            self._拖动 = "移动"
        else:
            hit.临时旋转中心 = (hit.x + hit.宽 / 2, hit.y + hit.高 / 2)
            hit.旋转中 = True
            self._拖动 = "旋转"
            self._开始转动(hit, (x, y))
        return True


def _方向(pivot, pointer):
    """Screen direction from pivot to pointer in degrees, counter-clockwise; None too close."""
    dx, dy = pointer[0] - pivot[0], pointer[1] - pivot[1]
    if math.hypot(dx, dy) < _转动死区:
        return None
    return math.degrees(math.atan2(-dy, dx))

"""Drawing the editor window: the canvas (or the playback), selection
outlines, the strip with its playhead, the toolbar and the status line. Only
what changed is sent to the window."""
from __future__ import annotations

import pygame

from . import chrome


class 画面:
    def _画面(self):
        """What the canvas shows of each layer, to find what a redraw changed."""
        board = self.画板
        selected = board.选中图标
        out = {}
        for order, icon in enumerate(board.图标列表):
            r = icon.矩形
            out[id(icon)] = ((r.左, r.上, r.宽, r.高), order, icon.rotate_angle, icon.scale_ratio,
                             id(icon.image), icon.模式, icon is selected,
                             getattr(icon, "多选选中", False), getattr(icon, "锁", False),
                             getattr(icon, "循环", True), getattr(icon, "当前状态备份", None) is not None)
        return out

    def _变化区域(self, now):
        """The part of the canvas a redraw changes, or None for all of it."""
        before = self._上次画面
        if before is None or self._全刷:
            return None
        board = self.画板
        if any(getattr(i, "当前菜单", None) or getattr(i, "图标状态选项", None) for i in board.图标列表):
            return None
        if len(self.屏幕.ui_manager.get_root_container().elements) > len(self.工具):
            return None  # a tooltip or a window may lie over the canvas
        rects = []
        for key in set(before) | set(now):
            if before.get(key) != now.get(key):
                for state in (before.get(key), now.get(key)):
                    if state is not None:
                        x, y, w, h = state[0]
                        # Room for the outline, its handles and the label above.
                        rects.append(pygame.Rect(round(x) - 14, round(y) - 26, round(w) + 28, round(h) + 40))
        if not rects:
            return pygame.Rect(0, 0, 0, 0)
        return rects[0].unionall(rects[1:]).clip(self.画布矩形)

    def 绘制(self):
        now = self._画面() if self.播放 is None else None
        full = self.播放 is not None or self.帮助 or self._有对话框()
        area = None if full or now is None else self._变化区域(now)
        self._画(area)
        if area is None:
            self.屏幕.显示()
        else:
            # Only what changed goes to the window: the rows under the canvas
            # (strip, toolbar, status) and the part of the canvas that moved.
            rows = pygame.Rect(0, self.帧条矩形.y, self.屏幕.screen.get_width(),
                               self.屏幕.screen.get_height() - self.帧条矩形.y)
            self.屏幕.显示([area, rows] if area.w and area.h else [rows])
        self._上次画面 = now
        self._全刷 = False
        self.脏 = False
        self._消息到期 = self.状态栏.到期()

    def _画(self, 区域=None):
        """Draw the window; with 区域, of the canvas only that part."""
        surface = self.屏幕.screen
        if 区域 is None:
            surface.fill(chrome.画布外颜色)
        else:
            surface.fill(chrome.画布外颜色, (0, self.帧条矩形.y, surface.get_width(), surface.get_height()))
        if self.播放 is not None:
            self.播放.绘制()
        elif 区域 is None or 区域.w and 区域.h:
            clip = self.画布矩形 if 区域 is None else 区域
            surface.set_clip(clip)
            try:
                surface.fill(self.文档.背景颜色, clip)
                self.画板.绘制图标()
                self._画选中()
                self.画板.绘制菜单()
            finally:
                surface.set_clip(None)
        for button in self.画板.帧条:
            button.绘制()
        self._画播放头()
        surface.fill(chrome.栏底色, self.栏矩形)
        self.状态栏.绘制(surface, self.状态矩形, self._说明())
        self.屏幕.ui_manager.draw_ui(surface)
        if self.帮助:
            chrome.画帮助(surface, self.画布矩形)

    def _画选中(self):
        board = self.画板
        surface = self.屏幕.screen
        selected = board.选中图标
        for group in board.组合列表:
            if any(m is selected or getattr(m, "多选选中", False) for m in group):
                chrome.画组合框(surface, board.获取组合矩形(group[0]))
        for icon in board.图标列表:
            if getattr(icon, "多选选中", False) and icon is not selected:
                chrome.画选中框(surface, icon, chrome.多选颜色, 手柄=False)
        if selected is not None and any(i is selected for i in board.图标列表):
            chrome.画选中框(surface, selected, chrome.选中颜色)
            tags = []
            if getattr(selected, "锁", False):
                tags.append("已锁定")
            if getattr(selected, "type", None) in ("video", "gif"):
                tags.append("循环播放" if getattr(selected, "循环", True) else "只播一次")
            if getattr(selected, "当前状态备份", None) is not None:
                tags.append("正在编辑动画状态")
            if tags:
                rect = selected.矩形
                chrome.画标签(surface, " · ".join(tags), (rect.左, max(0, rect.上 - 22)))

    def _画播放头(self):
        if self.播放 is None:
            return
        buttons = self.画板.帧条
        index = self.播放.所在帧()
        if not buttons or index >= len(buttons):
            return
        start, end = self.播放.帧时间[index]
        rect = buttons[index].矩形
        part = (self.播放.时刻 - start) / (end - start) if end > start else 1.0
        x = round(rect.左 + rect.宽 * min(1.0, max(0.0, part)))
        chrome.画播放头(self.屏幕.screen, x, self.帧条矩形.y, self.帧条矩形.h,
                    f"{self.播放.时刻:.2f} / {self.播放.时长:.2f} 秒")

    def _说明(self):
        doc, board = self.文档, self.画板
        if self.播放 is not None:
            state = "播放中" if self.播放.播放中 else "已暂停（空格继续，Esc 或点画布回到编辑）"
            return f"{state}　{self.播放.时刻:.2f} / {self.播放.时长:.2f} 秒"
        index = doc.帧.当前
        key = doc.帧.键[index] if index is not None else "-"
        parts = [f"第 {index + 1}/{len(doc.帧)} 帧 {key}" if index is not None else "没有帧",
                 f"{len(board.图标列表)} 个图层"]
        selected = board.选中图标
        if selected is not None:
            parts.append(f"选中：{getattr(selected, '别名', None) or selected.编号}")
        if self.旁白 is not None:
            parts.append(f"旁白 {self.旁白.时长:.1f} 秒")
        parts.append("F1 帮助")
        return "　·　".join(parts)

"""编辑器: the editor window around the board.

The canvas is the top-left of the window, at the document's size times the
fit ratio; the frame strip runs under it, then the toolbar and the status
line. The window draws only when something changed or something plays:
idle, it sleeps in the event queue. Commands (open, save, frames, undo,
media, play, render) are in commands.py.
"""
from __future__ import annotations

import os
import shutil
import sys
import tempfile
import time
import traceback

import pygame

from . import chrome
from ._support import 输出监听
from .board import 画板
from .commands import 命令
from .document import 镜头文档
from .events import 事件
from .history import 历史
from .layers import 画布同步
from .screen import 屏幕

条高 = 50
栏高 = 34
状态高 = 24
最小宽度 = 1000
# Ticks per second while a dialog is open (its text cursor blinks).
对话框帧率 = 20
# Seconds between looks at the event queue: while the user works (within
# 活跃时长 of the last event), and when the window has been quiet.
活跃轮询 = 0.004
空闲轮询 = 0.03
活跃时长 = 0.5


def 准备显示():
    """Choose how the window reaches the screen, before pygame starts.

    SDL draws a window surface through a GPU texture when it can; with a
    software renderer (no GPU, a virtual machine, Xvfb) every update then
    costs a whole-window upload, 10 ms of CPU at 1280 x 828 for a 50-pixel
    change. The editor draws in software anyway: the plain framebuffer is
    the fast path everywhere. A user's own setting wins.
    """
    os.environ.setdefault("SDL_FRAMEBUFFER_ACCELERATION", "0")


class 编辑器(命令):
    def __init__(self, 路径=None, 适配比例=None, 配置=None):
        准备显示()
        pygame.init()
        chrome.清字体缓存()
        self.临时文件夹 = tempfile.mkdtemp(prefix="tazu-edit-")
        self.状态栏 = chrome.状态栏()
        self.配置路径 = 配置
        self._指定比例 = 适配比例
        self.运行中 = True
        self.播放 = None
        self.帮助 = False
        self.文件对话框 = None
        self.询问窗 = None
        self.渲染任务 = None
        self.旁白 = None
        self.脏 = True
        self._全刷 = True
        self._上次画面 = None
        self._消息到期 = None
        self._上次更新 = self._上次事件 = time.monotonic()
        self._接上输出()
        self.打开文档(镜头文档.打开(路径) if 路径 else 镜头文档.新建())

    # ----- the window for a document -------------------------------------------

    def _比例(self, doc):
        if self._指定比例:
            return self._指定比例
        try:
            desk_w, desk_h = pygame.display.get_desktop_sizes()[0]
        except (pygame.error, IndexError):
            return 1
        if desk_w < 400 or desk_h < 300:
            return 1
        room_w, room_h = desk_w - 40, desk_h - 100 - 条高 - 栏高 - 状态高
        ratio = min(1.0, room_w / doc.宽度, room_h / doc.高度)
        return 1 if ratio >= 1 else round(ratio, 3)

    def 打开文档(self, doc):
        """Show a document: a window of its size, its first frame on the canvas."""
        from tazu.mix import 创建界面管理器

        ratio = self._比例(doc)
        cw, ch = round(doc.宽度 * ratio), round(doc.高度 * ratio)
        size = (max(cw, 最小宽度), ch + 条高 + 栏高 + 状态高)
        surface = pygame.display.set_mode(size)
        screen = 屏幕(*size, 适配比例=ratio, surface=surface)
        screen.ui_manager = 创建界面管理器(size)
        folder = os.path.join(self.临时文件夹, f"画板{id(doc)}")
        board = 画板(screen, 临时文件夹=folder, 实际画布宽度=cw, 实际画布高度=ch)
        board.帧 = doc.帧
        self.文档, self.屏幕, self.画板 = doc, screen, board
        self.画布矩形 = pygame.Rect(0, 0, cw, ch)
        self.帧条矩形 = pygame.Rect(0, ch, size[0], 条高)
        self.栏矩形 = pygame.Rect(0, ch + 条高, size[0], 栏高)
        self.状态矩形 = pygame.Rect(0, ch + 条高 + 栏高, size[0], 状态高)
        self._画布面 = surface.subsurface(self.画布矩形)
        self.播放 = None
        self.帮助 = False
        self.文件对话框 = self.询问窗 = None
        self.同步 = 画布同步(board, doc)
        board.图层名称 = self.同步.命名
        board.选帧处理 = self._帧条点击
        board.帧变化回调 = self._帧已切缝
        board.导出文件夹 = os.path.join(doc.文件夹, "模板") if doc.路径 else None
        board.启用文本编辑()
        board.动作处理.update({
            "替换图层": lambda icon: self.打开文件对话框("替换", icon),
            "导入模板": lambda icon: self.打开文件对话框("模板"),
            "修改动作": lambda icon: self.编辑帧(),
        })
        self.同步.载入(doc.帧.当前 or 0)
        self._全刷 = True
        self._上次画面 = None
        self.历史 = 历史(self._状态())
        if doc.路径 is None:
            self.历史.已存 = None if any(doc.图层(i) for i in range(len(doc.帧))) else self.历史.已存
        self.工具 = self._建工具栏()
        self.旁白 = self._找旁白()
        self._建帧条()
        self._更新标题()
        self.脏 = True

    def _建工具栏(self):
        from pygame_gui.elements import UIButton

        buttons = {}
        x = 6
        for name, label, tip in chrome.工具按钮:
            width = 30 + 15 * len(label)
            rect = pygame.Rect(x, self.栏矩形.y + 3, width, 栏高 - 6)
            buttons[name] = UIButton(rect, label, manager=self.屏幕.ui_manager, tool_tip_text=tip)
            x += width + 4
        return buttons

    def _建帧条(self):
        self.画板.建立帧条(高度=条高)
        self.画板.标记帧条()
        if self.旁白 is None:
            return
        # Bars of the narration under each frame's stretch of time.
        from tazu import animation

        from .playback import 帧时间

        samples, rate = self.旁白.波形()
        times = 帧时间(list(self.文档.帧.键), max(self.文档.时长, self.旁白.时长 + self.旁白.留白))
        for button, (start, end) in zip(self.画板.帧条, times):
            count = max(1, int(button.矩形.宽 // 6))
            bars = animation.calc_audio_bar_heights(samples, rate, start, end, count) if end > start else None
            if bars:
                button.设置波形图(bars, count)

    def _更新标题(self):
        mark = " *" if self.历史.未保存 else ""
        pygame.display.set_caption(f"{self.文档.名称}{mark} — tazu 编辑")

    def _状态(self):
        selected = getattr(self.画板.选中图标, "编号", None)
        return (self.文档.快照(), self.文档.帧.当前, selected)

    # ----- messages ------------------------------------------------------------

    def _接上输出(self):
        """The module's and the board's lines go to the status line as well."""
        import tazu.animation as animation

        self._模块输出 = animation.输出
        original = self._模块输出

        def 输出(*values, **kw):
            original(*values, **kw)
            self.状态栏.添加(*values)
            self.脏 = True

        animation.输出 = 输出
        self._板输出 = lambda *values: (self.状态栏.添加(*values), setattr(self, "脏", True))
        输出监听.append(self._板输出)

    def 提示(self, *values):
        self.状态栏.添加(*values)
        print(*values, flush=True)
        self.脏 = True

    def 关闭(self):
        """Give the module its own 输出 back and remove the temporary files."""
        import tazu.animation as animation

        if self.渲染任务 is not None:
            self.渲染任务.停止()
        if self.播放 is not None:
            self.播放.停止()
        if getattr(animation, "输出", None) is not self._模块输出:
            animation.输出 = self._模块输出
        if self._板输出 in 输出监听:
            输出监听.remove(self._板输出)
        shutil.rmtree(self.临时文件夹, ignore_errors=True)

    # ----- the loop --------------------------------------------------------------

    def 运行(self, 截图=None, 帧数=3):
        """Run until the user quits; with 截图, save the window after 帧数 rounds and stop."""
        rounds = 0
        try:
            while self.运行中:
                self.一轮(等待=截图 is None)
                rounds += 1
                if 截图 and rounds >= 帧数:
                    self.绘制()
                    pygame.image.save(self.屏幕.screen, 截图)
                    print(截图)
                    break
        finally:
            self.关闭()

    def _有对话框(self):
        board = self.画板
        text = board.字体输入框
        return (not board.画布激活 or self.文件对话框 is not None or self.询问窗 is not None
                or (text is not None and text.面板.可见))

    def _超时(self):
        """Milliseconds to wait for an event; 0 waits until one comes."""
        now = time.monotonic()
        waits = []
        if self.播放 is not None and self.播放.播放中:
            waits.append(1.0 / self.播放.帧率)
        if self._有对话框():
            waits.append(1.0 / 对话框帧率)
        if self.渲染任务 is not None:
            waits.append(0.2)
        expiry = self.状态栏.到期()
        if expiry is not None:
            waits.append(max(0.01, expiry - now))
        if not waits:
            return 0
        return max(1, int(min(waits) * 1000))

    def 一轮(self, 等待=True):
        """Handle what came, advance what plays, draw if anything changed."""
        events = self._等事件(self._超时()) if 等待 else pygame.event.get()
        edited, kind = False, None
        for pe in events:
            try:
                self._处理(pe)
            except Exception as e:  # noqa: BLE001 - one failing action must not lose the work
                traceback.print_exc()
                self.提示(f"出错：{type(e).__name__}: {e}")
            if pe.type != pygame.MOUSEMOTION:
                edited = True
                kind = _种类(pe)
            self.脏 = True
        if edited and self.画板._拖动 is None:
            self._提交(kind)
        now = time.monotonic()
        if events or self._有对话框():
            self.屏幕.ui_manager.update(now - self._上次更新)
        self._上次更新 = now
        if self.播放 is not None and self.播放.播放中:
            if not self.播放.推进():
                self.提示("播放结束")
            self.脏 = True
        if self.渲染任务 is not None and self._查看渲染():
            self.脏 = True
        if self._有对话框() or (self._消息到期 is not None and time.monotonic() >= self._消息到期):
            # A blinking text cursor, or a message that has had its time.
            self.脏 = True
        if self.脏:
            self.绘制()

    def _等事件(self, 毫秒):
        """The events that come within 毫秒 (0: however long it takes).

        pygame's own wait polls every millisecond, which keeps a core busy
        for nothing; this sleeps in steps instead: short ones while the user
        is at work, longer ones once the window has been quiet a while.
        """
        start = time.monotonic()
        deadline = start + 毫秒 / 1000 if 毫秒 else None
        while True:
            events = pygame.event.get()
            now = time.monotonic()
            if events:
                self._上次事件 = now
                return events
            if deadline is not None and now >= deadline:
                return []
            step = 活跃轮询 if now - self._上次事件 < 活跃时长 else 空闲轮询
            if deadline is not None:
                step = min(step, deadline - now)
            time.sleep(max(0.0, step))

    def _处理(self, pe):
        import pygame_gui

        t = pe.type
        if t == pygame.QUIT:
            self.退出()
            return
        if t == pygame.DROPFILE:
            self.拖入(pe.file)
            return
        if t in (pygame.WINDOWEXPOSED, pygame.VIDEOEXPOSE, pygame.WINDOWSHOWN, pygame.WINDOWRESTORED):
            self._全刷 = True
        consumed = self.屏幕.ui_manager.process_events(pe)
        if t == pygame_gui.UI_BUTTON_PRESSED:
            self._界面按钮(pe.ui_element)
            return
        if t == pygame_gui.UI_FILE_DIALOG_PATH_PICKED:
            self._文件已选(pe)
            return
        if t == pygame_gui.UI_WINDOW_CLOSE:
            self._窗口已关(pe.ui_element)
            return
        if consumed:
            return
        if t == pygame.KEYDOWN and self._快捷键(pe):
            return
        if self.帮助:
            if t in (pygame.MOUSEBUTTONDOWN, pygame.KEYDOWN):
                self.帮助 = False
            return
        e = 事件.来自(pe)
        if self.播放 is not None:
            if t == pygame.MOUSEBUTTONDOWN and e.按钮 in (1, 3) and (
                    self.画布矩形.collidepoint(e.坐标) or self.帧条矩形.collidepoint(e.坐标)):
                self.结束播放()
            if t not in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP, pygame.MOUSEMOTION,
                         pygame.MOUSEWHEEL, pygame.KEYDOWN, pygame.KEYUP):
                self.画板.处理事件(e)
            return
        if t == pygame.MOUSEBUTTONDOWN and not (self.画布矩形.collidepoint(e.坐标)
                                               or self.帧条矩形.collidepoint(e.坐标)):
            return
        self.画板.处理事件(e)

    # ----- drawing ---------------------------------------------------------------

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
        chrome.画播放头(self.屏幕.screen, x, self.帧条矩形.y, 条高,
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


def _种类(pe):
    """Edits of one kind in quick succession make one undo step."""
    if pe.type == pygame.MOUSEWHEEL:
        return "缩放"
    if pe.type == pygame.KEYDOWN and pe.key in (pygame.K_UP, pygame.K_DOWN, pygame.K_LEFT, pygame.K_RIGHT):
        return "微调"
    return None

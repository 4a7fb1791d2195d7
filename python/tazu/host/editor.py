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
import tempfile
import time
import traceback

import pygame

from .._common import 原子写入
from . import chrome
from ._support import 接上模块输出, 输出监听
from .board import 画板
from .commands import 命令
from .drawing import 画面
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


class 编辑器(命令, 画面):
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
        if doc.路径 is None and any(doc.图层(i) for i in range(len(doc.帧))):
            self.历史.已存 = None  # never saved, and not empty
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
        接上模块输出()
        self._听 = lambda *values: (self.状态栏.添加(*values), setattr(self, "脏", True))
        输出监听.append(self._听)

    def 提示(self, *values):
        self.状态栏.添加(*values)
        print(*values, flush=True)
        self.脏 = True

    def 关闭(self):
        """Stop what runs, stop listening and remove the temporary files."""
        if self.渲染任务 is not None:
            self.渲染任务.停止()
        if self.播放 is not None:
            self.播放.停止()
        if self._听 in 输出监听:
            输出监听.remove(self._听)
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
                    with 原子写入(截图) as part, open(part, "wb") as f:
                        pygame.image.save(self.屏幕.screen, f, os.path.basename(截图))
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
            self._状态选项()
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

    def _状态选项(self):
        """Keyframe selectors beside the selected layer and any layer showing a keyframe."""
        board = self.画板
        for icon in board.图标列表:
            states = getattr(icon, "状态列表", None)
            wanted = bool(states) and (icon is board.选中图标 or icon.当前状态备份 is not None)
            if wanted and icon.图标状态选项 is None:
                icon.展现图标状态()
            elif not wanted and icon.图标状态选项 is not None and icon.当前状态备份 is None:
                icon.图标状态选项 = None



def _种类(pe):
    """Edits of one kind in quick succession make one undo step."""
    if pe.type == pygame.MOUSEWHEEL:
        return "缩放"
    if pe.type == pygame.KEYDOWN and pe.key in (pygame.K_UP, pygame.K_DOWN, pygame.K_LEFT, pygame.K_RIGHT):
        return "微调"
    return None

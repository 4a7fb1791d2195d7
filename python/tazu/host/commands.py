"""The editor's commands: shortcuts and toolbar, frames, undo and redo, play,
and closing with unsaved changes. Files in and out are in files.py."""
from __future__ import annotations

import copy
import math

import pygame

from .files import 文件命令
from .frames import 键的前缀
from .playback import 播放

# Shortcuts with Ctrl: key -> (command without Shift, command with Shift).
_快捷 = {
    pygame.K_s: ("保存", "另存为"),
    pygame.K_o: ("打开", "打开"),
    pygame.K_z: ("撤销", "重做"),
    pygame.K_y: ("重做", "重做"),
    pygame.K_i: ("添加媒体", "添加媒体"),
    pygame.K_t: ("添加文本", "添加文本"),
    pygame.K_n: ("新帧", "新帧"),
    pygame.K_d: ("复制帧", "复制帧"),
    pygame.K_r: ("渲染", "渲染"),
    pygame.K_q: ("退出", "退出"),
    pygame.K_DELETE: ("删帧", "删帧"),
}
# Two clicks on one strip button closer than this edit the frame's weight.
双击毫秒 = 400
# What may run while a dialog is open.
_对话框中可用 = {"保存", "另存为", "帮助", "退出"}


class 命令(文件命令):
    # ----- keys and buttons ------------------------------------------------------

    def _快捷键(self, pe) -> bool:
        mods = getattr(pe, "mod", 0)
        key = pe.key
        if mods & pygame.KMOD_CTRL and key in _快捷:
            plain, shifted = _快捷[key]
            self.执行(shifted if mods & pygame.KMOD_SHIFT else plain)
            return True
        simple = {pygame.K_F1: "帮助", pygame.K_ESCAPE: "关闭", pygame.K_SPACE: "播放",
                  pygame.K_PAGEUP: "上一帧", pygame.K_PAGEDOWN: "下一帧"}
        if key in simple and not mods & (pygame.KMOD_CTRL | pygame.KMOD_ALT):
            self.执行(simple[key])
            return True
        return False

    def _界面按钮(self, element):
        for name, button in self.工具.items():
            if button is element:
                self.执行(name)
                return
        self._询问按钮(element)

    def 执行(self, name):
        """Run a command by its toolbar name."""
        if self._有对话框() and name not in _对话框中可用 and name != "关闭":
            self.提示("请先关闭对话框（Esc）")
            return
        if self.播放 is not None and name not in ("播放", "关闭", "帮助", "退出", "渲染"):
            self.结束播放()
        getattr(self, "命令_" + name)()

    def 命令_帮助(self):
        self.帮助 = not self.帮助

    def 命令_关闭(self):
        """Esc: close the help, menus and dialogs; else stop or leave playback."""
        closed = self.帮助 or self._关闭弹出()
        self.帮助 = False
        if not closed and self.播放 is not None:
            if self.播放.播放中:
                self.播放.停止()
            else:
                self.结束播放()

    def _关闭弹出(self) -> bool:
        closed = False
        board = self.画板
        for icon in board.图标列表:
            if getattr(icon, "当前菜单", None):
                icon.取消菜单()
                closed = True
            for name in ("循环次数输入框", "图层坐标设置", "图层比例设置"):
                dialog = getattr(icon, name, None)
                if dialog is not None and dialog.可见:
                    dialog.隐藏()
                    closed = True
        for dialog in getattr(self, "_帧对话框", None), board.字体输入框:
            if dialog is not None and getattr(dialog, "面板", None) is not None and dialog.面板.可见:
                if getattr(dialog, "colour_picker", None) is not None:
                    dialog.colour_picker.kill()
                dialog.隐藏()
                closed = True
        board.画布激活 = True
        for window in (self.文件对话框, self.询问窗):
            if window is not None:
                window[1].kill()
                closed = True
        self.文件对话框 = self.询问窗 = None
        return closed

    # ----- undo ----------------------------------------------------------------

    def _提交(self, 种类=None):
        """Take the canvas into the document; a change becomes an undo step."""
        if self.播放 is not None:
            return
        self.同步.采集()
        if self.历史.记下(self._状态(), 种类):
            self._更新标题()

    def 命令_撤销(self):
        self._提交()
        state = self.历史.撤销()
        if state is None:
            self.提示("没有可以撤销的修改")
            return
        self._恢复(state)
        self.提示(f"已撤销（还可撤销 {self.历史.步数} 步）")

    def 命令_重做(self):
        state = self.历史.重做()
        if state is None:
            self.提示("没有可以重做的修改")
            return
        self._恢复(state)
        self.提示("已重做")

    def _恢复(self, state):
        text, frame, selected = state
        self.文档.恢复(text)
        if frame is not None and frame < len(self.文档.帧):
            self.文档.帧.当前 = frame
        board = self.画板
        board.选中图标 = None
        self.同步.载入()
        for icon in board.图标列表:
            if icon.编号 == selected:
                board.选择(icon)
        self._建帧条()
        self._更新标题()

    # ----- frames --------------------------------------------------------------

    def 选择帧(self, 信息=None):
        """Show a frame (its key, or its index) on the canvas."""
        frames = self.文档.帧
        index = frames.键.index(信息) if 信息 in frames.键 else 信息
        if not isinstance(index, int) or not 0 <= index < len(frames):
            return
        if self.播放 is not None:
            self.结束播放(选帧=False)
        self._提交()
        self.同步.载入(index)
        self.画板.标记帧条()
        self.历史.记下(self._状态())

    def _帧条点击(self, 信息=None):
        """A click on the strip shows its frame; a second quick one edits its weight."""
        now = pygame.time.get_ticks()
        last, self._上次帧条点击 = getattr(self, "_上次帧条点击", (None, -1000)), (信息, now)
        if 信息 == last[0] and now - last[1] < 双击毫秒 and 信息 in self.文档.帧.键:
            self.选择帧(信息)
            self.编辑帧()
            return
        self.选择帧(信息)

    def 命令_上一帧(self):
        if self.文档.帧.当前:
            self.选择帧(self.文档.帧.当前 - 1)

    def 命令_下一帧(self):
        current = self.文档.帧.当前
        if current is not None and current + 1 < len(self.文档.帧):
            self.选择帧(current + 1)

    def _帧已切缝(self, board=None):
        # A cut or stitch changed the frames; the canvas shows the current one.
        self.同步.载入()
        self._建帧条()
        self._提交()

    def _改帧(self, change, message):
        self._提交()
        try:
            result = change()
        except (ValueError, IndexError) as e:
            self.提示(f"{message}失败：{e}")
            return None
        self.同步.载入()
        self._建帧条()
        self._提交()
        return result

    def 命令_新帧(self):
        """A frame after the last one, starting from the last frame's pose."""
        frames = self.文档.帧
        last = frames.键[-1]
        shot = last.split("_")[0] if last.count("_") >= 2 else "镜头"
        key = self._改帧(lambda: frames.插入(len(frames), f"{shot}_动作{len(frames)}", 1,
                                             copy.deepcopy(frames.数据[last])), "新建帧")
        if key is not None:
            frames.当前 = frames.键.index(key)
            self.同步.载入()
            self.画板.标记帧条()
            self.提示(f"已新建帧：{key}")

    def 命令_复制帧(self):
        frames = self.文档.帧
        index = frames.当前
        old = frames.键[index]
        key = self._改帧(lambda: frames.插入(index + 1, 键的前缀(old), frames.权重(index),
                                             copy.deepcopy(frames.数据[old])), "复制帧")
        if key is not None:
            self.选择帧(index + 1)
            self.提示(f"已复制帧：{key}")

    def 命令_删帧(self):
        frames = self.文档.帧
        gone = self._改帧(lambda: frames.删除(frames.当前), "删除帧")
        if gone is not None:
            self.画板.标记帧条()
            self.提示(f"已删除帧：{gone}（Ctrl+Z 撤销）")

    def 命令_权重(self):
        self.编辑帧()

    def 编辑帧(self):
        """Ask for the current frame's weight and/or action name."""
        import tazu.animation as animation

        frames = self.文档.帧
        key = frames.键[frames.当前]
        prompt = (f"第 {frames.当前 + 1} 帧 {key}\n输入时长权重（正数），或“动作名_权重”，或新的动作名")
        old = getattr(self, "_帧对话框", None)
        if old is not None:
            old.面板.销毁()  # the prompt names the frame: a new dialog each time
        self._帧对话框 = animation.通用输入框(self.画板, 回调=self._帧已改, 提示=prompt, 居中=True,
                                        面板宽度=520, 面板高度=300, 输入框比例=0.4)
        self._帧对话框.展现(f"{frames.权重(frames.当前):g}")

    def _帧已改(self, 文本):
        frames = self.文档.帧
        index = frames.当前
        try:
            prefix, weight = _解析帧输入(文本, frames.键[index])
        except ValueError as e:
            self.提示(str(e))
            return
        if weight is not None and index == 0 and len(frames) > 1:
            if weight != frames.权重(0):
                self.提示("起始帧是镜头开始时的样子，不占时间；只改了名字" if prefix else "起始帧不占时间，权重不起作用")
            weight = None
        if prefix is None and weight is None:
            return
        key = self._改帧(lambda: frames.改键(index, prefix, weight), "改帧")
        if key is not None:
            self.提示(f"帧已改为：{key}")

    # ----- play ----------------------------------------------------------------

    def 命令_播放(self):
        """Space: play from the selected frame; again, stop at the moment on show."""
        if self.播放 is not None:
            if self.播放.播放中:
                self.播放.停止()
                self.提示(f"停在 {self.播放.时刻:.2f} 秒")
            else:
                self.播放.开始()
            return
        self._提交()
        doc = self.文档
        try:
            playback = 播放(doc, self._画布面, self.屏幕.适配比例, self.临时文件夹,
                          旁白=self.旁白, 帧率=doc.帧率(self._配置帧率()))
        except Exception as e:  # noqa: BLE001 - whatever the player refuses is shown, nothing is lost
            self.提示(f"无法播放：{e}")
            return
        index = doc.帧.当前 or 0
        playback.时刻 = playback.帧起点(index)
        self.播放 = playback
        playback.开始()

    def 结束播放(self, 选帧=True):
        """Back to editing, at the frame the playhead is in."""
        playback, self.播放 = self.播放, None
        if playback is None:
            return
        playback.停止()
        if 选帧:
            index = playback.所在帧()
            if index != self.文档.帧.当前:
                self.选择帧(index)

    # ----- closing ---------------------------------------------------------------

    def 命令_退出(self):
        self.退出()

    def 退出(self):
        """Close the window; unsaved changes are asked about first."""
        if self.播放 is not None:
            self.结束播放(选帧=False)
        self._提交()
        if self.历史.未保存:
            self.询问保存(self._真退出)
        else:
            self._真退出()

    def _真退出(self):
        self.运行中 = False

    def 询问保存(self, 然后):
        """Ask Save / Don't save / Cancel before 然后 runs."""
        from pygame_gui.elements import UIButton, UILabel, UIWindow

        if self.询问窗 is not None:
            self.询问窗[1].kill()
        manager = self.屏幕.ui_manager
        w, h = 460, 170
        size = self.屏幕.screen.get_size()
        window = UIWindow(pygame.Rect((size[0] - w) // 2, (size[1] - h) // 2, w, h), manager,
                          window_display_title="未保存的修改", always_on_top=True)
        UILabel(pygame.Rect(16, 14, w - 64, 30), f"“{self.文档.名称}”有未保存的修改。", manager,
                container=window)
        buttons = {}
        for i, (name, label) in enumerate((("保存", "保存"), ("不保存", "不保存"), ("取消", "取消"))):
            buttons[name] = UIButton(pygame.Rect(16 + i * 140, 60, 128, 40), label, manager,
                                     container=window)
        self.询问窗 = ("询问", window, buttons, 然后)

    def _询问按钮(self, element):
        if self.询问窗 is None:
            return
        _, window, buttons, then = self.询问窗
        chosen = next((name for name, b in buttons.items() if b is element), None)
        if chosen is None:
            return
        window.kill()
        self.询问窗 = None
        if chosen == "取消":
            return
        if chosen == "保存" and not self.命令_保存(然后=then):
            return
        if chosen == "不保存":
            then()

    def _窗口已关(self, element):
        if self.询问窗 is not None and self.询问窗[1] is element:
            self.询问窗 = None
        if self.文件对话框 is not None and self.文件对话框[1] is element:
            self.文件对话框 = None


def _解析帧输入(text, key):
    """(new key prefix or None, new weight or None) from what the user typed."""
    text = (text or "").strip().replace("＿", "_")
    if not text:
        return None, None
    name, weight = text, None
    for sep in ("_", " "):
        if sep in text:
            head, tail = text.rsplit(sep, 1)
            try:
                weight = float(tail)
            except ValueError:
                continue
            name = head.strip()
            break
    else:
        try:
            weight, name = float(text), ""
        except ValueError:
            pass
    if weight is not None and (not math.isfinite(weight) or weight <= 0):
        raise ValueError(f"时长权重必须是正数，{text!r} 不行")
    if not name:
        return None, weight
    if "_" in name or any(mark in name for mark in ("音", "特效", "组合")):
        raise ValueError("动作名不能含有“_”“音”“特效”“组合”（那样就不是动作帧了）")
    prefix = 键的前缀(key)
    shot = prefix.rsplit("_", 1)[0] if "_" in prefix else None
    return (f"{shot}_{name}" if shot else name), weight

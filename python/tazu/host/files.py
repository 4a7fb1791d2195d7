"""The editor's files: open, save, save as, media in (file dialog, dropped
files, 替换, 导入模板), text layers, the narration of the shot, and render."""
from __future__ import annotations

import json
import os

import pygame

from .._common import 写入文本, 原子写入
from .document import 镜头文档
from .render_job import 渲染任务

图片后缀 = (".png", ".jpg", ".jpeg", ".bmp", ".webp", ".gif", ".tif", ".tiff")
# The picture under a text layer: the board draws the text into it.
文本底图 = "文本底图.png"
_对话框标题 = {"打开": "打开镜头文档", "另存为": "另存为", "添加": "添加媒体（图片、动图、视频）",
             "替换": "替换图层的文件", "模板": "导入模板（导出的组合）"}


class 文件命令:
    # ----- documents ----------------------------------------------------------

    def 命令_打开(self):
        self._提交()
        if self.历史.未保存:
            self.询问保存(lambda: self.打开文件对话框("打开"))
        else:
            self.打开文件对话框("打开")

    def 打开路径(self, path):
        try:
            doc = 镜头文档.打开(path)
        except Exception as e:  # noqa: BLE001 - CommandError names the problem; others too
            self.提示(f"无法打开：{e}")
            return False
        self.打开文档(doc)
        self.提示(f"已打开：{doc.路径}")
        return True

    def 命令_保存(self, 然后=None):
        """Save; an untitled document asks for a name first. True when saved."""
        self._提交()
        if self.文档.路径 is None:
            self.打开文件对话框("另存为", 然后=然后)
            return False
        return self._写(None, 然后)

    def 命令_另存为(self):
        self._提交()
        self.打开文件对话框("另存为")

    def _写(self, path, 然后=None):
        doc = self.文档
        if path is not None and not path.lower().endswith(".json"):
            path += ".json"
        try:
            saved = doc.保存(path)
        except (OSError, ValueError) as e:
            self.提示(f"保存失败：{e}")
            return False
        if path is not None:
            # Paths in the document changed with its folder: a new undo base.
            self.历史.记下(self._状态())
            self.画板.导出文件夹 = os.path.join(doc.文件夹, "模板")
        self.历史.已保存()
        self._更新标题()
        self.提示(f"已保存：{saved}")
        if 然后 is not None:
            然后()
        return True

    # ----- the file dialog ----------------------------------------------------

    def 打开文件对话框(self, 用途, icon=None, 然后=None):
        from pygame_gui.windows import UIFileDialog

        if self.文件对话框 is not None:
            self.文件对话框[1].kill()
        doc = self.文档
        if 用途 == "另存为":
            start = doc.路径 or os.path.join(doc.文件夹, doc.名称)
        else:
            start = doc.文件夹
        size = self.屏幕.screen.get_size()
        w, h = min(560, size[0] - 20), min(440, size[1] - 20)
        rect = pygame.Rect((size[0] - w) // 2, (size[1] - h) // 2, w, h)
        window = UIFileDialog(rect, self.屏幕.ui_manager, window_title=_对话框标题[用途],
                              initial_file_path=start, allow_existing_files_only=用途 != "另存为",
                              always_on_top=True)
        self.文件对话框 = (用途, window, icon, 然后)
        return window

    def _文件已选(self, pe):
        if self.文件对话框 is None or pe.ui_element is not self.文件对话框[1]:
            return
        purpose, _, icon, then = self.文件对话框
        self.文件对话框 = None
        self.选了文件(purpose, pe.text, icon, then)

    def 选了文件(self, 用途, path, icon=None, 然后=None):
        """What the file dialog's answer does, by what it was asked for."""
        if 用途 == "打开":
            self.打开路径(path)
        elif 用途 == "另存为":
            self._写(path, 然后)
        elif 用途 == "添加":
            self.添加媒体(path)
        elif 用途 == "替换":
            if icon is None or not any(i is icon for i in self.画板.图标列表):
                self.提示("要替换的图层已不在画布上")
            elif self._是媒体(path) and self.画板.替换图层(path, icon):
                self._从此换文件(icon.编号, os.path.abspath(path))
                self.提示(f"已替换：{os.path.basename(path)}")
        elif 用途 == "模板":
            try:
                made = self.画板.导入模板文件(path)
            except (OSError, ValueError) as e:
                self.提示(f"无法导入模板：{e}")
                return
            self.提示(f"已导入 {len(made)} 个图层")
        self._提交()

    def _从此换文件(self, 编号, path):
        """Replacing a layer's media replaces it from this frame on, where the
        later frames still show the file it had here."""
        doc = self.文档
        index = doc.帧.当前
        old = next((r.get("文件") for r in doc.图层(index) if r.get("编号") == 编号), None)
        if not old:
            return
        old = doc.绝对路径(old)
        new = doc.相对路径(path) if doc.路径 else path
        for key in doc.帧.键[index + 1:]:
            for record in doc.帧.数据[key]:
                if record.get("编号") == 编号 and doc.绝对路径(record.get("文件", "")) == old:
                    record["文件"] = new

    # ----- media in -----------------------------------------------------------

    def 命令_添加媒体(self):
        self.打开文件对话框("添加")

    def 拖入(self, path):
        """A file dropped on the window: a shot document opens, media becomes a layer."""
        if self.播放 is not None:
            self.结束播放()
        if path.lower().endswith(".json"):
            self._提交()
            if self.历史.未保存:
                self.询问保存(lambda: self.打开路径(path))
            else:
                self.打开路径(path)
            return
        self.添加媒体(path, 位置=pygame.mouse.get_pos())
        self._提交()

    def _是媒体(self, path):
        from tazu import mix

        if not os.path.isfile(path):
            self.提示(f"不是文件：{path}")
            return False
        if not (mix.是否视频(path) or path.lower().endswith(图片后缀)):
            self.提示(f"不是图片、动图或视频：{os.path.basename(path)}")
            return False
        return True

    def 添加媒体(self, path, 位置=None):
        """A new layer on top, centred on 位置 (default: the canvas centre)."""
        from tazu.mix import 字典

        path = os.path.abspath(path)
        if not self._是媒体(path):
            return None
        board = self.画板
        number = board.新编号()
        try:
            icon = board.新建图标(字典({"编号": number, "文件": path}), 编号=number)
        except Exception as e:  # noqa: BLE001 - a file the libraries cannot read
            self.提示(f"无法打开 {os.path.basename(path)}：{e}")
            return None
        self._放到(icon, 位置)
        board.图标列表.append(icon)
        board.选择(icon)
        self.提示(f"已添加图层 {number}：{os.path.basename(path)}")
        return icon

    def _放到(self, icon, 位置):
        area = self.画布矩形
        if 位置 is None or not area.collidepoint(位置):
            位置 = area.center
        conv = self.屏幕.实际画板转标准数据
        rect = icon.矩形
        icon.移动(conv(位置[0] - rect.宽 / 2), conv(位置[1] - rect.高 / 2))

    def 命令_添加文本(self):
        """A text layer in the middle of the canvas, with the text dialog open."""
        from PIL import Image

        doc = self.文档
        if doc.路径 is None:
            self.提示("请先保存文档：文本图层的底图放在文档旁边")
            return
        base = os.path.join(doc.文件夹, 文本底图)
        if not os.path.exists(base):
            try:
                with 原子写入(base) as part:
                    Image.new("RGBA", (1, 1), (0, 0, 0, 0)).save(part, format="PNG")
            except OSError as e:
                self.提示(f"不能添加文本：{e}")
                return
        icon = self.添加媒体(base)
        if icon is None:
            return
        self.画板.设置图标文本("文本", icon=icon)
        self._放到(icon, None)
        self.画板.打开字体输入框(icon)

    # ----- narration ----------------------------------------------------------

    def _找旁白(self):
        """The shot's narration, found as the episode build finds it, or None."""
        from tazu.cli.errors import CommandError

        from .narration import 找旁白

        try:
            return 找旁白(self.文档.路径, self.配置路径)
        except (CommandError, OSError, ValueError) as e:
            self.提示(f"旁白不可用：{e}")
            return None

    def _配置帧率(self):
        return getattr(self.旁白, "帧率", None) or 25.0

    # ----- render -------------------------------------------------------------

    def 命令_渲染(self):
        """Render the document on show into a video beside it, as `tazu render` does."""
        from .playback import _绝对路径

        if self.渲染任务 is not None:
            self.提示("正在渲染，请稍候")
            return
        self._提交()
        doc = self.文档
        if doc.路径 is None:
            self.提示("请先保存文档，视频放在文档旁边的 out 文件夹")
            return
        folder = os.path.join(self.临时文件夹, "渲染")
        copy_path = os.path.join(folder, doc.名称)
        try:
            os.makedirs(folder, exist_ok=True)
            写入文本(copy_path, json.dumps(_绝对路径(doc), ensure_ascii=False))
        except OSError as e:
            self.提示(f"不能渲染：{e}")
            return
        fps = doc.帧率(self._配置帧率())
        self.渲染任务 = 渲染任务(copy_path, os.path.join(doc.文件夹, "out"), fps, doc.时长)
        self.提示(f"开始渲染：{doc.名称}")

    def _查看渲染(self) -> bool:
        job = self.渲染任务
        news = job.查看()
        if job.结束:
            self.渲染任务 = None
            if job.错误:
                self.提示(f"渲染失败：{job.错误}")
            else:
                self.提示(f"已渲染：{job.结果}")
            return True
        if news:
            self.状态栏.添加(f"渲染中 {job.进度}")
        return news

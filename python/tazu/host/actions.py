"""The context menu's actions on the board.

They work on the selected icon and the multi-selected ones. Actions that need
the user's answer (a file, a text) go to a handler registered in 动作处理, or
wait in 待处理 for the host's UI.
"""
from __future__ import annotations

import copy
import os

import pygame

from .._common import 原子写入
from ._support import 输出
from .screen import 混合模式顺序

# Offset of a copied icon from its original, in standard data.
复制偏移 = 20


class MenuActions:
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

    def 替换图层(self, 路径, icon=None):
        """Give the (selected) icon another picture file."""
        icon = icon or self.选中图标
        if icon is None or getattr(icon, "锁", False):
            return False
        if not os.path.exists(路径):
            输出("图层文件不存在：" + os.fspath(路径))
            return False
        icon.替换图片(os.fspath(路径))
        return True

    def 循环播放(self):
        """Toggle looping of the selected layers' media."""
        for icon in self.选中集合():
            icon.循环 = not icon.循环
            输出(f"循环播放：{'开' if icon.循环 else '关'}（{getattr(icon, '别名', None) or icon.编号}）")

    def 准备融合(self):
        """Give the selected layers the next blend mode (see 混合模式顺序)."""
        for icon in self.选中集合():
            mode = icon.模式 or "正常"
            i = 混合模式顺序.index(mode) if mode in 混合模式顺序 else -1
            icon.模式 = 混合模式顺序[(i + 1) % len(混合模式顺序)]
            输出(f"混合模式：{icon.模式}")

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
        for icon in self._可改():
            self._移出组合(icon)
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
                输出("视频、动图和文本图层不能镜像")
                continue
            source = getattr(icon, "_文件", None) or getattr(icon, "_path", None)
            if not source or not os.path.isfile(source):
                输出("图层没有图片文件，不能镜像")
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
                    with 原子写入(target) as part, open(part, "wb") as f:
                        pygame.image.save(flipped, f, "x.png")
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

"""Keyframe state records on the board: applying them to icons, making icons
from them, and group files (export and template import)."""
from __future__ import annotations

import json
import numbers
import os
import sys

from .._common import 写入文本, 对, 数字
from ._support import 取, 有, 输出

# Keys applied as they stand, without conversion.
_原样键 = ("模式", "循环", "循环次数", "大盘旋转角度", "别名", "info")
# Pairs and boxes, which JSON turns into lists.
_成对键 = ("旋转中心", "相对坐标", "大盘矩形")


class Records:
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
            v = 取(记录, key)
            return None if v is None else conv(v)

        # Everything is read and converted first, so a bad value raises before
        # the icon changes. Only what the record holds is applied.
        origin = (number("origin_x"), number("origin_y"))
        has_origin = None not in origin
        ratio = 取(记录, "缩放比例") if 有(记录, "缩放比例") else None
        if ratio is not None:
            conv(ratio)
        turn = 有(记录, "旋转角度") or 有(记录, "旋转中心")
        if 有(记录, "旋转中心"):
            raw = 取(记录, "旋转中心")
            pivot = 对(raw, "旋转中心", 转换=conv) if raw else None
        else:
            pivot = icon.rotate_pivot
        angle = 取(记录, "旋转角度") if 有(记录, "旋转角度") else icon.rotate_angle
        if angle is not None:
            数字(angle, "旋转角度", 严格=True, 有限=False)
        position = (number("横坐标"), number("纵坐标"))
        group_scale, base_scale = number("大盘缩放比例"), number("原始缩放比例")
        vector = box = None
        if 有(记录, "相对坐标"):
            vector = 取(记录, "相对坐标")
            vector = 对(vector, "相对坐标", 转换=conv) if vector else None
            box = 取(记录, "大盘矩形")
            box = tuple(conv(v) for v in box) if vector and box else None

        self._应用文件(记录, icon)
        self._应用文本(记录, icon, 关键字)
        if has_origin:
            icon.origin_x, icon.origin_y = origin
        if has_origin or ratio is not None:
            if ratio is None:
                ratio = self.屏幕.实际画板转标准数据(icon.scale_ratio)
            # Scale from the origin point, as the record's origin describes the
            # unscaled picture; the icon converts the standard ratio itself.
            icon.缩放(ratio or 1, 初始=True, 系统=True)
        if turn:
            icon.旋转(angle or 0, 旋转轴位置=pivot, 系统=True)
        if None not in position:
            icon.移动(*position, 初始=True, 系统=True)

        for key in _原样键:
            if 有(记录, key):
                setattr(icon, key, 取(记录, key))
        if group_scale is not None:
            icon.大盘缩放比例 = group_scale
        if base_scale is not None:
            icon.原始缩放比例 = base_scale
        if 有(记录, "相对坐标"):
            icon.相对坐标 = vector
            icon._画板大盘矩形 = box
        lock = 关键字["锁"] if "锁" in 关键字 else 取(记录, "锁")
        if lock is not None:
            icon.锁 = lock

    def _应用文件(self, 记录, icon):
        path = 取(记录, "文件")
        if not path or not isinstance(path, (str, os.PathLike)):
            return
        path = self._绝对路径(path, 相对于工作目录=True)
        current = getattr(icon, "_文件", None) or getattr(icon, "_path", None)
        if current is not None and self._绝对路径(current) == path:
            return
        if not os.path.exists(path):
            输出("图层文件不存在：" + path)
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
                p = os.path.join(_工作目录(), p)
            found = self._路径缓存[key] = os.path.abspath(p)
        return found

    def 快照图标(self, 图标字典, icon, 系统=True):
        """Place the icon in the frame state the player hands over and keep it.

        The player calls this with the segment's start state before it turns
        and scales the icon to the moment; the record is kept under (file,
        number) so the host can see what each layer last showed.
        """
        self.调整新图标初始状态(图标字典, icon, 系统=系统)
        self.快照[(取(图标字典, "文件"), 取(图标字典, "编号"))] = 图标字典

    def 新建图标(self, 记录, 类=None, 编号=None):
        """A new icon of class 类 (default: the module's 图标) in the record's state."""
        if 类 is None:
            from tazu.animation import 图标 as 类
        编号 = self.新编号() if 编号 is None else 编号
        icon = 类(记录, self, 横坐标=取(记录, "横坐标") or 0, 纵坐标=取(记录, "纵坐标") or 0,
                 编号=编号)
        self.调整新图标初始状态(记录, icon, 系统=True)
        return icon

    def 导出组合(self):
        """Write the records of the selected icon's group (or the selection) to JSON.

        The file goes to 导出文件夹 (default: the temporary folder's "导出"
        sub-folder); media paths in it are relative to that folder, so the
        file can move with its media. Its path is returned and kept in
        最近导出. 导入模板文件 reads it back.
        """
        icon = self.选中图标
        if icon is None:
            return None
        members = self.所在组合(icon) or self.选中集合()
        folder = getattr(self, "导出文件夹", None) or os.path.join(self.临时文件夹, "导出")
        os.makedirs(folder, exist_ok=True)
        records = [_相对于(_可存(m.报告(缩放备份=False)), _工作目录(), folder) for m in members]
        n = 1
        while os.path.exists(os.path.join(folder, f"组合_{n}.json")):
            n += 1
        path = os.path.join(folder, f"组合_{n}.json")
        写入文本(path, json.dumps(records, ensure_ascii=False, indent=1))
        self.最近导出 = path
        输出("已导出：" + path)
        return path

    def 导入模板文件(self, 路径, 类=None):
        """Add the icons of an exported group file to the board, grouped again.

        Media paths are taken relative to the file's folder; files exported
        before paths were written that way named them relative to the working
        folder, which is tried second.
        """
        from tazu.mix import 列表, 字典

        with open(路径, encoding="utf-8") as f:
            records = json.load(f)
        if not isinstance(records, list) or not all(isinstance(r, dict) for r in records):
            raise ValueError(f"模板文件格式不对（应为记录的数组）：{路径}")
        folder = os.path.dirname(os.path.abspath(路径))
        made = []
        for raw in records:
            raw = _找回文件(raw, folder)
            record = 字典(_读回(raw))
            states = record.pop("状态列表", None) or []
            icon = self.新建图标(record, 类=类)
            if states:
                icon.状态列表 = 列表(字典(_读回(_找回文件(s, folder))) for s in states)
            self.图标列表.append(icon)
            made.append(icon)
        if len(made) > 1:
            self._新组合(made)
        return made


def _工作目录():
    module = sys.modules.get("tazu.animation")
    return getattr(module, "tazu_current_directory", None) or os.getcwd()


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


def _读回(record):
    # Pairs and boxes were tuples before they went through JSON.
    out = dict(record)
    for key in _成对键:
        if isinstance(out.get(key), list):
            out[key] = tuple(out[key])
    return out


def _相对于(record, base, folder):
    """The record with media paths (read against base) relative to folder."""
    out = dict(record)
    path = out.get("文件")
    if isinstance(path, str) and path:
        out["文件"] = os.path.relpath(os.path.normpath(os.path.join(base, path)), folder)
    if isinstance(out.get("状态列表"), list):
        out["状态列表"] = [_相对于(s, base, folder) if isinstance(s, dict) else s
                       for s in out["状态列表"]]
    return out


def _找回文件(record, folder):
    """The record with its media path made absolute: beside the file first."""
    out = dict(record)
    path = out.get("文件")
    if isinstance(path, str) and path and not os.path.isabs(path):
        beside = os.path.normpath(os.path.join(folder, path))
        old = os.path.normpath(os.path.join(_工作目录(), path))
        out["文件"] = beside if os.path.exists(beside) or not os.path.exists(old) else old
    return out

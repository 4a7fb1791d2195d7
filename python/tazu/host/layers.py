"""The canvas and the shot document: a frame's records onto the board's icons,
and the icons' reports back into the frame.

A layer is one icon number across the frames. Selecting a frame puts every
layer of it into its recorded state; a layer the frame lacks leaves the
canvas (the player ends it there too). Taking the canvas back compares each
icon's report with the one taken when its record was applied: an untouched
layer keeps its record as the file wrote it, a changed one gets the changed
values, with the whole position (or the whole group) written together so
the record stays consistent. A layer added on the canvas joins this frame
and every later one; a layer deleted leaves this frame and every later one,
since a layer that leaves a shot does not come back. Layer order belongs to
the shot: the player stacks layers in the order they first appear, so a
change of order on the canvas is made in every frame.
"""
from __future__ import annotations

import json
import os
import sys

from .records import _可存

# Keys that describe where a layer is; one changed, all are written.
位置键 = ("横坐标", "纵坐标", "宽度", "高度", "origin_x", "origin_y", "缩放比例", "旋转角度", "旋转中心")
组合键 = ("相对坐标", "大盘矩形", "原始缩放比例", "大盘缩放比例", "大盘旋转角度")
# What a compact record may leave out (the command line completes it with these).
_省略值 = {"模式": 0, "循环": True, "相对坐标": None, "原始缩放比例": 1, "大盘矩形": None,
          "锁": False, "循环次数": 1, "大盘旋转角度": 0, "大盘缩放比例": 1, "别名": None, "info": None}
# Digits kept for numbers the editor writes; a thousandth of a pixel is plenty.
_小数位 = 4


def _工作目录():
    module = sys.modules.get("tazu.animation")
    return getattr(module, "tazu_current_directory", None) or os.getcwd()


def 平整(record) -> dict:
    """A report as plain JSON data, with media paths absolute."""
    plain = _可存(record)
    base = _工作目录()

    def fix(rec):
        path = rec.get("文件")
        if isinstance(path, str) and path:
            rec["文件"] = os.path.normpath(os.path.join(base, path))
        for state in rec.get("状态列表") or []:
            fix(state)

    fix(plain)
    return plain


def _圆整(value):
    if isinstance(value, float):
        value = round(value, _小数位)
        return int(value) if value.is_integer() and abs(value) < 2 ** 53 else value
    if isinstance(value, list):
        return [_圆整(v) for v in value]
    return value


def _文本(value):
    # Reports hold the text as JSON text; the document keeps it readable.
    if isinstance(value, str) and len(value) >= 2 and value[0] == '"' == value[-1]:
        try:
            decoded = json.loads(value)
        except ValueError:
            return value
        if isinstance(decoded, str):
            return decoded
    return value


class 画布同步:
    """Moves one frame of the document onto the board and back."""

    def __init__(self, 画板, 文档):
        self.画板 = 画板
        self.文档 = 文档
        # 编号 -> report at the last load or capture: the changes are what differs.
        self.基线 = {}
        # 编号 -> the icon shown for that layer, kept across frames.
        self.图标 = {}
        # 编号 -> the name the editor gave a layer for its menu title.
        self.自动别名 = {}

    # ----- document to canvas ------------------------------------------------

    def 载入(self, 序号=None):
        """Put frame 序号 (default: the current one) on the canvas."""
        from tazu.mix import 列表, 字典

        board, doc = self.画板, self.文档
        if 序号 is not None:
            doc.帧.当前 = 序号
        index = doc.帧.当前
        selected = getattr(board.选中图标, "编号", None)
        multi = {i.编号 for i in board.图标列表 if getattr(i, "多选选中", False)}
        for icon in board.图标列表:
            if hasattr(icon, "取消激活"):
                icon.取消激活()
        icons, boxes = [], {}
        for i, raw in enumerate(doc.图层(index) if index is not None else []):
            record, states = doc.完整记录(raw, f"{doc.名称}: frame {doc.帧.键[index]}, layer {i}")
            icon = self._图标(record)
            icon.状态列表 = 列表(字典(s) for s in states)
            icon.当前状态备份 = None
            icon.图标状态选项 = None
            icon.缩放备份 = None
            icon.多选选中 = icon.编号 in multi
            icons.append(icon)
            box = record.get("大盘矩形")
            if record.get("相对坐标") and box:
                boxes.setdefault(tuple(box), []).append(icon)
        board.图标列表 = icons
        # Layers whose records share a group box were grouped when recorded.
        board.组合列表 = [members for members in boxes.values() if len(members) > 1]
        board.选中图标 = None
        for icon in icons:
            icon.激活 = False
            if icon.编号 == selected:
                board.选择(icon)
        self.基线 = {icon.编号: self._报告(icon) for icon in icons}

    def _图标(self, record):
        from tazu.mix import 字典

        board = self.画板
        number = record["编号"]
        icon = self.图标.get(number)
        if icon is not None and getattr(icon, "文本", None) and not record.get("文本"):
            icon = None  # a text layer becoming a picture starts afresh
        if icon is None:
            icon = board.新建图标(字典(record), 编号=number)
            self.图标[number] = icon
        else:
            board.调整新图标初始状态(字典(record), icon, 系统=True)
        return icon

    def 命名(self, icon) -> str:
        """The name the menu shows for a layer without an alias (the board asks)."""
        name = self.自动别名[icon.编号] = _名称(平整(icon.报告当下(缩放备份=False)))
        return name

    def _报告(self, icon):
        report = 平整(icon.报告(缩放备份=False))
        auto = self.自动别名.get(icon.编号)
        if auto is not None:
            # The editor's own name for the menu is no alias of the user's.
            for rec in [report] + list(report.get("状态列表") or []):
                if rec.get("别名") == auto:
                    rec["别名"] = None
        return report

    # ----- canvas to document ------------------------------------------------

    def 采集(self) -> bool:
        """Write the canvas into the current frame; True when the document changed."""
        doc, board = self.文档, self.画板
        index = doc.帧.当前
        if index is None:
            return False
        key = doc.帧.键[index]
        old = {r.get("编号"): r for r in doc.图层(index) if isinstance(r, dict)}
        reports = {icon.编号: self._报告(icon) for icon in board.图标列表}
        new = []
        for icon in board.图标列表:
            number = icon.编号
            raw, report = old.get(number), reports[number]
            before = self.基线.get(number)
            if raw is not None and _同记录(before, report):
                new.append(raw)
            else:
                new.append(self._合并(raw, before, report))
        changed = new != doc.图层(index)
        gone = [n for n in old if n not in reports]
        added = [r for r in new if r.get("编号") not in old]
        order = [icon.编号 for icon in board.图标列表]
        doc.帧.数据[key] = new
        for later in doc.帧.键[index + 1:]:
            layers = [r for r in doc.帧.数据[later] if r.get("编号") not in gone]
            present = {r.get("编号") for r in layers}
            layers += [json.loads(json.dumps(r)) for r in added if r.get("编号") not in present]
            changed |= layers != doc.帧.数据[later]
            doc.帧.数据[later] = layers
        for k in doc.帧.键:
            ordered = _排序(doc.帧.数据[k], order)
            changed |= ordered != doc.帧.数据[k]
            doc.帧.数据[k] = ordered
        self.基线 = reports
        return changed

    def _合并(self, raw, before, report) -> dict:
        """The record to write for a layer whose report changed."""
        doc = self.文档
        if raw is None:
            # A new layer: what differs from the defaults, and where it is.
            keys = [k for k in report if k in 位置键 or k in ("编号", "文件", "状态列表")
                    or report[k] != _省略值.get(k, object())]
            out = {}
        else:
            keys = [k for k in report if before is None or not _同值(k, before, report)]
            if any(k in 位置键 for k in keys):
                keys += [k for k in 位置键 if k not in keys]
            if any(k in 组合键 for k in keys):
                keys += [k for k in 组合键 if k not in keys]
            out = dict(raw)
            for k in (before or {}):
                if k not in report:
                    out.pop(k, None)
        for k in keys:
            if k not in report:
                continue
            value = report[k]
            if k == "文件":
                same = raw is not None and doc.绝对路径(raw.get("文件", "")) == value
                value = raw["文件"] if same else doc.相对路径(value) if doc.路径 else value
            elif k == "状态列表":
                value = [self._状态(s) for s in value or []] or None
                if value is None:
                    out.pop(k, None)
                    continue
            elif k == "文本":
                value = _文本(value)
            out[k] = _圆整(value)
        if raw is None:
            out = {"编号": report["编号"], "文件": out.pop("文件"), **out}
        return out

    def _状态(self, state) -> dict:
        doc = self.文档
        out = {}
        for k, v in state.items():
            if k in _省略值 and v == _省略值[k] and k not in 位置键:
                continue
            if k == "文件" and isinstance(v, str) and doc.路径:
                v = doc.相对路径(v)
            elif k == "文本":
                v = _文本(v)
            out[k] = _圆整(v)
        return out


def _同记录(a, b) -> bool:
    if a is None or b is None:
        return a is b
    return set(a) == set(b) and all(_同值(k, a, b) for k in a)


def _同值(key, a, b) -> bool:
    if key != "状态列表":
        return a.get(key) == b.get(key)
    # Stored keyframes come from the document in compact form and go back
    # through the icon as full records: the same pose is the same keyframe.
    x, y = a.get(key) or [], b.get(key) or []
    return len(x) == len(y) and all(_同姿态(s, t) for s, t in zip(x, y))


def _同姿态(a, b) -> bool:
    """The same look: file, turned box centre, angle, scale and the plain keys."""
    def centre(r):
        return (r.get("横坐标", 0) + (r.get("宽度") or 0) / 2, r.get("纵坐标", 0) + (r.get("高度") or 0) / 2)

    try:
        (ax, ay), (bx, by) = centre(a), centre(b)
        if abs(ax - bx) > 1 or abs(ay - by) > 1:
            return False
        if abs((a.get("旋转角度") or 0) - (b.get("旋转角度") or 0)) > 0.05:
            return False
        if abs((a.get("缩放比例") or 1) - (b.get("缩放比例") or 1)) > 1e-3:
            return False
    except TypeError:
        return False
    for key in ("文件", "模式", "循环", "锁", "循环次数", "文本", "字体", "字体大小", "文本颜色"):
        if _文本(a.get(key)) != _文本(b.get(key)) and not (key in ("文本", "字体", "字体大小", "文本颜色")
                                                           and not a.get(key) and not b.get(key)):
            return False
    return True


def _排序(layers, order):
    """Layers on the canvas in canvas order, each in a slot one of them held."""
    rank = {n: i for i, n in enumerate(order)}
    slots = [i for i, r in enumerate(layers) if r.get("编号") in rank]
    moved = sorted((layers[i] for i in slots), key=lambda r: rank[r.get("编号")])
    out = list(layers)
    for i, r in zip(slots, moved):
        out[i] = r
    return out


def _名称(record) -> str:
    """A layer's menu title: its text, or its file's name."""
    text = _文本(record.get("文本"))
    if isinstance(text, str) and text.strip():
        line = text.strip().splitlines()[0]
        return line[:12] + ("…" if len(line) > 12 else "")
    stem = os.path.splitext(os.path.basename(str(record.get("文件") or "")))[0]
    return stem or f"图层 {record.get('编号')}"

"""镜头文档: a shot document as the editor holds it.

The document is read with the command line's loader, so the editor opens what
`tazu render` draws and refuses what it refuses. Layer records stay as the
file writes them (compact, media paths relative to the document) until the
user changes a layer: an unedited document saves back equal to what was read.
The frames are the board's 帧列表, whose data holds each frame's list of layer
records; keys of the coordinate dictionary that are no action frames (sound,
effect and combination keys) are kept and written back after the frames.
"""
from __future__ import annotations

import copy
import json
import os

from .._common import 写入文本
from .frames import 帧列表

# A new document: the design size of the example shots, a starting pose and one action.
新文档尺寸 = (1280, 720)
新文档时长 = 6.0
新文档帧 = ("镜头_起始_1", "镜头_动作_1")


def _是动作键(key) -> bool:
    # The player's rule for pure action frames; the others are kept untouched.
    return "_" in key and not any(mark in key for mark in ("音", "特效", "组合"))


class 镜头文档:
    """One shot: its size, length and colour (`头`), its frames (`帧`) and
    the coordinate dictionary's other keys (`其他键`)."""

    def __init__(self, 数据: dict, 路径: str | None = None):
        self.路径 = os.path.abspath(路径) if 路径 else None
        self.头 = {k: copy.deepcopy(v) for k, v in 数据.items() if k != "坐标字典"}
        entries = 数据.get("坐标字典") or {}
        keys = [k for k in entries if _是动作键(k)]
        self.其他键 = {k: copy.deepcopy(v) for k, v in entries.items() if not _是动作键(k)}
        self.帧 = 帧列表(keys, {k: copy.deepcopy(entries[k]) for k in keys})
        # Where 坐标字典 sits among the top-level keys, so it is written back there.
        order = list(数据)
        self._字典位置 = order.index("坐标字典") if "坐标字典" in order else len(order)

    # ----- opening -------------------------------------------------------------

    @classmethod
    def 打开(cls, 路径: str) -> "镜头文档":
        """Read a shot document; CommandError names the file and what is wrong."""
        from tazu.cli.errors import CommandError
        from tazu.cli.shots import load_shot

        data = load_shot(路径)
        doc = cls(data, 路径)
        if not doc.帧.键:
            raise CommandError(f"{路径}: no action frames (keys like \"镜头_动作_1\")")
        for key in doc.帧.键:
            layers = doc.帧.数据[key]
            if not isinstance(layers, list):
                raise CommandError(f"{路径}: frame {key} must hold a list of layer records")
            for i, raw in enumerate(layers):
                # Completing every record checks its media and numbers now, not
                # when the user first selects its frame.
                doc.完整记录(raw, f"{路径}: frame {key}, layer {i}")
        return doc

    @classmethod
    def 新建(cls, 宽度=新文档尺寸[0], 高度=新文档尺寸[1], 时长=新文档时长) -> "镜头文档":
        return cls({"时长": 时长, "宽度": 宽度, "高度": 高度, "背景颜色": [0, 0, 0],
                    "坐标字典": {k: [] for k in 新文档帧}})

    # ----- what the document says ----------------------------------------------

    @property
    def 文件夹(self) -> str:
        """Folder that relative media paths start from."""
        return os.path.dirname(self.路径) if self.路径 else os.getcwd()

    @property
    def 名称(self) -> str:
        return os.path.basename(self.路径) if self.路径 else "未命名.json"

    @property
    def 宽度(self) -> int:
        return int(self.头.get("宽度", 新文档尺寸[0]))

    @property
    def 高度(self) -> int:
        return int(self.头.get("高度", 新文档尺寸[1]))

    @property
    def 时长(self) -> float:
        return float(self.头.get("时长", 1.0))

    @property
    def 背景颜色(self) -> tuple:
        colour = self.头.get("背景颜色", (0, 0, 0))
        return tuple(colour[:3]) if isinstance(colour, (list, tuple)) and len(colour) >= 3 else (0, 0, 0)

    def 帧率(self, 默认=25.0) -> float:
        value = self.头.get("帧率")
        ok = isinstance(value, (int, float)) and not isinstance(value, bool) and 1 <= value <= 120
        return float(value) if ok else 默认

    def 图层(self, 序号) -> list:
        """The layer records of frame 序号, as the document writes them."""
        return self.帧.数据[self.帧.键[序号]]

    def 绝对路径(self, path) -> str:
        path = os.fspath(path)
        return os.path.normpath(path if os.path.isabs(path) else os.path.join(self.文件夹, path))

    def 相对路径(self, path) -> str:
        """How the document writes a media path: relative to its folder."""
        return os.path.relpath(os.path.abspath(path), self.文件夹)

    def 完整记录(self, raw, where="layer"):
        """(full record with an absolute path, list of full state records)."""
        from tazu.cli.shots import complete_record

        rec, states = complete_record(raw, self.文件夹, where)
        full_states = []
        for j, state in enumerate(states or []):
            srec, _ = complete_record(state, self.文件夹, f"{where}, state {j}")
            full_states.append(srec)
        return rec, full_states

    # ----- writing -------------------------------------------------------------

    def 数据(self) -> dict:
        """The document as JSON-ready data, top-level keys in their order."""
        entries = {k: self.帧.数据[k] for k in self.帧.键}
        entries.update(self.其他键)
        items = list(self.头.items())
        items.insert(min(self._字典位置, len(items)), ("坐标字典", entries))
        return dict(items)

    def 快照(self) -> str:
        """The whole document as one text: equal texts are equal documents."""
        return json.dumps([self.路径, self.数据()], ensure_ascii=False, sort_keys=False)

    def 恢复(self, 快照: str) -> None:
        path, data = json.loads(快照)
        restored = 镜头文档(data, path)
        current = self.帧.当前
        self.路径, self.头, self.其他键 = restored.路径, restored.头, restored.其他键
        self._字典位置 = restored._字典位置
        # The board holds this 帧列表: change it in place.
        self.帧.键, self.帧.数据 = restored.帧.键, restored.帧.数据
        if self.帧.键:
            self.帧.当前 = min(current or 0, len(self.帧.键) - 1)
        else:
            self.帧.当前 = None

    def 改文件夹(self, 新路径: str) -> None:
        """Take the document to another file; relative media paths follow."""
        new_path = os.path.abspath(新路径)
        new_folder = os.path.dirname(new_path)
        if self.路径 is not None and new_folder == self.文件夹:
            self.路径 = new_path
            return
        old = self.文件夹

        def move(record):
            path = record.get("文件")
            if isinstance(path, str) and path and not os.path.isabs(path):
                record["文件"] = os.path.relpath(os.path.join(old, path), new_folder)
            elif isinstance(path, str) and path and self.路径 is None:
                # An untitled document held absolute paths until it had a folder.
                record["文件"] = os.path.relpath(path, new_folder)
            for state in record.get("状态列表") or []:
                if isinstance(state, dict):
                    move(state)

        for key in self.帧.键:
            for record in self.帧.数据[key]:
                if isinstance(record, dict):
                    move(record)
        self.路径 = new_path

    def 保存(self, 路径: str | None = None) -> str:
        """Write the document, whole or not at all; returns its path."""
        if 路径 is not None:
            self.改文件夹(路径)
        if self.路径 is None:
            raise ValueError("文档还没有文件名，请用“另存为”")
        text = 格式化(self.数据())
        写入文本(self.路径, text)
        return self.路径


def 格式化(data: dict) -> str:
    """JSON with one layer record per line, as the example shots are written."""
    out = ["{"]
    items = list(data.items())
    for i, (key, value) in enumerate(items):
        comma = "," if i < len(items) - 1 else ""
        if key == "坐标字典" and isinstance(value, dict) and value:
            out.append(f"  {_j(key)}: {{")
            frames = list(value.items())
            for j, (fkey, layers) in enumerate(frames):
                fcomma = "," if j < len(frames) - 1 else ""
                if isinstance(layers, list) and layers:
                    out.append(f"    {_j(fkey)}: [")
                    for k, layer in enumerate(layers):
                        out.append(f"      {_j(layer)}" + ("," if k < len(layers) - 1 else ""))
                    out.append(f"    ]{fcomma}")
                else:
                    out.append(f"    {_j(fkey)}: {_j(layers)}{fcomma}")
            out.append(f"  }}{comma}")
        else:
            out.append(f"  {_j(key)}: {_j(value)}{comma}")
    out.append("}")
    return "\n".join(out) + "\n"


def _j(value) -> str:
    return json.dumps(value, ensure_ascii=False)

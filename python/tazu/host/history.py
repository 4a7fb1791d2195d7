"""Undo and redo: the document's states, each a text of the whole document.

A state is kept after every edit; undo goes back one state, redo forward
again, and a new edit after an undo drops the states that were undone.
Repeated small edits of one kind (wheel steps, arrow nudges) made within a
moment of each other count as one step, as the user made one change.
"""
from __future__ import annotations

import time

最多步数 = 200
# Steps of one kind closer together than this (seconds) join.
合并间隔 = 0.8


class 历史:
    def __init__(self, 初始状态, 最多=最多步数, 时钟=time.monotonic):
        # Each entry: (document text, frame shown, selected layer number).
        self._状态 = [初始状态]
        self._位置 = 0
        self._最多 = 最多
        self._时钟 = 时钟
        self._上次 = (None, 0.0)
        # The document text of the last saved state; None when it was never saved.
        self.已存 = 初始状态[0]

    @property
    def 当前(self):
        return self._状态[self._位置]

    @property
    def 可撤销(self) -> bool:
        return self._位置 > 0

    @property
    def 可重做(self) -> bool:
        return self._位置 < len(self._状态) - 1

    @property
    def 步数(self) -> int:
        """How many steps can be undone."""
        return self._位置

    @property
    def 未保存(self) -> bool:
        return self.当前[0] != self.已存

    def 记下(self, 状态, 种类=None) -> bool:
        """Keep a state after an edit; False when the document did not change."""
        if 状态[0] == self.当前[0]:
            # The same document: only where the user looks moved on.
            self._状态[self._位置] = 状态
            return False
        now = self._时钟()
        kind, when = self._上次
        join = (种类 is not None and 种类 == kind and now - when < 合并间隔
                and self._位置 > 0 and not self.可重做 and self._状态[self._位置 - 1][0] != 状态[0])
        del self._状态[self._位置 + 1:]
        if join:
            self._状态[self._位置] = 状态
        else:
            self._状态.append(状态)
            self._位置 += 1
            if len(self._状态) > self._最多 + 1:
                drop = len(self._状态) - self._最多 - 1
                del self._状态[:drop]
                self._位置 -= drop
        self._上次 = (种类, now)
        return True

    def 撤销(self):
        """The state before the last edit, or None when there is none."""
        if not self.可撤销:
            return None
        self._位置 -= 1
        self._上次 = (None, 0.0)
        return self.当前

    def 重做(self):
        if not self.可重做:
            return None
        self._位置 += 1
        self._上次 = (None, 0.0)
        return self.当前

    def 已保存(self):
        self.已存 = self.当前[0]

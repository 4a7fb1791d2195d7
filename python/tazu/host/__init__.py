"""Reference host: the drawing board, its screen and events.

The animation module calls the board's and the screen's members by name; any
host supplying the same members can take their place.
"""
from .board import Board, 画板
from .events import Event, 事件
from .frames import 帧列表, 键的权重
from .screen import Screen, 屏幕, 混合模式, 混合模式顺序, 解析混合模式

__all__ = [
    "画板", "Board", "屏幕", "Screen", "事件", "Event",
    "帧列表", "键的权重", "混合模式", "混合模式顺序", "解析混合模式",
]

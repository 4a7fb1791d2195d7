"""Reference platform layer: the names the animation module takes from `mix`.

Everything the module may use is listed in `__all__`; the module imports these
names whole, so a host can supply its own `mix` with the same names.
"""
import json
import os
import re
import time
from importlib.util import find_spec as _find_spec

import cv2
import pygame
import pygame_gui
from PIL import Image, ImageSequence
from pygame_gui.elements import UISelectionList
from pygame_gui.windows import UIColourPickerDialog

from ._component import rotate_vector, 游戏组件
from ._containers import 列表, 字典, 文本, 游戏矩形
from ._documents import 文档格式错误, 自动断句, 阅读结构化文档
from ._files import (
    file_to_md5,
    删除,
    报数,
    是否存在,
    是否文件夹,
    是否视频,
    输出,
    路径,
    遍历文件夹,
)
from ._widgets import 创建界面管理器, 游戏按钮, 游戏文本, 游戏输入框, 游戏面板
from ._media import draw_bar_heights, font_file, get_image_bit_depth, 抓取图片, 抓取视频, 游戏字体

# For the reference host and the command line: pictures read as viewers show
# them. Not in __all__, so the module does not take them.
from ._media import load_picture, open_picture, pillow_to_surface  # noqa: F401

__all__ = [
    # libraries
    "pygame",
    "pygame_gui",
    "cv2",
    "os",
    "json",
    "re",
    "time",
    "Image",
    "ImageSequence",
    "UISelectionList",
    "UIColourPickerDialog",
    # component and value types
    "游戏组件",
    "游戏矩形",
    "列表",
    "字典",
    "文本",
    # helpers
    "输出",
    "报数",
    "rotate_vector",
    "是否存在",
    "是否文件夹",
    "是否视频",
    "删除",
    "路径",
    "遍历文件夹",
    "file_to_md5",
    "阅读结构化文档",
    "文档格式错误",
    "自动断句",
    "get_image_bit_depth",
    "font_file",
    "draw_bar_heights",
    "抓取图片",
    "抓取视频",
    "游戏字体",
    # widgets
    "游戏面板",
    "游戏输入框",
    "游戏按钮",
    "游戏文本",
    "创建界面管理器",
]

# Public classes present themselves (repr, pickles) as members of this module.
for _cls in (游戏组件, 游戏矩形, 列表, 字典, 文本, 文档格式错误, 游戏字体, 游戏面板, 游戏输入框, 游戏按钮, 游戏文本):
    _cls.__module__ = __name__
del _cls

# ---- audio objects and speech (python/tazu/mix/audio.py) --------------------
# audio.py defines its own __all__; its names join ours here. Until it exists
# the platform simply has no audio names.
if _find_spec(__name__ + ".audio") is not None:
    from . import audio as _audio_module
    from .audio import *  # noqa: F401,F403

    __all__ += [n for n in _audio_module.__all__ if n not in __all__]

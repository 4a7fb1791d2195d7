"""Reference host: the drawing board, its screen and events.

The animation module calls the board's and the screen's members by name; any
host supplying the same members can take their place. Choices this host makes:

- 屏幕: actual = standard × 适配比例; with a ratio of 1 the conversions hand
  values back untouched. `_fit_ratio` (widget scale) defaults to the same
  ratio. 粘贴's blend modes are listed in `混合模式` (正片叠底, 滤色, 叠加,
  变暗, 变亮, 减去 and English names); they blend colour only and leave
  the picture's transparent parts alone; an unknown mode raises ValueError.
- 画板.确保整数 / 确保正整数 / 确保浮点数 return the number, or None when the
  input is refused, so that 0 stays a valid answer: test the result with
  `is None`.
- Cutting frame i at r gives weights w·r and w·(1−r); stitching gives the later
  frame both weights and drops the earlier one; the starting pose of a
  multi-frame shot is neither cut nor stitched. Refusals print a line and
  change nothing. Both hand the caller's 信息 back (an action-key payload
  follows its frame's new key).
- Menu actions work on the selected icon (`选中图标`) and the multi-selected
  ones (`多选选中`). Those that need the user's answer (编辑文本,
  准备替换图层, 导入模板, 修改动作) go to a handler registered in
  `动作处理`, else wait in `待处理`; 设置图标文本, 替换图层 and 导入模板文件
  apply the answers. 启用文本编辑 answers 编辑文本 with the module's
  字体输入框 (打开字体输入框); 处理事件 hands the colour its picker reports
  back to that dialog.

`python -m tazu.host [SHOT.json]` (or `tazu edit`) opens the editor window
(editor.py): a shot document on the board, its frames in the strip, undo,
save, play and render.
"""
from .board import Board, 画板
from .events import Event, 事件
from .frames import 帧列表, 键的权重
from .screen import Screen, 屏幕, 混合模式, 混合模式顺序, 解析混合模式

__all__ = [
    "画板", "Board", "屏幕", "Screen", "事件", "Event",
    "帧列表", "键的权重", "混合模式", "混合模式顺序", "解析混合模式",
]

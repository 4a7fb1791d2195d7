"""Helpers for the icon tests: a screen that counts conversions and the icon class."""
from tazu.host import 屏幕

# Members of the icon written in other files; an icon under test needs them to
# exist (its constructor binds the menu actions), whatever they do.
_OTHER_MEMBERS = (
    "修改动作", "编辑文本", "添加动画", "循环动画", "删除动画", "替换", "循环播放", "设置坐标",
    "设置比例", "导出", "上浮", "下浮", "组合", "取消组合", "导入模板", "融合", "复制", "镜像",
    "锁定", "解锁", "重置", "删除", "取消菜单", "保存状态",
)


def icon_class():
    from tazu import animation

    missing = {n: (lambda self, *a, **k: None) for n in _OTHER_MEMBERS
               if not hasattr(animation.图标, n)}
    return type("图标", (animation.图标,), missing) if missing else animation.图标


class CountingScreen(屏幕):
    """A screen that records every conversion it is asked for."""

    def __init__(self, *a, **k):
        super().__init__(*a, **k)
        self.calls = []

    def 标准数据转实际画板(self, n):
        self.calls.append(("to_board", n))
        return super().标准数据转实际画板(n)

    def 实际画板转标准数据(self, n):
        self.calls.append(("to_standard", n))
        return super().实际画板转标准数据(n)

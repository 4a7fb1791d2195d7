"""Keyframe states of an icon: the selector, switching, adding, deleting and the
loop-count, position and scale dialogs."""
import pytest

from dialog_events import 点击, 输入
from tazu import animation


@pytest.fixture
def make_icon(board, make_png):
    from tazu.mix import 字典

    def make(x=100, y=80, b=None, colour=(255, 0, 0), 编号=1):
        b = b or board
        icon = animation.图标(字典({"文件": make_png(40, 30, colour)}), b, x, y, 编号=编号)
        b.添加图标(icon)
        b.选择(icon)
        return icon

    return make


def 位置(icon):
    return (icon.矩形.左, icon.矩形.上)


def 存为关键帧(icon, *places):
    """Stores a keyframe at each place, then puts the icon back where it was."""
    home = 位置(icon)
    for x, y in places:
        icon.移动(x, y)
        icon.状态列表.添加(icon.报告当下(缩放备份=False))
    icon.移动(*home)


def test_selector_lists_keyframes_then_current(make_icon):
    icon = make_icon()
    icon.展现图标状态()
    assert icon.图标状态选项 is None
    存为关键帧(icon, (1, 1), (2, 2), (3, 3))
    icon.展现图标状态()
    s = icon.图标状态选项
    assert s.选项列表 == ["0", "1", "2", "当前"] and s.选中项 == 3 and s.图标 is icon
    icon.展现图标状态(1)
    assert icon.图标状态选项.选中项 == 1 and icon.图标状态选项 is not s


def test_switching_backs_up_the_live_state_and_restores_it(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20), (300, 200))
    icon.切换状态(None)  # live already: nothing, not even a new selector
    assert icon.图标状态选项 is None and icon.当前状态备份 is None
    icon.切换状态(1)
    assert 位置(icon) == (300, 200) and icon.图标状态选项.选中项 == 1
    backup = icon.当前状态备份
    assert backup.获取("横坐标") == 100
    icon.切换状态(0)
    assert 位置(icon) == (10, 20) and icon.当前状态备份 is backup
    icon.切换状态(None)
    assert 位置(icon) == (100, 80) and icon.当前状态备份 is None
    assert icon.图标状态选项.选中项 == 2
    # An index past the stored ones names the live state too.
    icon.切换状态(0)
    icon.切换状态(5)
    assert 位置(icon) == (100, 80) and icon.当前状态备份 is None


def test_switching_keeps_the_icons_lock_and_text_not_the_records(make_icon, board):
    icon = make_icon()
    存为关键帧(icon, (10, 20))
    icon.锁 = True
    icon.切换状态(0)
    assert icon.锁 is True and 位置(icon) == (10, 20)


def test_edits_reach_the_marked_keyframe_when_saved(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20))
    icon.切换状态(0)
    icon.移动(55, 66)
    icon.保存状态()
    assert icon.状态列表.获取(0).获取("横坐标") == 55
    # The live entry is never written into the list.
    icon.切换状态(None)
    icon.移动(1, 2)
    icon.保存状态()
    assert icon.状态列表.长 == 1 and icon.状态列表.获取(0).获取("横坐标") == 55


def test_add_without_selector_inserts_at_zero_and_shows_it(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20))
    icon.添加动画()
    assert icon.状态列表.长 == 2
    assert [icon.状态列表.获取(i).获取("横坐标") for i in range(2)] == [100, 10]
    assert icon.图标状态选项.选中项 == 0 and icon.当前状态备份.获取("横坐标") == 100


@pytest.mark.parametrize("marked, order, shown", [
    (2, [10, 300, 100], 2),   # on "当前": appended
    (1, [10, 100, 300], 1),   # on keyframe 1: inserted before it
])
def test_add_with_selector(make_icon, marked, order, shown):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20), (300, 200))
    icon.展现图标状态(marked)
    icon.添加动画()
    assert [icon.状态列表.获取(i).获取("横坐标") for i in range(3)] == order
    assert icon.图标状态选项.选中项 == shown and 位置(icon) == (100, 80)


def test_delete_marked_keyframe_shows_the_next_one(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20), (300, 200), (5, 5))
    icon.切换状态(1)
    icon.删除动画()
    assert [icon.状态列表.获取(i).获取("横坐标") for i in range(2)] == [10, 5]
    assert 位置(icon) == (5, 5) and icon.图标状态选项.选中项 == 1


def test_delete_last_marked_keyframe_restores_the_live_state(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20))
    icon.切换状态(0)
    icon.删除动画()
    assert icon.状态列表.长 == 0 and 位置(icon) == (100, 80)
    assert icon.图标状态选项 is None and icon.当前状态备份 is None


def test_delete_on_current_makes_the_last_keyframe_live(make_icon):
    icon = make_icon(100, 80)
    存为关键帧(icon, (10, 20), (300, 200))
    icon.展现图标状态()
    icon.删除动画()
    assert icon.状态列表.长 == 1 and icon.状态列表.获取(0).获取("横坐标") == 10
    assert 位置(icon) == (300, 200) and icon.当前状态备份 is None
    assert icon.图标状态选项.选中项 == 1


def test_delete_without_selector_or_keyframes_does_nothing(make_icon):
    icon = make_icon()
    icon.删除动画()
    存为关键帧(icon, (10, 20))
    icon.删除动画()
    assert icon.状态列表.长 == 1


def test_keyframe_with_another_file_shows_its_picture(make_icon, make_png):
    icon = make_icon(colour=(255, 0, 0))
    blue = animation.图标(
        __import__("tazu.mix", fromlist=["字典"]).字典({"文件": make_png(40, 30, (0, 0, 255))}),
        icon.画板, 100, 80, 编号=1)
    icon.状态列表.添加(blue.报告当下(缩放备份=False))
    icon.切换状态(0)
    assert icon.image.get_at((5, 5))[:3] == (0, 0, 255)
    icon.切换状态(None)
    assert icon.image.get_at((5, 5))[:3] == (255, 0, 0)


# ----- dialogs ---------------------------------------------------------------------------


@pytest.mark.parametrize("typed, count", [("3", 3), ("0", 1), ("abc", 1), ("", 1)])
def test_loop_count_dialog(screen, make_icon, typed, count):
    icon = make_icon()
    icon.循环动画()
    d = icon.循环次数输入框
    assert d.可见 and not icon.画板.画布激活
    assert d.输入.element.placeholder_text == \
        "请输入要动画循环次数\n所有动画状态将会按顺序循环多次\n（仅支持输入正整数）"
    if typed:
        输入(screen, d.输入, typed)
    点击(screen, d.完成按钮)
    assert icon.循环次数 == count and not d.可见 and icon.画板.画布激活
    icon.循环动画()
    assert icon.循环次数输入框 is d and d.可见


@pytest.mark.parametrize("x, y, moved", [
    ("0", "0", (0, 0)), ("12", "-3", (12, -3)), ("a", "5", None), ("5", "", (5, 80)),
])
def test_position_dialog_accepts_zero_and_refuses_bad_text(screen, make_icon, x, y, moved):
    icon = make_icon(100, 80)
    icon.设置坐标()
    d = icon.图层坐标设置
    assert (d.默认X, d.默认Y) == (100, 80) and d.可见
    if x:
        输入(screen, d.X输入, x)
    if y:
        输入(screen, d.Y输入, y)
    点击(screen, d.完成按钮)
    assert 位置(icon) == (moved or (100, 80))
    icon.设置坐标()
    assert icon.图层坐标设置 is d


def test_position_dialog_defaults_are_standard_data(make_icon, board2):
    icon = make_icon(50, 40, b=board2)
    assert 位置(icon) == (100, 80)
    icon.设置坐标()
    d = icon.图层坐标设置
    assert (d.默认X, d.默认Y) == (50, 40) and type(d.默认X) is int
    assert d.X输入.element.placeholder_text == "X: 50"
    d.获得文本()  # confirming the defaults leaves the icon in place
    assert 位置(icon) == (100, 80)


@pytest.mark.parametrize("b, typed, ratio, shown", [
    ("board", "1.5", 1.5, "1.5"), ("board", "0", None, "1.5"), ("board", "x", None, "1.5"),
    # The typed scale is multiplied by the display scale, so the prompt is divided by it.
    ("board2", "1.5", 3.0, "0.75"),
])
def test_scale_dialog(request, screen, make_icon, monkeypatch, b, typed, ratio, shown):
    b = request.getfixturevalue(b)
    icon = make_icon(b=b)
    got = []
    monkeypatch.setattr(b, "比例调整", got.append)
    icon.scale_ratio = 1.5
    icon.设置比例()
    first = icon.图层比例设置
    assert first.输入.element.placeholder_text == "当前比例： " + shown and first.可见
    icon.设置比例()
    assert icon.图层比例设置 is not first and not first.面板.element.alive()
    icon.图层比例设置.输入.设置文本(typed)
    icon.图层比例设置.获得文本()
    assert got == ([ratio] if ratio else [])


@pytest.mark.parametrize("ratio", [1, 2, 1.5])
def test_confirming_the_prompted_scale_keeps_the_size(tmp_path, make_png, ratio):
    from tazu.host import 屏幕, 画板
    from tazu.mix import 字典

    b = 画板(屏幕(1280, 720, 适配比例=ratio), 临时文件夹=tmp_path / "tmp")
    icon = animation.图标(字典({"文件": make_png(40, 30)}), b, 10, 10, 编号=1)
    b.添加图标(icon)
    b.选择(icon)
    icon.缩放(1.2)
    size = icon.矩形.宽
    icon.设置比例()
    prompt = icon.图层比例设置.输入.element.placeholder_text
    icon.成功设置比例(prompt.removeprefix("当前比例： "))
    assert icon.矩形.宽 == pytest.approx(size, abs=1)

"""Canvas icon: construction, text form, transforms, gestures, drawing and state record."""
from types import SimpleNamespace as Ev

import pygame
import pytest

from icon_support import CountingScreen, icon_class

MENU_LABELS = ["修改动作", "编辑文本", "添加动画", "循环动画", "删除动画", "替换", "循环播放",
               "设置坐标", "设置比例", "导出", "上浮", "下浮", "组合", "取消组合", "导入模板",
               "融合", "复制", "镜像", "锁定", "解锁", "重置", "删除"]
RECORD_KEYS = ["编号", "文件", "横坐标", "纵坐标", "origin_x", "origin_y", "宽度", "高度", "模式",
               "循环", "缩放比例", "旋转中心", "相对坐标", "原始缩放比例", "大盘矩形", "旋转角度",
               "锁", "循环次数", "大盘旋转角度", "大盘缩放比例", "别名", "info"]


@pytest.fixture
def Icon():
    return icon_class()


@pytest.fixture
def make_board(tmp_path):
    from tazu.host import 画板

    def make(ratio=1, **k):
        return 画板(CountingScreen(640, 480, 适配比例=ratio), 临时文件夹=tmp_path / f"t{ratio}", **k)

    return make


@pytest.fixture
def info_for():
    from tazu.mix import 字典

    return lambda path: 字典({"文件": path})


@pytest.fixture
def two_tone(make_png):
    # 40 × 20: left half red, right half blue, so turns show their direction.
    return make_png(40, 20, lambda x, y: (255, 0, 0) if x < 20 else (0, 0, 255))


# ----- construction ------------------------------------------------------------------


def test_construction_at_fit_ratio_one_makes_no_conversion(Icon, make_board, info_for, two_tone):
    board = make_board(1)
    icon = Icon(info_for(two_tone), board, 10, 20, 编号=7, 宽度=40, 高度=20, info={"name": "A"})
    assert board.屏幕.calls == []
    assert (icon.x, icon.y, icon.w, icon.h) == (10, 20, 40, 20)
    assert icon.type == "photo" and icon.别名 == "A" and icon.系统 is False
    assert list(icon.按钮字典) == MENU_LABELS
    assert all(icon.按钮字典[k] == getattr(icon, k) for k in MENU_LABELS)
    assert icon.按钮字典["删除"].__self__ is icon
    assert icon.状态列表 == [] and icon.状态列表 is not Icon(info_for(two_tone), board).状态列表
    assert (icon.循环次数, icon.原始缩放比例, icon.缩放备份, icon.相对坐标) == (1, 1, None, None)


def test_transforms_and_gestures_at_fit_ratio_one_make_no_conversion(Icon, make_board, info_for,
                                                                     two_tone):
    board = make_board(1)
    icon = Icon(info_for(two_tone), board, 10, 20)
    icon.取消菜单 = lambda: None
    icon.移动(30, 40)
    icon.旋转(30, (5, 5), 初始=True)
    icon.缩放(2, 初始=True, 缩放中心=(1, 1))
    icon.移动锚点 = (1, 1)
    icon.鼠标移动(Ev(坐标=(50, 50)), x_direction=True)
    icon.键盘微调(Ev(键盘=pygame.K_UP))
    assert board.屏幕.calls == []
    icon.状态列表.添加(icon.报告当下(缩放备份=False))
    board.屏幕.calls.clear()
    icon.移动至目标(5, 5)
    assert board.屏幕.calls == []


@pytest.mark.parametrize("system", [False, True])
def test_construction_converts_standard_data_unless_system(Icon, make_board, info_for, two_tone,
                                                           system):
    board = make_board(2)
    icon = Icon(info_for(two_tone), board, 10, 20, 宽度=30, 高度=15, 系统=system)
    if system:
        assert board.屏幕.calls == []
        assert (icon.x, icon.y, icon.w, icon.h) == (10, 20, 30, 15)
    else:
        assert [v for _, v in board.屏幕.calls] == [30, 15, 10, 20]
        assert (icon.x, icon.y, icon.w, icon.h) == (20, 40, 60, 30)


def test_width_without_height_is_converted_but_not_used(Icon, make_board, info_for, two_tone):
    board = make_board(2)
    icon = Icon(info_for(two_tone), board, 5, 5, 宽度=99)
    assert board.屏幕.calls == [("to_board", 99), ("to_board", 5), ("to_board", 5)]
    assert (icon.w, icon.h) == (40, 20)


def test_equality_by_number_and_no_hash(Icon, make_board, info_for, two_tone, make_png):
    board = make_board()
    a = Icon(info_for(two_tone), board, 编号=3)
    b = Icon(info_for(make_png(5, 5)), board, 50, 50, 编号=3)
    assert a == b and a != Icon(None, board, 编号=4)
    assert not (a == None) and not (a == 0)  # noqa: E711
    assert b in [Icon(None, board, 编号=9), a]
    with pytest.raises(AttributeError):
        _ = a == object()
    with pytest.raises(TypeError):
        hash(a)


def test_text_form_and_properties(Icon, make_board, info_for, two_tone):
    board = make_board(2)
    icon = Icon(info_for(two_tone), board, 10, 20, 编号=5)
    text = str(icon)
    assert text.startswith("图层编号：5  |  图层类型：图片  |  动画状态数：1  |  动画循环次数：1  |  图层文件：")
    assert "坐标：(20, 40) | 缩放比例：0.5 | 旋转角度：0 | 组合旋转角度：0 | 组合缩放比例：0.5 | " \
           "屏幕适配比例：2 | 混合模式：0 | \n" in text
    assert text.endswith("\n") and text.count("\n") == 1
    assert icon.左上角 == (20, 40) and icon.面积 == 800 and icon.旋转中心 is None
    assert icon.中心 == (40, 50)
    icon.x, icon.宽 = -5, 3  # int(-3.5) truncates toward zero
    assert icon.中心 == (-3, 50)


def test_icon_without_source_prints_reports_and_draws(Icon, make_board):
    board = make_board()
    icon = Icon(None, board)
    assert icon.文件 is None and "图层文件：None | " in str(icon)
    assert icon.报告当下().获取("文件") is None
    icon.绘制()


# ----- transforms ------------------------------------------------------------------


@pytest.mark.parametrize("flags, follows", [({}, False), ({"初始": True}, True),
                                            ({"系统": True}, True)])
def test_lock_refuses_user_transforms_only(Icon, make_board, info_for, two_tone, flags, follows):
    icon = Icon(info_for(two_tone), make_board())
    icon.锁 = True
    icon.移动(10, 10, **flags)
    icon.旋转(90, **flags)
    icon.缩放(2, **flags)
    if follows:
        assert (icon.rotate_angle, icon.scale_ratio) == (90, 2)
        assert icon.origin_x == 10
    else:
        assert (icon.x, icon.y, icon.rotate_angle, icon.scale_ratio) == (0, 0, 0, 1)


@pytest.mark.parametrize("bad, error", [("x", TypeError), (float("nan"), ValueError)])
def test_a_refused_angle_leaves_the_icon_as_it_was(Icon, make_board, info_for, two_tone, bad, error):
    icon = Icon(info_for(two_tone), make_board())
    icon.旋转(30)
    with pytest.raises(error):
        icon.旋转(bad)
    assert icon.rotate_angle == 30 and icon.报告当下(缩放备份=False)["旋转角度"] == 30
    icon.缩放(2, 系统=True)
    assert icon.scale_ratio == 2


@pytest.fixture
def base_calls(monkeypatch):
    """Records what the icon hands its base class."""
    from tazu import mix

    calls = []
    for name in ("移动", "旋转", "缩放", "被动缩放"):
        original = getattr(mix.游戏组件, name)

        def spy(self, *a, _name=name, _orig=original, **k):
            calls.append((_name, a, k))
            return _orig(self, *a, **k)

        monkeypatch.setattr(mix.游戏组件, name, spy)
    return calls


def test_transforms_convert_per_their_initial_flag(Icon, make_board, info_for, two_tone, base_calls):
    icon = Icon(info_for(two_tone), make_board(2))
    base_calls.clear()
    icon.移动(10, 20)
    icon.移动(10, 20, 初始=True)
    icon.旋转(30, (5, 5), 初始=True)
    icon.旋转(30, (5, 5))
    icon.缩放(0.5, 初始=True, 缩放中心=(4, 6))
    icon.缩放(0, 初始=True)
    icon.缩放(0.7)
    assert base_calls == [
        ("移动", (20, 40), {"初始": False}),
        ("移动", (10, 20), {"初始": True}),
        ("旋转", (), {"角度": 30, "旋转轴位置": (10, 10)}),
        ("旋转", (), {"角度": 30, "旋转轴位置": (5, 5)}),
        ("缩放", (), {"缩放比例": 1.0, "初始": True, "缩放中心": (8, 12)}),
        ("缩放", (), {"缩放比例": 2, "初始": True, "缩放中心": (0, 0)}),
        ("缩放", (), {"缩放比例": 0.7, "初始": False, "缩放中心": (0, 0)}),
    ]


def test_scale_backup_restores_a_turned_icon_instead_of_scaling(Icon, make_board, info_for,
                                                                 two_tone):
    board = make_board()
    applied = []
    original = board.调整新图标初始状态
    board.调整新图标初始状态 = lambda rec, icon, **k: (applied.append((rec, k)),
                                                    original(rec, icon, **k))
    icon = Icon(info_for(two_tone), board, 100, 100)
    backup = icon.报告当下(缩放备份=False)
    icon.旋转(30, 初始=True)
    icon.大盘旋转角度 = 15
    icon.缩放备份 = backup
    icon.缩放(1.2)
    assert applied == [(backup, {"系统": True})]
    assert (icon.rotate_angle, icon.大盘旋转角度, icon.scale_ratio) == (0, 0, 1)
    assert icon.缩放备份 is not backup and "缩放备份" not in icon.缩放备份
    assert (icon.x, icon.y) == (100, 100)

    icon.旋转(30, 初始=True)
    icon.缩放(1.2, 系统=True)
    assert icon.scale_ratio == 1.2 and icon.rotate_angle == 30

    icon.状态列表.添加(backup)  # an icon with keyframe states never restores
    assert icon.恢复缩放备份() is False
    icon.缩放(1.5)
    assert icon.scale_ratio == 1.5


def test_group_vector_and_inferred_centre(Icon, make_board, info_for, make_png):
    icon = Icon(info_for(make_png(20, 10)), make_board(), 150, 40)
    icon.设置相对坐标(0, 0, 100, 200)
    assert icon.相对坐标 == (60, -5) and icon.原始缩放比例 == 1
    assert icon.推算大盘中心() == (100, 50)
    icon.相对坐标 = (1, 2, 3)
    with pytest.raises(ValueError):
        icon.推算大盘中心()
    icon.相对坐标, icon.原始缩放比例 = (1, 2), 0
    with pytest.raises(ZeroDivisionError):
        icon.推算大盘中心()


def test_passive_scaling_follows_the_group_vector(Icon, make_board, info_for, make_png):
    icon = Icon(info_for(make_png(20, 10)), make_board(), 150, 40)
    icon.被动缩放(2, (100, 50))  # in no group: nothing happens
    assert icon.scale_ratio == 1
    icon.设置相对坐标(0, 0, 100, 200)
    icon.被动缩放(2, (100, 50))
    assert icon.scale_ratio == 2
    assert (icon.x + icon.w / 2, icon.y + icon.h / 2) == (220, 40)


@pytest.mark.parametrize("ratio", [1, 2])
def test_system_move_to_target_carries_keyframe_states(Icon, make_board, info_for, two_tone, ratio):
    from tazu.mix import 列表

    board = make_board(ratio)
    icon = Icon(info_for(two_tone), board, 0, 0, 系统=True)
    icon.旋转(90, (0, 0), 系统=True)  # turned: corner and origin differ
    first = icon.报告当下(缩放备份=False)
    second = icon.报告当下(缩放备份=False)
    second.填写("旋转中心", "")
    replaced = []

    class States(列表):
        def 替换(self, i, r):
            replaced.append(i)
            super().替换(i, r)

    icon.状态列表 = States([first, second])
    icon.当前状态备份 = icon.报告当下(缩放备份=False)
    before = [dict(r) for r in (first, second, icon.当前状态备份)]

    old = (icon.横坐标, icon.纵坐标, icon.origin_x, icon.origin_y)
    icon.移动至目标(30, 10, 系统=True)  # standard data
    moved = (icon.横坐标 - old[0], icon.纵坐标 - old[1], icon.origin_x - old[2],
             icon.origin_y - old[3])
    assert moved[:2] == (30 * ratio - old[0], 10 * ratio - old[1])
    assert moved[2:] == moved[:2]  # the origin moved as far as the corner
    dx, dy = moved[0] / ratio, moved[1] / ratio
    assert replaced == [0, 1]
    for b, r in zip(before, (first, second, icon.当前状态备份)):
        assert r["横坐标"] == b["横坐标"] + dx and r["纵坐标"] == b["纵坐标"] + dy
        assert r["origin_x"] == b["origin_x"] + dx and r["origin_y"] == b["origin_y"] + dy
    assert first["旋转中心"] == (before[0]["旋转中心"][0] + dx, before[0]["旋转中心"][1] + dy)
    assert second["旋转中心"] == ""


def test_move_to_target_without_states_or_system_is_a_plain_move(Icon, make_board, info_for,
                                                                 two_tone):
    icon = Icon(info_for(two_tone), make_board(2))
    record = icon.报告当下(缩放备份=False)
    icon.状态列表.添加(record)
    icon.移动至目标(10, 5)
    assert (icon.x, icon.y) == (20, 10) and record["横坐标"] == 0


# ----- gestures --------------------------------------------------------------------


@pytest.fixture
def gesture_icon(Icon, make_board, info_for, two_tone):
    def make(ratio=1, x=50, y=60):
        icon = Icon(info_for(two_tone), make_board(ratio), x, y)
        icon.menu_cancels = []
        icon.取消菜单 = lambda: icon.menu_cancels.append(1)
        return icon

    return make


@pytest.mark.parametrize("anchor, flags, target", [
    (None, {}, (50, 60)),
    ((), {}, (50, 60)),
    ((5, 8), {}, (100, 200)),
    ((5, 8), {"x_direction": True}, (100, 60)),
    ((5, 8), {"y_direction": True}, (50, 200)),
    ((5, 8), {"x_direction": True, "y_direction": True}, (50, 60)),
])
def test_drag(gesture_icon, anchor, flags, target):
    icon = gesture_icon()
    icon.移动锚点 = anchor
    icon.鼠标移动(Ev(坐标=(105, 208)), **flags)
    assert icon.menu_cancels == [1] and (icon.x, icon.y) == target


@pytest.mark.parametrize("flags, target", [({}, (100, 200)), ({"x_direction": True}, (100, 120)),
                                           ({"y_direction": True}, (120, 200))])
def test_drag_at_fit_ratio_two_follows_the_pointer(gesture_icon, flags, target):
    icon = gesture_icon(ratio=2, x=60, y=60)  # actual (120, 120)
    icon.移动锚点 = (5, 8)
    icon.鼠标移动(Ev(坐标=(105, 208)), **flags)
    assert (icon.x, icon.y) == target


def test_drag_with_a_bad_pointer_fails_after_closing_the_menu(gesture_icon):
    icon = gesture_icon()
    with pytest.raises(ValueError):
        icon.鼠标移动(Ev(坐标=(1, 2, 3)))
    assert icon.menu_cancels == [1]


@pytest.mark.parametrize("pointer, kwargs, angle", [
    (280, {}, 10), (320, {}, -10), (320, {"旋转角度": 45}, 45), (310, {"精度": 5}, -2)])
def test_rotate_gesture(gesture_icon, pointer, kwargs, angle):
    icon = gesture_icon()
    assert icon.鼠标旋转(Ev(坐标=(pointer, 0)), 旋转中心=(300, 0), **kwargs) == angle
    assert icon.rotate_pivot == (300, 0) and icon.menu_cancels == [1]


def test_rotate_gesture_on_a_locked_icon_keeps_the_new_centre_only(gesture_icon):
    icon = gesture_icon()
    icon.锁 = True
    assert icon.鼠标旋转(Ev(坐标=(280, 0)), 旋转中心=(300, 0)) == 0
    assert icon.rotate_pivot == (300, 0)
    with pytest.raises(ZeroDivisionError):
        icon.鼠标旋转(Ev(坐标=(280, 0)), 精度=0)


@pytest.mark.parametrize("call", [
    lambda i: i.设置相对坐标("0", 0, 100, 200),
    lambda i: i.鼠标缩放(Ev(纵坐标="5")),
    lambda i: i.鼠标旋转(Ev(坐标=("280", 0)), 旋转中心=(300, 0)),
    lambda i: i.鼠标旋转(Ev(坐标=(280, 0)), 精度="2", 旋转中心=(300, 0)),
])
def test_numbers_given_as_text_fail_as_arithmetic_does(gesture_icon, call):
    icon = gesture_icon()
    before = (icon.x, icon.y, icon.rotate_angle, icon.scale_ratio, icon.相对坐标)
    with pytest.raises(TypeError):
        call(icon)
    assert (icon.x, icon.y, icon.rotate_angle, icon.scale_ratio, icon.相对坐标) == before


@pytest.mark.parametrize("amount, result", [(-5, None), (-7, None), (5, 1.0), (10, 1.5)])
def test_scale_gesture(gesture_icon, amount, result):
    icon = gesture_icon()
    icon.缩放(0.5)
    assert icon.鼠标缩放(Ev(纵坐标=amount)) == result
    assert icon.scale_ratio == (result or 0.5)


@pytest.mark.parametrize("key, flags, moved", [
    (pygame.K_UP, {}, (0, -2)), (pygame.K_DOWN, {}, (0, 2)), (pygame.K_LEFT, {}, (-2, 0)),
    (pygame.K_RIGHT, {}, (2, 0)), (pygame.K_UP, {"x_direction": True}, (0, 0)),
    (pygame.K_LEFT, {"x_direction": True}, (-2, 0)), (pygame.K_RIGHT, {"y_direction": True}, (0, 0)),
    (pygame.K_a, {}, (0, 0))])
@pytest.mark.parametrize("ratio", [1, 2])
def test_arrow_keys_nudge_by_two_pixels(gesture_icon, key, flags, moved, ratio):
    icon = gesture_icon(ratio)
    x, y = icon.x, icon.y
    icon.键盘微调(Ev(键盘=key), **flags)
    assert (icon.x - x, icon.y - y) == moved


def test_hit_test_is_a_plain_bool(gesture_icon):
    icon = gesture_icon()
    assert icon.检查(Ev(坐标=(50, 60))) is True
    assert icon.检查(Ev(坐标=(90, 60))) is False


# ----- drawing ----------------------------------------------------------------------


def colour(board, x, y):
    return tuple(board.屏幕.screen.get_at((x, y)))[:3]


RED, BLUE, BLACK = (255, 0, 0), (0, 0, 255), (0, 0, 0)


@pytest.fixture
def drawn(Icon, make_board, info_for, two_tone):
    board = make_board()
    icon = Icon(info_for(two_tone), board, 100, 50)

    def draw():
        board.屏幕.screen.fill(BLACK)
        icon.绘制()
        return lambda x, y: colour(board, x, y)

    return icon, draw


def test_drawing_follows_moves_turns_and_scaling(drawn):
    icon, draw = drawn
    at = draw()
    assert (at(100, 50), at(139, 69), at(140, 50), at(99, 50)) == (RED, BLUE, BLACK, BLACK)
    icon.移动(200, 100)
    at = draw()
    assert (at(200, 100), at(239, 119), at(100, 50)) == (RED, BLUE, BLACK)

    # A quarter turn about the top-left corner: the right (blue) end goes up.
    icon.移动(100, 50)
    icon.旋转(90, (100, 50))
    at = draw()
    assert (icon.x, icon.y, icon.w, icon.h) == (100, 10, 20, 40)
    assert (at(105, 12), at(118, 28), at(105, 32), at(118, 48)) == (BLUE, BLUE, RED, RED)
    assert (at(125, 55), at(99, 20), at(105, 52)) == (BLACK, BLACK, BLACK)

    # Twice the size about its own centre (120, 60).
    icon.旋转(0)
    icon.缩放(2)
    at = draw()
    assert (at(81, 41), at(158, 78), at(79, 60), at(120, 81)) == (RED, BLUE, BLACK, BLACK)


@pytest.mark.parametrize("mode, passed", [(0, None), ("", None), ("正常", None),
                                          ("正片叠底", "正片叠底")])
def test_blend_mode_is_passed_only_when_not_normal(drawn, mode, passed):
    icon, _ = drawn
    pastes = []
    for method in ("绘制", "系统绘制"):
        screen = Ev(粘贴=lambda pic, rect, **k: pastes.append(k.get("mode")))
        icon.模式 = mode
        if method == "绘制":
            icon.画板.屏幕.粘贴 = screen.粘贴
            icon.绘制()
        else:
            icon.系统绘制(screen)
    assert pastes == [passed, passed]


@pytest.mark.parametrize("active, point_colour", [(True, (255, 0, 0)), (False, (190, 0, 0))])
def test_developer_overlay_shows_group_box_and_vector_point(Icon, make_board, info_for, make_png,
                                                            active, point_colour):
    board = make_board(开发者模式=True)
    icon = Icon(info_for(make_png(4, 4, (0, 255, 0))), board, 400, 300)
    boxes = []
    board.获取组合矩形 = lambda i: boxes.append(i) or (0, 0, 100, 200)
    icon.绘制()
    assert boxes == []  # in no group: only the paste
    icon.相对坐标, icon.scale_ratio, icon.激活 = (10, -4), 2, active
    board.屏幕.screen.fill(BLACK)
    icon.绘制()
    assert colour(board, 120, 42) == point_colour
    assert colour(board, 1, 50) == BLUE and colour(board, 198, 50) == BLUE
    assert colour(board, 100, 50) == BLACK and colour(board, 401, 301) == (0, 255, 0)
    icon.系统绘制(board.屏幕)
    assert len(boxes) == 1
    board.获取组合矩形 = lambda i: (0, 0, 1)
    with pytest.raises(ValueError):
        icon.绘制()


# ----- state record -------------------------------------------------------------------


def test_record_keys_and_values_at_fit_ratio_two(Icon, make_board, info_for, two_tone):
    board = make_board(2)
    board.获取组合矩形 = lambda i: (0, 10, 100, 200)
    icon = Icon(info_for(two_tone), board, 10, 20, 编号=4, info={"name": "人"})
    icon.旋转(30, (100, 100))
    icon.相对坐标 = (10, -4)
    icon.大盘缩放比例 = 3
    icon.文本, icon.字体, icon.文本颜色 = "你好", "宋体", "#fff"
    board.屏幕.calls.clear()
    record = icon.报告当下(缩放备份=False)
    assert list(record) == RECORD_KEYS + ["文本", "文本颜色", "字体"]
    assert type(record).__name__ == "字典"
    assert board.屏幕.calls[:8] == [("to_standard", v) for v in (100, 100, 10, -4, 0, 10, 100, 200)]
    assert len(board.屏幕.calls) == 17
    assert record["旋转中心"] == (50, 50) and record["相对坐标"] == (5, -2)
    assert record["大盘矩形"] == (0, 5, 50, 100)
    assert (record["origin_x"], record["origin_y"], record["缩放比例"]) == (10, 20, 0.5)
    assert record["横坐标"] == icon.矩形.左 / 2 != icon.origin_x
    assert (record["旋转角度"], record["大盘缩放比例"], record["原始缩放比例"]) == (30, 1.5, 0.5)
    assert (record["编号"], record["别名"], record["info"]) == (4, "人", {"name": "人"})
    assert record["文本"] == '"\\u4f60\\u597d"' and len(record["文本"]) == 14


def test_record_of_a_plain_icon(Icon, make_board, info_for, two_tone):
    board = make_board()
    board.获取组合矩形 = lambda i: pytest.fail("no group, no box")
    icon = Icon(info_for(two_tone), board, 10, 20)
    icon.rotate_angle = None
    full = icon.报告当下()
    assert list(full) == RECORD_KEYS + ["缩放备份"] and full["缩放备份"] is None
    assert (full["旋转中心"], full["旋转角度"], full["相对坐标"], full["大盘矩形"]) == ("", 0, None, None)
    icon.缩放备份 = full
    assert "缩放备份" not in icon.报告当下(缩放备份=False)
    assert icon.报告(缩放备份=False).获取("状态列表") is None


def test_report_with_states_returns_the_live_backup(Icon, make_board, info_for, two_tone):
    icon = Icon(info_for(two_tone), make_board())
    icon.状态列表.添加(icon.报告当下(缩放备份=False))
    fresh = icon.报告(缩放备份=False)
    assert fresh["状态列表"] is icon.状态列表 and list(fresh)[-1] == "状态列表"
    icon.当前状态备份 = icon.报告当下(缩放备份=False)
    assert icon.报告() is icon.当前状态备份 is icon.报告()
    assert icon.当前状态备份["状态列表"] is icon.状态列表


def test_properties_are_read_not_called_and_docstring_is_plain(Icon, make_board, info_for, two_tone):
    from tazu import animation

    icon = Icon(info_for(two_tone), make_board())
    for name in ("中心", "文件", "面积", "左上角", "旋转中心", "旋转角度"):
        assert isinstance(vars(animation.图标)[name], property)
    with pytest.raises(TypeError):
        icon.中心()
    assert animation.图标.更新内容.__doc__ == "\n    专为系统设计而生\n"

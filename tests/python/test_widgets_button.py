import types

import pygame
import pytest

from tazu import animation
from tazu.mix import font_file, 游戏矩形, 游戏组件


class Screen:
    """Draws for real on a surface and records the drawing calls in order."""

    def __init__(self, ratio=1):
        self.适配比例 = ratio
        self.screen = pygame.Surface((400, 200))
        self.calls = []

    def 长方形(self, colour, rect, width):
        self.calls.append(("长方形", tuple(colour), width))
        pygame.draw.rect(self.screen, colour, rect.to_rect(), width)

    def 粘贴(self, picture, rect):
        self.calls.append(("粘贴",))
        self.screen.blit(picture.image, rect.to_rect())


class Board:
    def __init__(self, ratio=1, threshold=10, result="done"):
        self.屏幕 = Screen(ratio)
        self.帧切割阈值 = threshold
        self.result = result
        self.calls = []

    def 切割动作(self, 序号, 比例, 信息):
        self.calls.append(("切割", 序号, 比例, 信息))
        return self.result

    def 缝合动作(self, 序号, 方向, 信息):
        self.calls.append(("缝合", 序号, 方向, 信息))
        return self.result


class Font:
    def __init__(self):
        self.font = pygame.font.Font(font_file(), 16)

    def 渲染(self, text):
        return 游戏组件(self.font.render(text, True, (255, 255, 255)))


class Clock:
    def __init__(self, now=1000.0):
        self.now = now

    def time(self):
        return self.now


class Event:
    def __init__(self, x, y, button=1):
        self.坐标 = (x, y)
        self.按钮 = button


@pytest.fixture
def clock(monkeypatch):
    c = Clock()
    monkeypatch.setattr(animation, "time", types.SimpleNamespace(time=c.time))
    return c


def make(board=None, callback=None, weight=1.0, info=None, rect=(100, 200, 10, 40), **kw):
    board = board or Board()
    return animation.联合按钮(board, 游戏矩形(*rect), "第1帧", callback, Font(), 序号=4, 权重=weight,
                          信息=info, **kw)


def click(button, x, y=20, which=1):
    button.鼠标按下(Event(x, y))
    return button.鼠标弹起(Event(x, y, which))


def test_construction_sets_attributes_in_order_and_defaults():
    board = Board()
    b = animation.联合按钮(board, 游戏矩形(0, 50, 0, 20), "t", None, Font())
    names = list(vars(b))
    assert names[:15] == ["回调", "画板", "序号", "权重", "文本", "字体", "_激活", "激活颜色", "未激活颜色",
                          "选中颜色", "当前颜色", "信息", "柱子信息", "柱子数量", "上次切缝时间"]
    assert (b.激活颜色, b.未激活颜色, b.选中颜色) == ((0, 128, 128), (22, 22, 22), (0, 111, 111))
    assert b.当前颜色 == b.未激活颜色 and b._激活 is False
    assert (b.序号, b.权重, b.信息, b.柱子信息, b.柱子数量, b.上次切缝时间) == (None, None, None, None, 0, None)
    assert isinstance(b, 游戏组件) and (b.横坐标, b.纵坐标, b.矩形.宽) == (0, 0, 50)
    assert animation.联合按钮.__init__.__doc__.strip() == "初始化按钮的相关参数"


def test_colour_arguments_count_as_absent_only_when_none():
    b = make(未激活颜色=(1, 2, 3), 激活颜色=(0, 0, 0), 选中颜色=None)
    assert b.未激活颜色 == (1, 2, 3) and b.当前颜色 == (1, 2, 3)
    assert b.激活颜色 == (0, 0, 0) and b.选中颜色 == (0, 111, 111)


@pytest.mark.parametrize("ratio, expected", [(1, (100, 200, 10, 40)), (2, (200, 400, 20, 80))])
def test_rectangle_is_scaled_to_the_fit_ratio(ratio, expected):
    b = make(Board(ratio=ratio))
    assert (b.矩形.左, b.矩形.右, b.矩形.上, b.矩形.下) == expected


def test_fit_ratio_one_leaves_the_rectangle_alone():
    class Spy(游戏矩形):
        __slots__ = ()

        def set_scale_ratio(self, ratio):
            raise AssertionError("scaled at ratio 1")

    animation.联合按钮(Board(), Spy(0, 10, 0, 10), "t", None, Font())


def test_selection_and_activation_are_told_by_the_colour():
    b = make()
    assert not b.是否选中
    b.选中()
    assert b.是否选中 and b.当前颜色 == (0, 111, 111)
    b.激活()
    assert b._激活 is True and b.当前颜色 == (0, 128, 128) and not b.是否选中
    b.选中()
    b.取消选中()
    assert not b.是否选中 and b.当前颜色 == (22, 22, 22)
    with pytest.raises(TypeError):
        b.是否选中()  # a property, not a method


@pytest.mark.parametrize("x, y, inside", [(100, 10, True), (199, 39, True), (200, 20, False),
                                          (99, 20, False), (150, 40, False)])
def test_press_activates_only_inside(x, y, inside):
    b = make()
    assert b.鼠标按下(Event(x, y)) is inside
    assert b._激活 is inside
    assert (b.当前颜色 == b.激活颜色) is inside


def test_press_outside_clears_activation_and_release_does_nothing():
    calls = []
    b = make(callback=lambda *a: calls.append(a))
    b.鼠标按下(Event(150, 20))
    b.鼠标按下(Event(10, 20))
    assert b._激活 is False
    assert b.鼠标弹起(Event(150, 20, 3)) is None
    assert calls == [] and b.画板.calls == []


def test_release_outside_after_press_inside_does_nothing():
    calls = []
    b = make(callback=lambda *a: calls.append(a))
    b.鼠标按下(Event(150, 20))
    assert b.鼠标弹起(Event(250, 20, 1)) is None
    assert calls == []


@pytest.mark.parametrize("info, expected", [(None, ()), (0, ()), ("", ()), ({"帧": 2}, ({"帧": 2},))])
def test_left_release_calls_back_with_information_only_when_truthy(info, expected):
    calls = []
    b = make(callback=lambda *a: calls.append(a), info=info)
    assert click(b, 150) is True
    assert calls == [expected]
    assert b.画板.calls == []


def test_release_without_callback_is_still_handled():
    assert click(make(callback=None), 150) is True


def test_right_release_on_unweighted_segment_goes_to_the_callback(clock):
    calls = []
    b = make(callback=lambda *a: calls.append(a), weight=None)
    assert click(b, 150, which=3) is True
    assert calls == [()] and b.画板.calls == [] and b.上次切缝时间 is None


@pytest.mark.parametrize("x, expected", [
    (100, ("缝合", 4, "左", "info")),
    (109.5, ("缝合", 4, "左", "info")),
    (110, ("切割", 4, 0.1, "info")),       # exactly at the threshold: the test is strict
    (150, ("切割", 4, 0.5, "info")),
    (190, ("切割", 4, 0.9, "info")),
    (191, ("缝合", 4, "右", "info")),
])
def test_cut_or_stitch_by_distance_to_the_edges(x, expected):
    b = make(info="info")
    assert b.切割或缝合((x, 20)) == "done"
    assert b.画板.calls == [expected]


def test_zero_width_cut_divides_by_zero():
    b = make(Board(threshold=0), rect=(100, 100, 10, 40))
    with pytest.raises(ZeroDivisionError):
        b.切割或缝合((100, 20))


def test_right_release_cuts_and_hands_the_board_result_to_the_callback(clock, capsys):
    calls = []
    b = make(Board(result={"新帧": 5}), callback=lambda *a: calls.append(a), info="old")
    assert click(b, 150, which=3) is True
    assert b.画板.calls == [("切割", 4, 0.5, "old")]
    assert b.信息 == {"新帧": 5} and calls == [({"新帧": 5},)]
    assert b.上次切缝时间 == 1000.0


def test_falsy_board_result_calls_back_without_argument(clock):
    calls = []
    b = make(Board(result=None), callback=lambda *a: calls.append(a), info="old")
    click(b, 150, which=3)
    assert b.信息 is None and calls == [()]


@pytest.mark.parametrize("gap, handled", [(2.0, False), (2.999, False), (3.0, True), (7.5, True)])
def test_cut_and_stitch_are_throttled_to_one_per_three_seconds(clock, capsys, gap, handled):
    calls = []
    b = make(callback=lambda *a: calls.append(a))
    assert click(b, 150, which=3) is True
    capsys.readouterr()
    clock.now += gap
    result = click(b, 105, which=3)
    assert float(capsys.readouterr().out) == pytest.approx(gap)  # the elapsed time is printed
    if handled:
        assert result is True
        assert len(b.画板.calls) == 2 and len(calls) == 2 and b.上次切缝时间 == clock.now
    else:
        assert result is None
        assert len(b.画板.calls) == 1 and len(calls) == 1 and b.上次切缝时间 == 1000.0


def test_clock_set_back_does_not_lock_cutting_out(clock):
    b = make()
    click(b, 150, which=3)
    clock.now -= 3600
    assert click(b, 150, which=3) is True
    assert len(b.画板.calls) == 2


def test_throttle_does_not_hold_back_left_clicks(clock):
    calls = []
    b = make(callback=lambda *a: calls.append(a))
    click(b, 150, which=3)
    clock.now += 1
    assert click(b, 150, which=1) is True
    assert len(calls) == 2 and len(b.画板.calls) == 1


def test_draw_fills_borders_waves_then_text(monkeypatch):
    seen = []
    real = animation.draw_bar_heights

    def spy(bars, w, h, count):
        seen.append((list(bars), w, h, count))
        return real(bars, w, h, count)

    monkeypatch.setattr(animation, "draw_bar_heights", spy)
    b = make(未激活颜色=(200, 0, 0))
    b.绘制()
    assert [c[0] for c in b.画板.屏幕.calls] == ["长方形", "长方形", "粘贴"]
    assert seen == []  # no bars yet
    b.设置波形图([0.5, 1.0, 0.25], 3)
    b.画板.屏幕.calls.clear()
    assert b.绘制() is None
    assert b.画板.屏幕.calls == [("长方形", (200, 0, 0), 0), ("长方形", (130, 130, 130), 1), ("粘贴",)]
    assert seen == [([0.5, 1.0, 0.25], 100, 30, 3)]
    surface = b.画板.屏幕.screen
    assert surface.get_at((101, 11))[:3] == (200, 0, 0)        # fill
    assert surface.get_at((100, 10))[:3] == (130, 130, 130)    # border


def test_label_is_centred_on_the_button():
    b = make(rect=(100, 300, 10, 50))
    b.设置文本("剪")
    layer = []
    font = b.字体
    b.字体 = types.SimpleNamespace(渲染=lambda t: layer.append(font.渲染(t)) or layer[-1])
    b.绘制()
    r = layer[0].矩形
    assert abs((r.左 + r.宽 / 2) - 200) < 1 and abs((r.上 + r.高 / 2) - 30) < 1


def test_strip_on_the_reference_board_cuts_and_stitches(board, clock, capsys):
    from tazu.host import 事件

    board.设置帧(["镜头_起始_1", "镜头_走_2", "镜头_停_1"])
    font = Font()
    strip = [animation.联合按钮(board, 游戏矩形(100 * i, 100 * i + 100, 0, 40), k, None, font, 序号=i,
                            权重=1, 信息=k) for i, k in enumerate(board.帧)]

    def release(b, x, button=3):
        b.鼠标按下(事件(坐标=(x, 20), 按钮=button))
        return b.鼠标弹起(事件(坐标=(x, 20), 按钮=button))

    assert release(strip[1], 125) is True  # a quarter into 镜头_走_2
    assert list(board.帧) == ["镜头_起始_1", "镜头_走_0.5", "镜头_走_1.5", "镜头_停_1"]
    clock.now += 3
    assert release(strip[2], 295) is True  # near the right edge: stitch with the right neighbour
    assert len(list(board.帧)) == 3
    assert sum(float(k.rsplit("_", 1)[1]) for k in board.帧) == 4  # the shot keeps its length

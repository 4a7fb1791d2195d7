"""Playing layers back on the reference board: where each layer is drawn, when."""
import copy
import math
import os
import pickle

import numpy
import pytest
from PIL import Image

from tazu import animation
from tazu.mix import 列表, 字典

RED, BLUE, YELLOW, GREEN = (255, 0, 0), (0, 0, 255), (255, 255, 0), (0, 255, 0)
BLACK = (0, 0, 0)


def pixel(board, x, y):
    return tuple(board.屏幕.screen.get_at((round(x), round(y))))[:3]


def clear(board):
    board.屏幕.screen.fill(BLACK)


def drawn(board):
    """Number of pixels that are not background."""
    arr = numpy.asarray(pygame_array(board))
    return int(numpy.count_nonzero(arr.sum(axis=2)))


def pygame_array(board):
    import pygame

    return pygame.surfarray.array3d(board.屏幕.screen)


def icon(board, path, x, y, number=1):
    return animation.图标(字典({"文件": path}), board, 横坐标=x, 纵坐标=y, 编号=number)


def report(ic):
    return ic.报告(缩放备份=False)


class Shot:
    """Frames of one shot fed to sprites the way the host does, then drawn."""

    def __init__(self, board, start=0):
        self.board, self.start = board, start
        self.sprites, self.library = [], 列表()

    def play(self, frames, share=1.0):
        """frames: list of (action key, [records]); durations from the action keys."""
        keys = 列表([k for k, _ in frames])
        weights, total = animation.计算时间权重(keys)
        clock = self.start
        by_number = {}
        for key, records in frames:
            length = weights.获取(key) * share
            for rec in records:
                n = rec.获取("编号")
                if n not in by_number:
                    by_number[n] = animation.图层精灵(
                        画板=self.board, 图标字典=rec, 编号=n, 文件=rec.获取("文件"),
                        横坐标=rec.获取("横坐标"), 纵坐标=rec.获取("纵坐标"),
                        缩放比例=rec.获取("缩放比例"), 单份时长=share, 当帧时长=length,
                        旋转中心=rec.获取("旋转中心"), 旋转角度=rec.获取("旋转角度"), 当前时间=clock)
                    self.sprites.append(by_number[n])
            for sprite in self.sprites:
                sprite.检测是否终结(key, 列表(records), length)
            clock += length
        return self

    def draw(self, moment):
        clear(self.board)
        for s in self.sprites:
            s.渲染到屏幕(moment, self.board.屏幕, self.library)


def count_pastes(board, monkeypatch):
    calls = []
    original = board.屏幕.粘贴

    def paste(picture, rect, *a, **k):
        calls.append((rect.左, rect.上))
        return original(picture, rect, *a, **k)

    monkeypatch.setattr(board.屏幕, "粘贴", paste)
    return calls


# ----- a picture that moves and turns over three action frames ---------------------


@pytest.fixture
def moving_shot(board, make_png):
    path = make_png(40, 20, RED)
    ic = icon(board, path, 100, 100)
    r0 = report(ic)
    ic.移动(300, 100)
    r1 = report(ic)
    ic.旋转(90)
    r2 = report(ic)
    # Weights 0, 2, 2: the first frame is the starting pose.
    return Shot(board, start=10).play([("镜_起_1", [r0]), ("镜_走_2", [r1]), ("镜_转_2", [r2])])


def test_moving_picture_is_drawn_where_it_is_at_each_moment(board, moving_shot):
    moving_shot.draw(10 + 1.0)  # half way from (100, 100) to (300, 100)
    assert pixel(board, 220, 110) == RED
    assert pixel(board, 120, 110) == BLACK and pixel(board, 320, 110) == BLACK

    moving_shot.draw(10 + 3.0)  # turned 45 degrees about (320, 110)
    assert pixel(board, 320, 110) == RED
    assert pixel(board, 332, 98) == RED  # along the turned box, above the unturned one
    assert pixel(board, 337, 110) == BLACK  # inside the unturned box only

    moving_shot.draw(10 + 4.0)  # standing: 20 wide, 40 high
    assert pixel(board, 320, 127) == RED
    assert pixel(board, 334, 110) == BLACK


def test_records_hold_the_interpolated_state(moving_shot):
    moving_shot.draw(10 + 3.0)
    rec = moving_shot.sprites[0].时间序列.获取(1).获取("图标字典")
    assert rec.获取("旋转角度") == pytest.approx(45)
    assert rec.获取("旋转中心") == pytest.approx((320, 110))


def test_both_segments_at_a_boundary_and_none_outside(board, moving_shot, monkeypatch):
    pastes = count_pastes(board, monkeypatch)
    moving_shot.draw(10 + 2.0)
    assert len(pastes) == 2
    assert pixel(board, 320, 110) == RED
    for moment in (9.99, 14.01, 0, 100):
        pastes.clear()
        moving_shot.draw(moment)
        assert pastes == [] and drawn(board) == 0


def test_one_icon_serves_every_segment(moving_shot):
    for moment in (10.5, 11.5, 12.5, 13.5):
        moving_shot.draw(moment)
    assert len(moving_shot.library) == 1
    assert moving_shot.library.获取(0).系统 is True


def test_search_agrees_with_the_walk_over_every_record(board, moving_shot, monkeypatch):
    sprite = moving_shot.sprites[0]
    for moment in numpy.linspace(9.5, 14.5, 41):
        moving_shot.draw(moment)
        fast = pygame_array(board).copy()
        sprite._segment_mirror.literal_walk = True
        moving_shot.draw(moment)
        sprite._segment_mirror.literal_walk = False
        assert numpy.array_equal(fast, pygame_array(board)), moment


# ----- keyframe states looped twice --------------------------------------------------


def test_state_list_looped_twice(board, make_png):
    path = make_png(20, 20, BLUE)
    ic = icon(board, path, 100, 100)
    ic.移动(200, 100)
    s1 = ic.报告当下(缩放备份=False)
    ic.移动(200, 200)
    s2 = ic.报告当下(缩放备份=False)
    ic.移动(100, 100)
    ic.状态列表.添加(s1)
    ic.状态列表.添加(s2)
    ic.循环次数 = 2
    own = report(ic)
    shot = Shot(board).play([("镜_动_6", [own])])
    assert len(shot.sprites[0].时间序列) == 6
    expected = {  # moment -> centre of the 20 x 20 square
        0.5: (210, 110),  # first state held
        1.5: (210, 160),  # s1 -> s2
        2.5: (160, 160),  # s2 -> own
        3.5: (160, 110),  # own -> s1
        4.5: (210, 160),  # second pass
        5.5: (160, 160),
    }
    for moment, (x, y) in expected.items():
        shot.draw(moment)
        assert pixel(board, x, y) == BLUE, moment
        assert drawn(board) == 400, moment


# ----- a change of file jumps -----------------------------------------------------------


def test_file_switch_jumps(board, make_png):
    red, yellow = make_png(20, 20, RED), make_png(20, 20, YELLOW)
    ic = icon(board, red, 100, 100)
    first = report(ic)
    other = icon(board, yellow, 400, 300)
    ic.状态列表.添加(other.报告当下(缩放备份=False))
    own = report(ic)
    shot = Shot(board).play([("镜_起_1", [first]), ("镜_换_4", [own])])
    # Units of 2: previous -> the yellow state, then the yellow state -> own;
    # both change the file, so both jump and hold the new state.
    shot.draw(1.0)
    assert pixel(board, 410, 310) == YELLOW and pixel(board, 110, 110) == BLACK
    assert drawn(board) == 400
    shot.draw(3.0)
    assert pixel(board, 110, 110) == RED and pixel(board, 410, 310) == BLACK
    assert drawn(board) == 400


# ----- an animated GIF layer --------------------------------------------------------------


def test_gif_layer_shows_the_frame_of_the_moment(board, tmp_path):
    path = str(tmp_path / "flash.gif")
    frames = [Image.new("RGB", (20, 20), c) for c in (RED, GREEN, BLUE)]
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=100, loop=0)
    ic = icon(board, path, 50, 50)
    shot = Shot(board, start=3).play([("镜_闪_1", [report(ic)])])
    for moment, colour in ((3.05, RED), (3.15, GREEN), (3.25, BLUE)):
        shot.draw(moment)
        assert pixel(board, 60, 60) == colour, moment


# ----- an unshaped sprite -------------------------------------------------------------------


def test_unshaped_sprite_stands_still_from_its_own_start(board, make_png):
    path = make_png(20, 20, RED)
    sprite = animation.图层精灵(画板=board, 编号=1, 文件=path, 横坐标=100, 纵坐标=100,
                               单份时长=1, 当帧时长=2, 当前时间=5)
    sprite.宽度 = sprite.高度 = 20
    lib = 列表()
    clear(board)
    sprite.渲染到屏幕(4.9, board.屏幕, lib)
    assert drawn(board) == 0
    for moment in (5, 6, 7):
        clear(board)
        sprite.渲染到屏幕(moment, board.屏幕, lib)
        assert pixel(board, 110, 110) == RED, moment
    clear(board)
    sprite.渲染到屏幕(7.1, board.屏幕, lib)
    assert drawn(board) == 0
    assert len(sprite.时间序列) == 1 and sprite.经过处理 is False
    # A copy of the sprite does not record the still segment again either.
    again = copy.copy(sprite)
    again._segment_mirror = pickle.loads(pickle.dumps(sprite._segment_mirror))
    again.时间序列 = 列表(sprite.时间序列)
    again.渲染到屏幕(6, board.屏幕, lib)
    assert len(again.时间序列) == 1


# ----- a grouped pair whose group moves, turns and scales ----------------------------------


def grouped_records(path_a, path_b):
    """Standard data of two 40 x 20 layers in a group that moves, turns 90 degrees
    (counter-clockwise on screen) and doubles."""

    def rec(number, path, x, y, w, h, angle, scale, pivot, rel, box, g_angle, g_scale, ox, oy):
        return 字典({
            "编号": number, "文件": path, "横坐标": x, "纵坐标": y, "origin_x": ox, "origin_y": oy,
            "宽度": w, "高度": h, "模式": 0, "循环": True, "缩放比例": scale, "旋转中心": pivot,
            "相对坐标": rel, "原始缩放比例": 1, "大盘矩形": box, "旋转角度": angle, "锁": False,
            "循环次数": 1, "大盘旋转角度": g_angle, "大盘缩放比例": g_scale, "别名": None, "info": None,
        })

    box0 = (60, 60, 80, 180)  # left, top, bottom, right; centre (120, 70)
    box1 = (280, 80, 320, 320)  # centre (300, 200)
    a0 = rec(1, path_a, 60, 60, 40, 20, 0, 1, "", (-40, 0), box0, 0, 1, 60, 60)
    b0 = rec(2, path_b, 140, 60, 40, 20, 0, 1, "", (40, 0), box0, 0, 1, 140, 60)
    a1 = rec(1, path_a, 280, 240, 40, 80, 90, 2, (300, 200), (-40, 0), box1, 90, 2, 280, 270)
    b1 = rec(2, path_b, 280, 80, 40, 80, 90, 2, (300, 200), (40, 0), box1, 90, 2, 280, 110)
    return [("镜_起_1", [a0, b0]), ("镜_转_2", [a1, b1])]


def group_centres(t):
    """Where the two layers' centres are, in standard data, at progress t."""
    g = numpy.array((120, 70)) + (numpy.array((300, 200)) - (120, 70)) * t
    k, turn = 1 + t, math.radians(90 * t)
    # Counter-clockwise on screen (y down).
    off = numpy.array((-40 * k * math.cos(turn), 40 * k * math.sin(turn)))
    return g + off, g - off


@pytest.mark.parametrize("which", ["board", "board2"])
@pytest.mark.parametrize("t", [0, 0.25, 0.5, 1])
def test_grouped_pair_follows_its_group(request, make_png, which, t):
    board = request.getfixturevalue(which)
    fit = board.屏幕.适配比例
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    shot.draw(2 * t)
    a, b = group_centres(t)
    assert pixel(board, *(a * fit)) == BLUE, (which, t)
    assert pixel(board, *(b * fit)) == YELLOW, (which, t)
    # Each layer covers its picture's area (scaled, turned) and nothing else.
    area = 40 * 20 * (1 + t) ** 2 * fit * fit
    assert drawn(board) == pytest.approx(2 * area, rel=0.12)


def test_still_group_keeps_its_layers_in_place(board, make_png):
    frames = grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW))
    _, (a0, b0) = frames[0]
    shot = Shot(board).play([("镜_起_1", [a0, b0]), ("镜_停_2", [字典(a0), 字典(b0)])])
    for moment in (0, 0.7, 2):
        shot.draw(moment)
        assert pixel(board, 80, 70) == BLUE and pixel(board, 160, 70) == YELLOW
        assert drawn(board) == 2 * 800


@pytest.mark.parametrize("which", ["board", "board2"])
def test_developer_mode_circles(request, make_png, monkeypatch, which):
    board = request.getfixturevalue(which)
    fit = board.屏幕.适配比例
    circles = []
    original = board.屏幕.圆形
    monkeypatch.setattr(board.屏幕, "圆形", lambda *a, **k: circles.append((a, k)) or original(*a, **k))
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    shot.draw(1.0)
    assert circles == []
    board.开发者模式 = True
    shot.draw(1.0)
    a, _ = group_centres(0.5)
    greens = [c for c in circles if c[0][0] == GREEN]
    reds = [c for c in circles if c[0][0] == RED]
    assert len(greens) == 2 and len(reds) == 2
    assert all(c[1] == {"半径": 10, "线条宽度": 5} for c in circles)
    assert numpy.allclose(greens[0][0][1], a * fit)
    assert numpy.allclose(reds[0][0][1], (300 * fit, 200 * fit))  # the group's end pivot
    # The rings are on screen: 7 pixels right of the centre lies inside each ring.
    assert pixel(board, a[0] * fit + 7, a[1] * fit) == GREEN
    assert pixel(board, 300 * fit + 7, 200 * fit) == RED


def test_state_list_segment_with_group_boxes_takes_the_plain_path(board, make_png, monkeypatch):
    frames = grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW))
    _, (a0, _) = frames[0]
    own = 字典(a0)
    own.填写("状态列表", 列表([字典(a0)]))
    shot = Shot(board).play([("镜_动_2", [own])])
    snaps = []
    monkeypatch.setattr(board, "快照图标", lambda *a, **k: snaps.append(a))
    shot.draw(0.5)
    assert snaps == [] and pixel(board, 80, 70) == BLUE


@pytest.mark.parametrize("which", ["board", "board2"])
def test_layer_turning_on_its_own_inside_a_group(request, make_png, which):
    board = request.getfixturevalue(which)
    fit = board.屏幕.适配比例
    a = board.添加图标(icon(board, make_png(40, 20, BLUE), 60, 60, number=1))
    b = board.添加图标(icon(board, make_png(40, 20, YELLOW), 140, 60, number=2))
    board.选择(a)
    board.选择(b, 多选=True)
    board.组合()
    centre = (a.x + a.宽 / 2, a.y + a.高 / 2)  # actual pixels
    b_centre = (b.x + b.宽 / 2, b.y + b.高 / 2)
    a.旋转(0, 旋转轴位置=centre)
    a0, b0 = report(a), report(b)
    a.旋转(90, 旋转轴位置=centre)
    a1, b1 = report(a), report(b)
    shot = Shot(board).play([("镜_起_1", [a0, b0]), ("镜_转_2", [a1, b1])])
    shot.draw(1.0)
    # The layer stays where its group puts it and turns 45 degrees about its
    # own centre; its group box grew a little as it turned.
    box0, box1 = a0.获取("大盘矩形"), a1.获取("大盘矩形")
    g = numpy.array(((box0[0] + box0[3] + box1[0] + box1[3]) / 4,
                     (box0[1] + box0[2] + box1[1] + box1[2]) / 4))
    m = (g + a0.获取("相对坐标")) * fit  # actual pixels
    assert abs(m[0] - centre[0]) < 5 and abs(m[1] - centre[1]) < 1
    # The picture is 40 x 20 actual pixels on both boards.
    assert pixel(board, *m) == BLUE
    assert pixel(board, *(m + (12, -12))) == BLUE
    assert pixel(board, *(m + (17, 0))) == BLACK
    assert pixel(board, *b_centre) == YELLOW
    assert drawn(board) == pytest.approx(2 * 800, rel=0.1)


# ----- the segment search and what the host may change ---------------------------------------


def test_search_follows_the_host_replacing_or_growing_the_list(board, moving_shot, monkeypatch):
    sprite = moving_shot.sprites[0]
    moving_shot.draw(11.0)
    assert sprite._segment_mirror.length == 2
    # A list laid out of order (and one negative duration): found by scanning.
    segs = list(sprite.时间序列)
    shuffled = 列表([字典(segs[1]), 字典(segs[0])])
    odd = 字典(segs[0])
    odd.填写("开始时间", 3.5)
    odd.填写("时长", -1)
    shuffled.添加(odd)
    sprite.时间序列 = shuffled
    pastes = count_pastes(board, monkeypatch)
    for moment in (11.0, 12.0, 13.0, 13.5):
        pastes.clear()
        moving_shot.draw(moment)
        fast = len(pastes)
        sprite._segment_mirror.literal_walk = True
        pastes.clear()
        moving_shot.draw(moment)
        sprite._segment_mirror.literal_walk = False
        assert fast == len(pastes), moment
    assert sprite._segment_mirror.ordered is False
    # Appending a segment is seen at the next frame.
    extra = 字典(segs[1])
    extra.填写("开始时间", 4.0)
    sprite.时间序列.添加(extra)
    pastes.clear()
    moving_shot.draw(15.0)
    assert len(pastes) == 1


def test_plain_list_of_records_is_walked(board, moving_shot):
    sprite = moving_shot.sprites[0]
    sprite.时间序列 = list(sprite.时间序列)
    moving_shot.draw(11.0)
    assert pixel(board, 220, 110) == RED


def test_records_with_odd_times_are_walked(board, moving_shot, monkeypatch):
    sprite = moving_shot.sprites[0]
    sprite.时间序列.获取(0).填写("开始时间", "0")
    with pytest.raises(TypeError):
        moving_shot.draw(11.0)
    assert sprite._segment_mirror.exact is False


def test_bad_moments_and_records_fail_clearly(board, moving_shot):
    sprite = moving_shot.sprites[0]
    with pytest.raises(ValueError):
        moving_shot.draw(float("nan"))
    with pytest.raises(TypeError):
        moving_shot.draw(None)
    sprite.时间序列.获取(1).填写("开始位置", (1, 2, 3))
    with pytest.raises(ValueError):
        moving_shot.draw(13.0)
    sprite.时间序列.获取(0).填写("时长", 0)
    with pytest.raises(ZeroDivisionError):
        moving_shot.draw(10.0)


@pytest.mark.parametrize("key, value, error, message", [
    ("开始比例", "2", TypeError, "需要数字，得到 '2'"),
    ("结束角度", None, TypeError, "需要数字，得到 None"),
    ("开始大盘矩形", (1, 2, 3), ValueError, "大盘矩形必须是四个数字，得到 (1, 2, 3)"),
    ("结束大盘矩形", ["\udc80"] * 5, ValueError, "大盘矩形必须是四个数字，得到 ['\\udc80'"),
])
def test_messages_about_bad_segments_are_readable(board, make_png, key, value, error, message):
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    shot.sprites[0].时间序列.获取(-1).填写(key, value)
    with pytest.raises(error) as e:
        shot.draw(1.0)
    assert str(e.value).startswith(message)


def test_grouped_layer_without_media_size_fails(board, make_png):
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    shot.sprites[0].origin_size = None
    with pytest.raises(TypeError, match="origin_size"):
        shot.draw(1.0)


def test_overridden_methods_are_called(board, make_png, monkeypatch):
    calls = []

    class Sprite(animation.图层精灵):
        def calc_position(self, *args):
            calls.append("position")
            return super().calc_position(*args)

        def calc_center(self, *args):
            calls.append("center")
            return super().calc_center(*args)

        def 从列表获得同个图标(self, 文件, 编号, _列表):
            calls.append("icon")
            return super().从列表获得同个图标(文件, 编号, _列表)

    monkeypatch.setattr(animation, "图层精灵", Sprite)
    path = make_png(20, 20, RED)
    ic = icon(board, path, 100, 100)
    r0 = report(ic)
    ic.移动(200, 100)
    shot = Shot(board).play([("镜_起_1", [r0]), ("镜_走_2", [report(ic)])])
    shot.draw(1.0)
    assert calls == ["center", "position", "icon"]
    assert pixel(board, 160, 110) == RED


def test_absolute_and_relative_spellings_share_one_icon(board, make_png):
    path = make_png(20, 20, RED)  # absolute; icons report it relative
    ic = icon(board, path, 100, 100)
    r0 = report(ic)
    ic.移动(200, 100)
    r1 = report(ic)
    assert r1.获取("文件") != path
    for r in (r0, r1):
        r.填写("文件", path)
    shot = Shot(board).play([("镜_起_1", [r0]), ("镜_走_2", [r1])])
    for moment in (0.5, 1.0, 1.5, 2.0):
        shot.draw(moment)
    assert len(shot.library) == 1
    assert shot.sprites[0].从列表获得同个图标(path, 1, shot.library) is shot.library.获取(0)


def test_turned_picture_keeps_its_centre_between_turned_states(board, make_png, monkeypatch):
    path = make_png(40, 20, RED)
    ic = icon(board, path, 300, 300)
    ic.旋转(30)
    r0 = report(ic)
    ic.旋转(90)
    r1 = report(ic)
    ic.旋转(150)
    r2 = report(ic)
    shot = Shot(board).play([("镜_起_1", [r0]), ("镜_转_1", [r1]), ("镜_再转_1", [r2])])
    centre = (ic.x + ic.宽 / 2, ic.y + ic.高 / 2)
    pastes = count_pastes(board, monkeypatch)
    for moment in (0, 0.5, 1.0, 1.5, 2.0):
        pastes.clear()
        shot.draw(moment)
        # One picture's worth of pixels, even where two segments meet.
        assert drawn(board) == pytest.approx(800, rel=0.08), moment
        assert pixel(board, *centre) == RED, moment
    assert len(pastes) == 1  # 2.0 is the end of the last segment only


@pytest.mark.parametrize("angle", [17, 30, 73])
def test_turned_picture_that_only_moves_lands_on_its_records(board, make_png, angle):
    ic = icon(board, make_png(40, 20, RED), 100, 100)
    ic.旋转(angle)
    r0 = report(ic)
    start = (int(ic.矩形.左), int(ic.矩形.上))
    ic.移动(300, 100)
    r1 = report(ic)
    shot = Shot(board).play([("镜_起_1", [r0]), ("镜_走_2", [r1])])
    for moment, where in ((0, start), (2.0, (300, 100))):
        shot.draw(moment)
        drawn_icon = shot.library.获取(0)
        assert (drawn_icon.矩形.左, drawn_icon.矩形.上) == where, moment


class Recording(animation.图层精灵):
    calls = []

    def calc_position(self, *args):
        Recording.calls.append(("position", args))
        return super().calc_position(*args)

    def calc_center(self, *args):
        Recording.calls.append(("center", args))
        return super().calc_center(*args)


@pytest.fixture
def recording(monkeypatch):
    monkeypatch.setattr(animation, "图层精灵", Recording)
    Recording.calls = []
    return Recording.calls


def test_overridden_position_gets_the_records_box(board, make_png, recording):
    ic = icon(board, make_png(40, 20, RED), 300, 300)
    ic.旋转(30)
    r0 = report(ic)
    ic.旋转(90)
    shot = Shot(board).play([("镜_起_1", [r0]), ("镜_转_2", [report(ic)])])
    shot.draw(1.0)
    (_, args), = [c for c in recording if c[0] == "position"]
    seg = shot.sprites[0].时间序列.获取(0)
    (sx, sy), sw, sh = seg.获取("开始位置"), seg.获取("开始宽度"), seg.获取("开始高度")
    assert args[:4] == (sx, sw, sy, sh)
    assert args[4:8] == pytest.approx((60, 30, 1, 1))


def test_group_centre_goes_through_calc_center(board, make_png, recording):
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    shot.draw(1.0)
    centres = [args for kind, args in recording if kind == "center"]
    assert centres == [(0.5, 60, 120, 60, 20, 280, 40, 80, 240)] * 2


class HostRecord(字典):
    """A host's own record type: read and written through its methods."""

    reads = 0

    def 获取(self, 键, 默认=None):
        HostRecord.reads += 1
        return super().获取(键, 默认)


def moments_drawn(board, make_png, monkeypatch, host):
    """Each layer's icon dict after drawing grouped and plain shots at a few moments."""
    if host:
        # A host's rotation and records: the module calls them, never the core's shortcut.
        from tazu.mix import rotate_vector

        monkeypatch.setattr(animation, "rotate_vector", lambda v, d: rotate_vector(v, d))
    wrap = HostRecord if host else 字典
    frames = grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW))
    ic = icon(board, make_png(40, 20, RED), 300, 100, number=3)
    ic.旋转(30)
    r0 = report(ic)
    ic.旋转(75)
    ic.移动(200, 150)
    frames[0][1].append(r0)
    frames[1][1].append(report(ic))
    frames = [(k, [wrap(r) for r in recs]) for k, recs in frames]
    shot = Shot(board).play(frames)
    out = []
    for moment in (0.0, 0.3, 0.77, 1.0):
        shot.draw(moment)
        for s in shot.sprites:
            d = dict(s.时间序列.获取(0).获取("图标字典"))
            del d["文件"]  # each run makes its own pictures
            out.append(d)
    return out


def test_reference_shortcuts_match_the_platform_calls(board, make_png, monkeypatch):
    fast = moments_drawn(board, make_png, monkeypatch, host=False)
    HostRecord.reads = 0
    board.屏幕.screen.fill(BLACK)
    slow = moments_drawn(board, make_png, monkeypatch, host=True)
    assert HostRecord.reads > 0
    assert fast == slow


@pytest.mark.parametrize("which", ["board", "board2"])
def test_grouped_layer_moves_to_the_whole_pixel(request, make_png, monkeypatch, which):
    board = request.getfixturevalue(which)
    shot = Shot(board).play(grouped_records(make_png(40, 20, BLUE), make_png(40, 20, YELLOW)))
    moves = []
    original = animation.图标.移动

    def move(self, x, y, *a, **k):
        if k.get("系统"):
            moves.append((self.编号, x, y))
        return original(self, x, y, *a, **k)

    monkeypatch.setattr(animation.图标, "移动", move)
    shot.draw(0.37)
    placed = dict((n, (x, y)) for n, x, y in moves)
    assert len(placed) == 2
    fit = board.屏幕.适配比例
    for s in shot.sprites:
        d = s.时间序列.获取(0).获取("图标字典")
        # The record's truncated corner, in board pixels.
        assert placed[s.编号] == (d.获取("横坐标") * fit, d.获取("纵坐标") * fit)


def test_a_replaced_record_method_is_called(board, moving_shot, monkeypatch):
    # The player reads the platform's records directly only while their class
    # keeps its own 获取 and 填写; a host that replaces them is called.
    calls = []
    get, fill = 字典.获取, 字典.填写
    monkeypatch.setattr(字典, "获取", lambda self, *a: calls.append(a[0]) or get(self, *a))
    monkeypatch.setattr(字典, "填写", lambda self, k, v: calls.append(k) or fill(self, k, v))
    moving_shot.draw(10 + 1.5)
    assert {"开始时间", "时长", "开始角度", "结束位置", "图标字典"} <= set(calls)
    assert calls.count("纵坐标") >= 1  # written back through 填写


@pytest.mark.parametrize("name", ["", "missing.png", "a\0b.png", "\udc80.png", ".", "PICTURE"])
def test_file_check_agrees_with_the_platform(board, moving_shot, monkeypatch, name):
    # The player answers 是否存在 for the reference platform itself; a host's
    # own function is called. Both must draw the same segments.
    path = moving_shot.sprites[0].时间序列.获取(0).获取("文件")
    file = path if name == "PICTURE" else os.path.join(os.path.dirname(path), name) if name else ""
    seg = moving_shot.sprites[0].时间序列.获取(0)
    seg.填写("文件", file)

    def drawn_records():
        seg.获取("图标字典").填写("横坐标", None)
        moving_shot.draw(10 + 1.0)
        return seg.获取("图标字典").获取("横坐标") is not None

    ours = drawn_records()
    platform = animation.是否存在
    monkeypatch.setattr(animation, "是否存在", lambda p: platform(p))
    assert drawn_records() == ours == animation.是否存在(file)

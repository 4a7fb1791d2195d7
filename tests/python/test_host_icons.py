"""The reference board driving the module's real icons."""
import pygame
import pytest

from tazu.animation import 图标
from tazu.host import 事件
from tazu.mix import 字典


@pytest.fixture(params=[1, 2], ids=["ratio1", "ratio2"])
def any_board(request, board, board2):
    return board if request.param == 1 else board2


def real_icon(board, path, x=0, y=0):
    icon = 图标(字典({"文件": path}), board, 横坐标=x, 纵坐标=y, 编号=board.新编号())
    board.添加图标(icon)
    return icon


def press(board, pos, button=1, kind=pygame.MOUSEBUTTONDOWN):
    return board.处理事件(事件(坐标=pos, 按钮=button, 类型=kind))


def test_a_report_applied_to_a_fresh_icon_reproduces_it(any_board, make_png):
    path = make_png(40, 20, alpha=True)
    a = real_icon(any_board, path, 10, 20)
    a.缩放(1.5)
    a.旋转(30, 旋转轴位置=(60, 50))
    a.模式, a.循环次数 = "变暗", 2
    record = a.报告当下(缩放备份=False)
    b = 图标(字典({"文件": path}), any_board, 编号=9)
    any_board.调整新图标初始状态(record, b, 系统=True)
    again = b.报告当下(缩放备份=False)
    for key, value in record.items():
        if key == "编号":
            continue
        if isinstance(value, (tuple, float)):
            assert again[key] == pytest.approx(value), key
        else:
            assert again[key] == value, key
    assert b.image.get_size() == a.image.get_size()


def test_grouped_icons_report_the_board_box(any_board, make_png):
    a = real_icon(any_board, make_png(20, 10), 0, 0)
    b = real_icon(any_board, make_png(10, 10), 100, 50)
    any_board.选择(a)
    b.多选选中 = True
    any_board.组合()
    ratio = any_board.屏幕.适配比例
    record = b.报告当下(缩放备份=False)
    # pictures keep their pixel size, so b is 10 / ratio standard units wide
    side = 10 / ratio
    assert record["大盘矩形"] == pytest.approx((0, 0, 50 + side, 100 + side))
    centre = ((100 + side) / 2, (50 + side) / 2)
    assert record["相对坐标"] == pytest.approx((100 + side / 2 - centre[0], 50 + side / 2 - centre[1]))
    assert b.推算大盘中心() == pytest.approx((centre[0] * ratio, centre[1] * ratio))


def test_click_drag_release_moves_the_icon(board, make_png):
    icon = real_icon(board, make_png(30, 30), 100, 100)
    assert press(board, (110, 120))
    assert board.选中图标 is icon and icon.激活
    board.处理事件(事件(坐标=(210, 170), 按钮=1, 类型=pygame.MOUSEMOTION))
    assert (icon.矩形.左, icon.矩形.上) == (200, 150)
    press(board, (210, 170), kind=pygame.MOUSEBUTTONUP)
    assert icon.移动锚点 is None and icon.缩放备份 is not None
    board.处理事件(事件(键盘=pygame.K_RIGHT, 类型=pygame.KEYDOWN))
    assert icon.矩形.左 == 202
    board.处理事件(事件(纵坐标=5, 类型=pygame.MOUSEWHEEL))
    assert icon.scale_ratio == pytest.approx(1.5)
    assert not press(board, (5, 5))
    assert board.选中图标 is None and not icon.激活


def test_right_drag_turns_about_the_centre_by_the_swept_angle(board, make_png):
    icon = real_icon(board, make_png(40, 40), 100, 100)
    icon.旋转(20)
    r = icon.矩形
    cx, cy = r.左 + r.宽 / 2, r.上 + r.高 / 2
    press(board, (cx + 15, cy), button=3)
    # a pixel's move turns the layer by the pixel's angle, not to an angle of its own
    board.处理事件(事件(坐标=(cx + 16, cy), 按钮=3, 类型=pygame.MOUSEMOTION))
    assert icon.rotate_angle == pytest.approx(20)
    # from the right of the centre to above it: a quarter turn counter-clockwise
    board.处理事件(事件(坐标=(cx, cy - 15), 按钮=3, 类型=pygame.MOUSEMOTION))
    assert icon.rotate_angle == pytest.approx(110)


def test_double_click_menu_runs_a_board_action(board, make_png, monkeypatch):
    icon = real_icon(board, make_png(40, 40), 100, 100)
    ticks = iter([1000, 1100])
    monkeypatch.setattr(pygame.time, "get_ticks", lambda: next(ticks))
    press(board, (110, 110))
    press(board, (110, 110, ), kind=pygame.MOUSEBUTTONUP)
    press(board, (110, 110))
    assert icon.当前菜单 is not None
    row = icon.按钮列表.index("锁定")
    menu = icon.当前菜单
    # find a point on the 锁定 row through the menu's own hit test
    x0, y0 = menu.位置 if hasattr(menu, "位置") else (icon.横坐标 + icon.宽, icon.纵坐标)
    target = next((x0 + 10, y) for y in range(int(y0), int(y0) + 2000)
                  if menu.获取点击项((x0 + 10, y)) == row)
    assert press(board, target)
    assert icon.锁 is True and icon.当前菜单 is None


def test_copy_mirror_reset_delete_with_real_icons(board, make_png):
    path = make_png(4, 2, lambda x, y: (255, 0, 0) if x == 0 else (0, 0, 255))
    icon = real_icon(board, path, 10, 10)
    board.选择(icon)
    board.镜像()
    assert icon.image.get_at((3, 0))[:3] == (255, 0, 0)
    record = icon.报告当下(缩放备份=False)
    assert record["文件"].endswith("_mirror.png")
    icon.缩放(2)
    icon.旋转(15)
    board.重置图层()
    assert (icon.scale_ratio, icon.rotate_angle) == (1, 0)
    icon.info = {"动作": "走"}
    copy = board.复制图标()
    assert isinstance(copy, 图标) and copy.编号 == 2
    assert copy.info == icon.info and copy.info is not icon.info
    assert (copy.矩形.左, copy.矩形.上) == (30, 30)
    assert copy.报告当下(缩放备份=False)["文件"] == record["文件"]
    board.删除图标()
    assert board.图标列表 == [icon]


def test_export_and_import_real_icons(board2, make_png):
    a = real_icon(board2, make_png(10, 10), 0, 0)
    b = real_icon(board2, make_png(10, 10), 40, 0)
    b.状态列表.添加(b.报告当下(缩放备份=False))
    board2.选择(a)
    b.多选选中 = True
    board2.组合()
    made = board2.导入模板文件(board2.导出组合())
    assert [type(m) for m in made] == [图标, 图标]
    assert [(m.矩形.左, m.矩形.上) for m in made] == [(0, 0), (80, 0)]
    assert made[1].状态列表.长 == 1 and made[1].相对坐标 == pytest.approx(b.相对坐标)


def test_keyframe_switching_goes_through_the_board(any_board, make_png):
    icon = real_icon(any_board, make_png(20, 20), 10, 10)
    icon.激活 = True
    icon.添加动画()  # keyframe 0 = the state at (10, 10), now on show
    icon.移动(50, 60)
    icon.缩放(2)
    icon.保存状态()
    icon.切换状态(None)  # back to the live state from before the first switch
    ratio = any_board.屏幕.适配比例
    assert (icon.矩形.左, icon.矩形.上) == (10 * ratio, 10 * ratio)
    assert icon.scale_ratio == 1
    icon.切换状态(0)
    assert icon.scale_ratio == pytest.approx(2)
    # the 20-pixel picture at (50, 60) standard, scaled about its own centre
    assert (icon.矩形.左 + icon.矩形.宽 / 2, icon.矩形.上 + icon.矩形.高 / 2) == pytest.approx(
        (50 * ratio + 10, 60 * ratio + 10), abs=0.5)


def test_shift_click_multi_selects_and_delete_key_removes(board, make_png, monkeypatch):
    a = real_icon(board, make_png(20, 20), 0, 0)
    b = real_icon(board, make_png(20, 20), 100, 0)
    press(board, (5, 5))
    press(board, (5, 5), kind=pygame.MOUSEBUTTONUP)
    monkeypatch.setattr(pygame.key, "get_mods", lambda: pygame.KMOD_LSHIFT)
    press(board, (105, 5))
    assert board.选中集合() == [a, b]
    board.处理事件(事件(键盘=pygame.K_DELETE, 类型=pygame.KEYDOWN))
    assert board.图标列表 == []


def test_dialog_open_switches_the_canvas_off(board, make_png):
    icon = real_icon(board, make_png(20, 20), 0, 0)
    board.画布激活 = False
    assert not press(board, (5, 5))
    assert board.选中图标 is None and not icon.激活


@pytest.mark.parametrize("ratio", [1, 2])
def test_frame_strip_cuts_stitches_and_selects(ratio, tmp_path):
    from tazu.host import 屏幕, 画板

    board = 画板(屏幕(1280, 720, 适配比例=ratio), 临时文件夹=tmp_path / "t", 实际画布高度=670)
    board.设置帧(["起_0", "走_2", "跑_1"])
    strip = board.建立帧条(高度=50)
    widths = [b.矩形.宽 for b in strip]
    assert widths == pytest.approx([80, 800, 400])
    assert strip[0].权重 is None and strip[0].是否选中
    assert strip[1].矩形.上 == 670

    def click(pos, button):
        press(board, pos, button=button)
        return press(board, pos, button=button, kind=pygame.MOUSEBUTTONUP)

    # right-click a quarter into 走: cut there
    assert click((80 + 200, 690), 3)
    assert board.帧列表 == ["起_0", "走_0.5", "走_1.5", "跑_1"]
    assert [b.矩形.宽 for b in board.帧条] == pytest.approx([80, 200, 600, 400])
    # left-click 跑 shows it
    click((1200, 690), 1)
    assert board.帧.当前 == 3 and board.帧条[3].是否选中 and not board.帧条[0].是否选中
    # right-click at the left edge of 跑 (a fresh strip, so no throttle): stitch
    assert click((880 + 3, 690), 3)
    assert board.帧列表 == ["起_0", "走_0.5", "跑_2.5"]
    assert board.帧.当前 == 2
    # the wheel's button events over the strip select nothing
    assert not click((100, 690), 4)
    assert board.帧.当前 == 2


def test_cut_and_stitch_hand_back_payloads(board):
    board.设置帧(["起_0", "走_2", "跑_1"])
    assert board.切割动作(1, 0.5, "走_2") == "走_1"  # the key payload follows the frame
    assert board.缝合动作(2, "右", {"x": 1}) == {"x": 1}


# What the user types in the icon's dialogs: a place or a size the picture
# cannot take is refused with a line, and the board keeps drawing.
@pytest.mark.parametrize("answer", [
    lambda icon: icon.成功设置坐标("99999999999999999999", "5"),
    lambda icon: icon.成功设置比例("100000"),
])
def test_unplaceable_answers_are_refused(board, make_png, capsys, answer):
    icon = real_icon(board, make_png(10, 10), 10, 10)
    board.选择(icon)
    answer(icon)
    assert (icon.矩形.左, icon.矩形.上, icon.scale_ratio) == (10, 10, 1)
    assert "无法" in capsys.readouterr().out
    board.绘制()

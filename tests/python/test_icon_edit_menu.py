"""The icon's context menu: double selection, labels, placement, clicks, the
actions the board carries out and the small handlers."""
from types import SimpleNamespace as Ev

import pygame
import pytest

from tazu import animation

ALL_LABELS = ["修改动作", "编辑文本", "添加动画", "循环动画", "删除动画", "替换", "循环播放",
              "设置坐标", "设置比例", "导出", "上浮", "下浮", "组合", "取消组合", "导入模板",
              "融合", "复制", "镜像", "锁定", "解锁", "重置", "删除"]


@pytest.fixture
def make_icon(board, make_png):
    from tazu.mix import 字典

    def make(x=100, y=80, path=None, w=40, h=30, **kw):
        icon = animation.图标(字典({"文件": path or make_png(w, h)}), board, x, y, 编号=1, **kw)
        board.添加图标(icon)
        board.选择(icon)
        return icon

    return make


@pytest.fixture
def video(tmp_path):
    import cv2
    import numpy

    path = str(tmp_path / "clip.mp4")
    out = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"mp4v"), 25, (64, 48))
    for i in range(8):
        out.write(numpy.full((48, 64, 3), i * 30, numpy.uint8))
    out.release()
    return path


@pytest.fixture
def ticks(monkeypatch):
    clock = {"now": 0}
    monkeypatch.setattr(pygame.time, "get_ticks", lambda: clock["now"])
    return clock


def test_second_selection_within_300_ms_opens_the_menu(make_icon, ticks):
    icon = make_icon()
    ticks["now"] = 1000
    icon.选中()
    ticks["now"] = 1300
    icon.选中()
    assert icon.当前菜单 is None and icon.上次选中时间 == 1300
    ticks["now"] = 1599
    icon.选中()
    first = icon.当前菜单
    assert first is not None
    ticks["now"] = 1600
    icon.选中()
    assert icon.当前菜单 is not first and icon.当前菜单 is not None


def test_locked_photo_menu(make_icon):
    icon = make_icon(info=None)
    icon.锁 = True
    icon.弹出菜单()
    assert icon.按钮列表 == ["设置坐标", "设置比例", "导出", "组合", "取消组合", "导入模板",
                          "融合", "锁定", "解锁"]
    assert icon.当前菜单.选项列表 == icon.按钮列表


def test_unlocked_video_with_everything_offers_all_labels(make_icon, video):
    icon = make_icon(path=video, info={"name": "镜头一号图层"})
    assert icon.type == "video"
    icon.文本 = "字"
    icon.状态列表.添加(icon.报告当下(缩放备份=False))
    icon.展现图标状态()
    icon.弹出菜单()
    assert icon.按钮列表 == ALL_LABELS
    assert icon.当前菜单.图标别名 == "镜头一号图..."


@pytest.mark.parametrize("action_key, selector, absent", [
    (False, False, {"删除动画"}),
    (True, True, {"添加动画", "循环动画", "删除动画"}),
])
def test_keyframe_labels_follow_selector_and_action_key(make_icon, monkeypatch, action_key,
                                                        selector, absent):
    icon = make_icon(info={"name": "a"})
    monkeypatch.setattr(icon.画板, "是否开始动作键", lambda: action_key)
    if selector:
        icon.状态列表.添加(icon.报告当下(缩放备份=False))
        icon.展现图标状态()
    icon.弹出菜单()
    expected = [label for label in ALL_LABELS if label not in absent | {"编辑文本", "循环播放"}]
    assert icon.按钮列表 == expected


@pytest.mark.parametrize("x, y, w, h, place", [
    (100, 80, 40, 30, (140, 80)),        # right of the icon
    (1250, 80, 40, 30, (1160, 80)),      # right edge: ends on the canvas edge
    (100, 700, 40, 30, (140, 720 - 19 * 30)),  # bottom: title row included
])
def test_menu_place_is_kept_inside_the_canvas(make_icon, x, y, w, h, place):
    icon = make_icon(x, y, w=w, h=h)
    icon.弹出菜单()
    assert len(icon.按钮列表) == 18
    assert icon.当前菜单.位置 == place


def test_menu_click_runs_the_action_and_closes(make_icon):
    icon = make_icon(info=None)
    icon.弹出菜单()
    menu = icon.当前菜单
    x = menu.start_x + 10
    title = Ev(坐标=(x, menu.manu_y + 5), 按钮=1)
    assert icon.处理图标菜单(title) is False and icon.当前菜单 is menu
    row = icon.按钮列表.index("锁定")
    click = Ev(坐标=(x, menu.option_start_y + row * menu.项高度 + 3), 按钮=1)
    assert icon.处理图标菜单(click) is True
    assert icon.锁 is True and icon.当前菜单 is None
    assert icon.处理图标菜单(click) is False


def test_menu_bottom_border_closes_without_action(make_icon, monkeypatch):
    icon = make_icon()
    icon.弹出菜单()
    menu = icon.当前菜单
    called = []
    monkeypatch.setattr(icon.画板, "删除图标", lambda: called.append(1))
    border = Ev(坐标=(menu.start_x, menu.option_start_y + len(icon.按钮列表) * menu.项高度), 按钮=1)
    assert icon.处理图标菜单(border) is True and icon.当前菜单 is None and called == []


FORWARDS = [("导出", "导出组合"), ("编辑文本", "编辑文本"), ("上浮", "上浮图标"),
            ("下浮", "下浮图标"), ("融合", "准备融合"), ("修改动作", "修改动作"),
            ("锁定", "锁定"), ("解锁", "解锁"), ("组合", "组合"), ("取消组合", "取消组合"),
            ("导入模板", "导入模板"), ("复制", "复制图标"), ("循环播放", "循环播放"),
            ("替换", "准备替换图层"), ("重置", "重置图层"), ("删除", "删除图标"), ("镜像", "镜像")]


@pytest.mark.parametrize("label, board_method", FORWARDS)
def test_actions_call_the_board_without_arguments(make_icon, monkeypatch, label, board_method):
    icon = make_icon()
    calls = []
    monkeypatch.setattr(icon.画板, board_method, lambda *a, **k: calls.append((a, k)) or "x")
    assert getattr(icon, label)() is None
    assert calls == [((), {})]


def test_selector_click_saves_switches_and_closes_the_menu(make_icon):
    icon = make_icon(100, 80)
    icon.移动(10, 20)
    icon.状态列表.添加(icon.报告当下(缩放备份=False))
    icon.移动(100, 80)
    icon.展现图标状态()
    icon.弹出菜单()
    s = icon.图标状态选项
    on_row0 = Ev(坐标=(s.横坐标() + 30, s.纵坐标() + 10), 按钮=1)
    icon.激活 = False
    assert icon.处理图标状态(on_row0) is False
    icon.激活 = True
    border = Ev(坐标=(s.横坐标(), s.纵坐标() + 10), 按钮=1)
    assert icon.处理图标状态(border) is False and icon.当前菜单 is not None
    assert icon.处理图标状态(on_row0) is True
    assert (icon.矩形.左, icon.矩形.上) == (10, 20) and icon.当前菜单 is None
    # Edits made while keyframe 0 is shown are kept when the user clicks "当前".
    icon.移动(33, 44)
    s = icon.图标状态选项
    icon.处理图标状态(Ev(坐标=(s.横坐标() + 30, s.纵坐标() + 40), 按钮=1))
    assert icon.状态列表.获取(0).获取("横坐标") == 33
    assert (icon.矩形.左, icon.矩形.上) == (100, 80)


def test_deactivate_and_cancel_leave_the_selector(make_icon):
    icon = make_icon()
    icon.状态列表.添加(icon.报告当下(缩放备份=False))
    icon.展现图标状态()
    icon.弹出菜单()
    icon.激活 = True
    icon.取消激活()
    assert icon.激活 is False and icon.当前菜单 is None and icon.图标状态选项 is not None
    icon.取消菜单()
    assert icon.当前菜单 is None


def test_mouse_up_records_the_scale_backup_once(make_icon):
    icon = make_icon()
    icon.鼠标弹起(Ev(按钮=2, 坐标=(0, 0)))
    assert icon.缩放备份 is None
    icon.鼠标弹起(Ev(按钮=1, 坐标=(0, 0)))
    backup = icon.缩放备份
    assert backup.获取("横坐标") == 100 and backup.获取("缩放备份", "无") == "无"
    icon.移动(5, 5)
    icon.鼠标弹起(Ev(按钮=3, 坐标=(0, 0)))
    assert icon.缩放备份 is backup


def test_looping_text_and_docstrings(make_icon):
    icon = make_icon()
    icon.循环 = True
    assert icon.是否循环 == "是"
    icon.循环 = 0
    assert icon.是否循环 == "否"
    icon.设置文本("你好")
    icon.设置文本(None)
    assert icon.文本 == "你好"
    assert "True代表有菜单需要处理" in animation.图标.处理图标菜单.__doc__
    assert "True代表有状态需要处理" in animation.图标.处理图标状态.__doc__
    assert "选中项是指目的地" in animation.图标.切换状态.__doc__
    assert isinstance(animation.图标.__dict__["是否循环"], property)


@pytest.mark.parametrize("ratio", [1, 2])
def test_user_sets_a_position_through_the_menu_and_dialog(tmp_path, make_png, ticks, monkeypatch,
                                                         ratio):
    """Pointer events through the host: double click, menu row, type, confirm."""
    from tazu.host import 屏幕, 画板
    from tazu.mix import 字典

    # Large enough for the whole menu at ratio 2 (its rows are 60 pixels high).
    screen = 屏幕(1280 * ratio, 720 * ratio, 适配比例=ratio)
    board = 画板(screen, 临时文件夹=tmp_path / "tmp")
    icon = animation.图标(字典({"文件": make_png(40, 30)}), board, 100, 80, 编号=1)
    board.添加图标(icon)
    pointer = [(0, 0)]
    # The widgets read the pointer while a button is down.
    monkeypatch.setattr(pygame.mouse, "get_pos", lambda: pointer[0])

    def send(kind, pos, **extra):
        pointer[0] = pos
        e = pygame.event.Event(kind, pos=pos, button=1, **extra)
        for wrapped in screen.处理事件([e]):
            if not wrapped.界面处理:
                board.处理事件(wrapped)
        screen.ui_manager.update(0.01)

    for now in (1000, 1100):
        ticks["now"] = now
        send(pygame.MOUSEBUTTONDOWN, (110 * ratio, 90 * ratio))
        send(pygame.MOUSEBUTTONUP, (110 * ratio, 90 * ratio))
    menu = icon.当前菜单
    row = icon.按钮列表.index("设置坐标")
    send(pygame.MOUSEBUTTONDOWN, (menu.start_x + 20, menu.option_start_y + row * menu.项高度 + 5))
    d = icon.图层坐标设置
    assert icon.当前菜单 is None and d.可见 and not board.画布激活
    assert d.面板.element.rect.center == (640 * ratio, 360 * ratio)
    for box, text in ((d.X输入, "0"), (d.Y输入, "7")):
        send(pygame.MOUSEBUTTONDOWN, box.element.rect.center)
        send(pygame.MOUSEBUTTONUP, box.element.rect.center)
        screen.处理事件([pygame.event.Event(pygame.TEXTINPUT, text=text)])
    send(pygame.MOUSEBUTTONDOWN, d.完成按钮.element.rect.center)
    send(pygame.MOUSEBUTTONUP, d.完成按钮.element.rect.center)
    # Typed positions are standard data.
    assert (icon.矩形.左, icon.矩形.上) == (0, 7 * ratio) and not d.可见 and board.画布激活

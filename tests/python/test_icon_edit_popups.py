"""The icon's pop-ups (context menu, keyframe-state selector) and input dialogs."""
from types import SimpleNamespace

import pygame
import pytest

from dialog_events import 点击, 输入
from tazu import animation


@pytest.fixture
def mouse(monkeypatch):
    where = {"pos": (-1000, -1000)}
    monkeypatch.setattr(pygame.mouse, "get_pos", lambda: where["pos"])
    return where


# ----- context menu --------------------------------------------------------------


@pytest.mark.parametrize("alias, title", [
    ("一二三四五六七", "一二三四五..."),
    ("一二三四五", "一二三四五"),
    ("", "-"),
    (None, "-"),
    (12345678, "12345..."),
])
def test_menu_title_is_the_shortened_alias(alias, title):
    assert animation.右键菜单((0, 0), ["导出"], alias, 1).图标别名 == title


@pytest.mark.parametrize("ratio, row, font_size", [(1, 30, 20), (1.5, 45, 30), (0.75, 22, 15)])
def test_menu_rows_and_font_follow_fit_ratio_width_does_not(ratio, row, font_size, monkeypatch):
    sizes = []
    real = pygame.font.Font
    monkeypatch.setattr(pygame.font, "Font", lambda f, s: sizes.append(s) or real(f, s))
    menu = animation.右键菜单((100, 50), ["a", "b", "c"], "x", ratio)
    assert (menu.项高度, menu.标题高度, menu.菜单宽度) == (row, row, 120)
    assert sizes == [font_size]
    assert menu.菜单表面.get_size() == (120, 4 * row)
    assert menu.菜单表面.get_alpha() == 220
    assert (menu.start_x, menu.option_start_y, menu.manu_y) == (100, 50 + row, 50)


@pytest.mark.parametrize("point, row", [
    ((150, 80), 0), ((150, 139), 1), ((150, 170), 3), ((150, 60), -1),
    ((100, 80), 0), ((220, 169), 2), ((99, 100), -1), ((221, 100), -1), ((150, 171), -1),
])
def test_menu_row_under_a_click_with_its_borders(point, row):
    menu = animation.右键菜单((100, 50), ["a", "b", "c"], "x", 1)
    assert menu.获取点击项(point) == row


def test_menu_draws_translucent_with_the_hovered_row(screen, mouse):
    screen.screen.fill((0, 0, 0))
    menu = animation.右键菜单((100, 50), ["导出", "组合", "删除"], "图层", 1)
    mouse["pos"] = (150, 125)  # second action row
    menu.绘制(screen)
    px = screen.screen.get_at
    plain = px((215, 85))[:3]
    hovered = px((215, 125))[:3]
    # 220/255 of the grey over black.
    assert plain == pytest.approx((172, 172, 172), abs=2)
    assert hovered == pytest.approx((129, 129, 129), abs=2)
    assert px((99, 60))[:3] == (0, 0, 0) and px((100, 60))[:3] != (0, 0, 0)
    # The Chinese labels are drawn (dark pixels inside the rows).
    row = [px((x, y))[:3] for x in range(100, 160) for y in range(110, 140)]
    assert min(sum(c) for c in row) < 150


@pytest.mark.parametrize("change", ["text", "font"])
def test_popups_redraw_changed_labels(screen, mouse, change):
    from tazu.mix import font_file

    menu = animation.右键菜单((100, 50), ["导出"], "甲", 1)
    selector = animation.图标状态(选择器图标(200, 100), ["0", "当前"], 0)
    labels = [pygame.Rect(100, 50, 120, 30), pygame.Rect(140, 100, 60, 30)]

    def drawn():
        screen.screen.fill((0, 0, 0))
        menu.绘制(screen)
        selector.绘制(screen)
        return [pygame.image.tobytes(screen.screen.subsurface(r), "RGB") for r in labels]

    before = drawn()
    assert drawn() == before
    if change == "text":
        menu.图标别名 = "乙丙"
        selector.选项列表 = ["7", "当前"]
    else:
        menu.字体 = selector.字体 = pygame.font.Font(font_file(), 9)
    after = drawn()
    assert all(a != b for a, b in zip(before, after))


# ----- keyframe-state selector -------------------------------------------------------


def 选择器图标(x, y, w=1000, h=800):
    return SimpleNamespace(横坐标=x, 纵坐标=y, 画板=SimpleNamespace(实际画布宽度=w, 实际画布高度=h))


@pytest.mark.parametrize("x, y, left, top", [
    (30, 100, 0, 100), (500, -10, 440, 0), (1200, 790, 940, 680), (70.5, 3, 10.5, 3),
])
def test_selector_sits_left_of_the_icon_inside_the_canvas(x, y, left, top):
    s = animation.图标状态(选择器图标(x, y), ["0", "1", "2", "当前"], None)
    assert (s.横坐标(), s.纵坐标()) == (left, top)
    assert type(s.横坐标()) is type(left)


def test_selector_rows_check_and_click_borders():
    s = animation.图标状态(选择器图标(100, 100), ["0", "1", "2", "当前"], None)
    assert (s.菜单宽度, s.菜单高度, s.菜单表面.get_size(), s.选中项) == (60, 120, (60, 120), 3)
    inside = SimpleNamespace(坐标=(70, 195))
    assert s.检查(inside) and s.获取点击项(inside.坐标) == 3
    bottom = SimpleNamespace(坐标=(70, 220))
    assert not s.检查(bottom) and s.获取点击项(bottom.坐标) == 4 and s.选中项 == 4
    left = SimpleNamespace(坐标=(40, 110))
    assert not s.检查(left) and s.获取点击项(left.坐标) == 0
    assert s.获取点击项((39, 110)) == -1 and s.选中项 == 0


def test_selector_draws_the_marked_and_the_hovered_rows(screen, mouse):
    screen.screen.fill((0, 0, 0))
    s = animation.图标状态(选择器图标(200, 100), ["0", "1", "当前"], 0)
    mouse["pos"] = (150, 175)
    s.绘制(screen)
    px = screen.screen.get_at
    assert px((195, 105))[:3] == pytest.approx((78, 78, 78), abs=2)      # marked
    assert px((195, 165))[:3] == pytest.approx((129, 129, 129), abs=2)   # hovered
    assert px((195, 135))[:3] == pytest.approx((172, 172, 172), abs=2)   # plain
    assert px((139, 135))[:3] == (0, 0, 0)


# ----- coordinate dialog ------------------------------------------------------------------


def test_coordinate_dialog_layout_and_hidden_start(board):
    board.画布激活 = False
    d = animation.坐标输入框(board, print, 10, 20, 横坐标=30, 纵坐标=40)
    assert not d.可见 and board.画布激活 and d.visible is False
    assert d.面板.element.relative_rect.topleft == (30, 40)
    assert d.面板.element.rect.size == (400, 300)
    places = [w.element.relative_rect for w in (d.X输入, d.Y输入, d.取消按钮, d.完成按钮)]
    assert places == [pygame.Rect(25, 30, 150, 100), pygame.Rect(225, 30, 150, 100),
                      pygame.Rect(40, 200, 150, 80), pygame.Rect(210, 200, 150, 80)]
    assert d.X输入.element.placeholder_text == "X: 10"
    assert d.Y输入.element.placeholder_text == "Y: 20"


@pytest.mark.parametrize("typed, info, expected", [
    ({}, None, (10, 20)),
    ({"X输入": "35"}, None, ("35", 20)),
    ({"X输入": "0", "Y输入": "-4"}, 0, ("0", "-4", 0)),
])
def test_coordinate_dialog_confirm_calls_back(screen, board, typed, info, expected):
    got = []
    d = animation.坐标输入框(board, lambda *v: got.append(v), 10, 20, 居中=True, 信息=info)
    d.展现()
    assert d.可见 and not board.画布激活
    for name, text in typed.items():
        输入(screen, getattr(d, name), text)
    点击(screen, d.完成按钮)
    assert got == [expected]
    assert not d.可见 and board.画布激活
    assert d.X输入.获取文本() == "" and d.Y输入.获取文本() == ""


def test_coordinate_dialog_cancel_and_centring(screen, board):
    from tazu.host import 画板

    got = []
    d = animation.坐标输入框(board, got.append, 1, 2, 居中=True)
    assert d.面板.element.relative_rect.topleft == (440, 210)
    d.展现()
    点击(screen, d.取消按钮)
    assert got == [] and not d.可见 and board.画布激活
    narrow = 画板(screen, 临时文件夹=board.临时文件夹, 窗口宽度=301, 窗口高度=200)
    d = animation.坐标输入框(narrow, got.append, 1, 2, 居中=True)
    assert d.面板.element.relative_rect.topleft == (-49, -50)


@pytest.mark.parametrize("text, x, y", [
    ("12,34", "12", "34"), ("5 ， 6", "5", "6"), ((7, 8), "7", "8"), ("9", "9", ""),
    ("\u300012，\t34\u3000", "12", "34"),  # full-width spaces are stripped too
])
def test_coordinate_dialog_shown_with_a_text_prefills(board, text, x, y):
    d = animation.坐标输入框(board, print, 0, 0)
    d.展现(text)
    assert (d.X输入.获取文本(), d.Y输入.获取文本()) == (x, y)


# ----- general dialog -----------------------------------------------------------------------


def test_general_dialog_default_layout(board):
    d = animation.通用输入框(board)
    assert d.输入.element.placeholder_text == "请输入时长权重数字，从1开始\n（仅支持输入纯数字）"
    assert d.输入.element.relative_rect == pygame.Rect(20, 30, 360, 150)
    assert d.取消按钮.element.relative_rect == pygame.Rect(40, 215, 150, 50)
    assert d.完成按钮.element.relative_rect == pygame.Rect(210, 215, 150, 50)
    assert not d.可见 and board.画布激活


def test_general_dialog_tall_input_and_centring(board):
    d = animation.通用输入框(board, 居中=True, 输入框比例=0.8)
    assert d.面板.element.relative_rect.topleft == (440, 210)
    assert d.输入.element.relative_rect.height == 240
    assert d.完成按钮.element.relative_rect.top == 260


@pytest.mark.parametrize("typed, info, expected", [
    ("", None, (None,)), ("2.5", None, ("2.5",)), ("3", "甲", ("3", "甲")),
])
def test_general_dialog_confirm_calls_back(screen, board, typed, info, expected):
    got = []
    d = animation.通用输入框(board, lambda *v: got.append(v), 信息=info)
    d.展现()
    assert not board.画布激活
    if typed:
        输入(screen, d.输入, typed)
    点击(screen, d.完成按钮)
    assert got == [expected] and not d.可见 and board.画布激活
    assert d.输入.获取文本() == ""


def test_general_dialog_without_callback_and_prefill(screen, board):
    d = animation.通用输入框(board)
    d.展现("3")
    assert d.输入.获取文本() == "3"
    d.展现("")
    assert d.输入.获取文本() == "3"
    点击(screen, d.完成按钮)
    assert not d.可见 and d.输入.获取文本() == ""


# ----- both dialogs ---------------------------------------------------------------------------


@pytest.mark.parametrize("ratio", [1, 2, 1.5, 0.5])
@pytest.mark.parametrize("make", [
    lambda b: animation.坐标输入框(b, print, 1, 2, 居中=True),
    lambda b: animation.通用输入框(b, 居中=True),
    lambda b: animation.通用输入框(b, 居中=True, 面板宽度=300, 面板高度=200),
], ids=["coordinate", "general", "general-small"])
def test_centred_dialog_is_centred_in_the_window_at_any_fit_ratio(tmp_path, ratio, make):
    from tazu.host import 屏幕, 画板

    b = 画板(屏幕(1280, 720, 适配比例=ratio), 临时文件夹=tmp_path / "tmp")
    panel = make(b).面板.element.rect
    # The widgets scale the panel with the fit ratio; it stays in the middle.
    assert panel.centerx == pytest.approx(640, abs=ratio)
    assert panel.centery == pytest.approx(360, abs=ratio)

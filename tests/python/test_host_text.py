"""The board's text dialog: 编辑文本 from the menu to the redrawn layer, driven by posted events."""
import pygame
import pygame_gui
import pytest

from tazu.animation import 图标
from tazu.mix import 字典


def run(board, rounds=5):
    """Deliver the queued events as the window demo does: UI first, the rest to the board."""
    for _ in range(rounds):
        batch = pygame.event.get()
        if not batch:
            break
        for e in board.屏幕.处理事件(batch):
            if not e.界面处理:
                board.处理事件(e)
    board.屏幕.ui_manager.update(0.01)


def click(board, element):
    pygame.event.clear()
    pos = element.rect.center
    for kind in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP):
        pygame.event.post(pygame.event.Event(kind, pos=pos, button=1))
    run(board)


def text_layer(board, make_png, text="旧字", x=100, y=100, **style):
    icon = 图标(字典({"文件": make_png(20, 20)}), board, 横坐标=x, 纵坐标=y, 编号=board.新编号())
    board.添加图标(icon)
    board.设置图标文本(text, icon=icon, **style)
    return icon


@pytest.fixture
def editing(board, make_png):
    """A board answering 编辑文本 with its dialog, and a blue 56-point text layer."""
    board.启用文本编辑()
    icon = text_layer(board, make_png, 字体大小="56", 文本颜色="#203080")
    board.选择(icon)
    board.屏幕.ui_manager.update(0.01)
    return board, icon


def pixels(icon):
    surface = icon.origin_image
    return {tuple(surface.get_at((x, y)))[:3] for x in range(surface.get_width())
            for y in range(surface.get_height()) if surface.get_at((x, y)).a > 200}


def test_menu_action_opens_the_dialog_with_the_layer_as_it_is(editing):
    board, icon = editing
    icon.编辑文本()  # the context-menu action
    d = board.字体输入框
    assert board.待处理 == [] and d.面板.可见 and d.图标信息 is icon
    assert d.文本框.获取文本() == "旧字" and d.字体框.获取文本() == "" and d.字体大小框.获取文本() == "56"
    assert d.取色按钮.label == "修改颜色(#203080)" and d.current_colour == pygame.Color("#203080")
    assert board.画布激活  # the dialog leaves the canvas on
    rect = board.屏幕.ui_manager.get_root_container().get_rect()
    assert d.面板.element.rect.center == rect.center


def test_typed_text_picked_colour_and_size_redraw_the_layer(editing):
    board, icon = editing
    d = board.打开字体输入框()
    d.文本框.设置文本("新的文字")
    d.字体大小框.设置文本("30")
    click(board, d.取色按钮.element)
    picker = d.colour_picker
    assert isinstance(picker, pygame_gui.windows.UIColourPickerDialog)
    assert picker.current_colour == pygame.Color("#203080")  # starts at the layer's colour
    picker.current_colour = pygame.Color(255, 0, 0)
    click(board, picker.ok_button)
    assert d.取色按钮.label == "修改颜色(#ff0000)" and d.取色按钮.可用
    click(board, d.完成按钮.element)
    assert not d.面板.可见
    assert (icon.文本, icon.字体, icon.字体大小, icon.文本颜色) == ("新的文字", "", 30, "#ff0000")
    assert (255, 0, 0) in pixels(icon) and (32, 48, 128) not in pixels(icon)
    # The record the layer reports carries the new style.
    record = icon.报告当下(缩放备份=False)
    assert (record["字体大小"], record["文本颜色"]) == (30, "#ff0000")


@pytest.mark.parametrize("use_picker", ["no", "cancelled", "left open"])
def test_colour_stays_unless_one_is_chosen(editing, use_picker):
    board, icon = editing
    d = board.打开字体输入框()
    if use_picker != "no":
        click(board, d.取色按钮.element)
        picker = d.colour_picker
        if use_picker == "cancelled":
            click(board, picker.cancel_button)
            assert d.colour_picker is None
    click(board, d.完成按钮.element)
    if use_picker != "no":
        assert not picker.alive()  # none left floating over the canvas
    assert (icon.文本, str(icon.字体大小), icon.文本颜色) == ("旧字", "56", "#203080")
    assert (32, 48, 128) in pixels(icon)


def test_emptied_font_and_size_fields_mean_the_defaults(editing):
    board, icon = editing
    icon.字体 = "no-such-font-here"
    d = board.打开字体输入框()
    assert d.字体框.获取文本() == "no-such-font-here"
    d.字体框.设置文本("")
    d.字体大小框.设置文本("")
    before = icon.origin_image.get_height()
    d.确定()
    assert (icon.字体, icon.字体大小) == ("", "")
    assert icon.origin_image.get_height() < before  # 48 is smaller than 56


def test_a_bad_size_keeps_the_dialog_and_the_layer(editing):
    board, icon = editing
    d = board.打开字体输入框()
    d.文本框.设置文本("改了")
    d.字体大小框.设置文本("大")
    d.确定()
    assert d.面板.可见 and icon.文本 == "旧字"


def test_answer_goes_to_the_layer_the_dialog_was_opened_for(editing, make_png, capsys):
    board, icon = editing
    other = text_layer(board, make_png, "别的")
    d = board.打开字体输入框()
    board.选择(other)
    d.文本框.设置文本("给第一个")
    d.确定()
    assert (icon.文本, other.文本) == ("给第一个", "别的")
    # A layer deleted while its dialog was open is not brought back.
    board.打开字体输入框(other)
    board.删除图标()
    d.文本框.设置文本("晚了")
    d.确定()
    assert other.文本 == "别的" and "不在画板上" in capsys.readouterr().out


def test_reopening_for_a_layer_without_colour_resets_the_picker(editing, make_png):
    board, icon = editing
    plain = text_layer(board, make_png, "无色")
    d = board.打开字体输入框()
    click(board, d.取色按钮.element)
    old_picker = d.colour_picker
    board.打开字体输入框(plain)
    assert not old_picker.alive() and d.colour_picker is None and d.取色按钮.可用
    assert d.取色按钮.label == "选取颜色（默认黑）" and d.current_colour == pygame.Color(0, 0, 0)
    assert (d.文本框.获取文本(), d.字体大小框.获取文本(), d.图标信息) == ("无色", "", plain)


def test_colour_events_reach_only_the_dialog_whose_picker_sent_them(editing):
    board, icon = editing
    d = board.打开字体输入框()
    stranger = pygame_gui.windows.UIColourPickerDialog(
        pygame.Rect(0, 0, 420, 400), board.屏幕.ui_manager, initial_colour=pygame.Color(0, 255, 0))
    click(board, stranger.ok_button)
    assert d.取色按钮.label == "修改颜色(#203080)"
    # Routed even while another dialog has switched the canvas off.
    click(board, d.取色按钮.element)
    d.colour_picker.current_colour = pygame.Color(0, 0, 255)
    board.画布激活 = False
    click(board, d.colour_picker.ok_button)
    assert d.取色按钮.label == "修改颜色(#0000ff)"


def test_without_the_dialog_the_request_waits_and_no_selection_is_refused(board, make_png, capsys):
    icon = text_layer(board, make_png)
    board.选择(icon)
    board.编辑文本()
    assert board.待处理 == [("编辑文本", icon)] and board.字体输入框 is None
    board.取消选择()
    assert board.打开字体输入框() is None and "请先选择" in capsys.readouterr().out

import types

import pygame
import pygame_gui
import pytest

from tazu import animation
from tazu.mix import 列表, 游戏矩形


def click_at(manager, pos):
    """Press and release the left button at pos, then deliver what the widgets post."""
    pygame.event.clear()
    for kind in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP):
        manager.process_events(pygame.event.Event(kind, pos=pos, button=1))
    posted = []
    for _ in range(5):  # widgets post events in answer to events
        batch = pygame.event.get()
        if not batch:
            break
        posted += batch
        for e in batch:
            manager.process_events(e)
    manager.update(0.01)
    return posted


def rows(selection):
    return [r["selected"] for r in selection.clip.item_list]


def make_list(screen, items, **kw):
    kw.setdefault("隐藏矩形", 游戏矩形(-400, -200, 0, 200))
    kw.setdefault("显示矩形", 游戏矩形(10, 210, 20, 220))
    return animation.游戏列表(screen, items, **kw)


# ----- selection list --------------------------------------------------------------


def test_list_starts_hidden_with_default_selection(screen):
    s = make_list(screen, 列表(["甲", "乙", "丙"]), 默认序号=1)
    assert list(vars(s))[:5] == ["屏幕", "item_list", "clip", "隐藏矩形", "显示矩形"]
    assert isinstance(s.clip, pygame_gui.elements.UISelectionList)
    assert s.clip.rect.topleft == (-400, 0)
    assert s.获取当前选项() == ("乙", "#item_list_item")
    s.展现()
    assert s.clip.rect.topleft == (10, 20)
    s.关闭()
    assert s.clip.rect.topleft == (-400, 0)


@pytest.mark.parametrize("items", [None, 列表(), []])
def test_empty_list_has_no_selection(screen, items):
    s = make_list(screen, items, 默认序号=5)
    assert s.item_list == [] and s.获取当前选项() == (None, None)


def test_set_option_selects_by_index_and_keeps_it(screen):
    s = make_list(screen, 列表(["a", "b", "c"]))
    s.展现()
    screen.ui_manager.update(0.01)  # row buttons are built on update
    s.设置选项(2)
    screen.ui_manager.update(0.01)
    assert s.获取当前选项() == ("c", "#item_list_item")
    assert rows(s) == [False, False, True]
    assert [r["button_element"].is_selected for r in s.clip.item_list] == [False, False, True]
    # A user click on another row, then the owner selects again.
    click_at(screen.ui_manager, s.clip.item_list[0]["button_element"].rect.center)
    assert s.获取当前选项()[0] == "a"
    s.设置选项(1)
    screen.ui_manager.update(0.01)
    assert s.获取当前选项()[0] == "b" and rows(s) == [False, True, False]


def test_repeated_text_marks_the_row_asked_for(screen):
    s = make_list(screen, 列表(["x", "y", "x"]), 默认序号=2)
    assert rows(s) == [False, False, True]
    s.设置选项(0)
    assert rows(s) == [True, False, False]
    s.设置选项(-1)
    assert rows(s) == [False, False, True]


def test_out_of_range_indexes_raise(screen):
    with pytest.raises(IndexError):
        make_list(screen, 列表(["a"]), 默认序号=3)
    s = make_list(screen, 列表(["a", "b"]))
    with pytest.raises(IndexError):
        s.设置选项(2)


def test_preselection_without_the_private_hook(screen, monkeypatch):
    class OlderList(pygame_gui.elements.UISelectionList):
        def __init__(self, *args, default_selection=None, **kw):
            super().__init__(*args, **kw)

        @property
        def _set_default_selection(self):
            raise AttributeError("_set_default_selection")

    monkeypatch.setattr(animation, "UISelectionList", OlderList)
    s = make_list(screen, 列表(["a", "b", "c"]), 默认序号=1)
    assert isinstance(s.clip, OlderList)
    assert s.获取当前选项()[0] == "b"
    s.设置选项(2)
    assert s.获取当前选项()[0] == "c" and rows(s) == [False, False, True]


@pytest.mark.parametrize("missing", ["隐藏矩形", "显示矩形"])
def test_both_rectangles_are_required(screen, missing):
    before = set(screen.ui_manager.get_sprite_group().sprites())
    with pytest.raises(TypeError, match=missing):
        make_list(screen, 列表(["a"]), **{missing: None})
    # No list is left on screen by the failed construction.
    assert set(screen.ui_manager.get_sprite_group().sprites()) <= before


def test_set_list_replaces_entries_and_clear_kills(screen):
    s = make_list(screen, 列表(["a"]))
    s.设置列表(列表(["p", "q"]))
    assert s.item_list == ["p", "q"] and [r["text"] for r in s.clip.item_list] == ["p", "q"]
    assert s.获取当前选项() == (None, None)
    s.清理()
    assert not s.clip.alive()


def test_fit_ratio_scales_rectangles(board2):
    shown = 游戏矩形(10, 110, 20, 120)
    s = make_list(board2.屏幕, 列表(["a"]), 显示矩形=shown)
    s.展现()
    assert s.clip.rect.topleft == (20, 40) and s.clip.rect.size == (200, 200)


def test_fit_ratio_one_leaves_rectangles_unscaled(screen):
    class Spy(游戏矩形):
        __slots__ = ()
        calls = []

        def set_scale_ratio(self, r):
            Spy.calls.append(r)
            super().set_scale_ratio(r)

    s = make_list(screen, 列表(["a"]), 隐藏矩形=Spy(-300, -100, 0, 100), 显示矩形=Spy(0, 100, 0, 100))
    assert Spy.calls == [1]  # the shown rectangle, once, at construction
    s.展现()
    s.关闭()
    s.设置位置(Spy(5, 50, 5, 50))
    assert Spy.calls == [1] and s.clip.rect.topleft == (5, 5)


# ----- drop-down dialog ----------------------------------------------------------------


def dropdowns(manager):
    return [e for e in manager.get_sprite_group().sprites() if isinstance(e, pygame_gui.elements.UIDropDownMenu)]


def test_dropdown_dialog_builds_hidden_on_first_option(board):
    d = animation.下拉选项输入框(board, ["慢", "中", "快"], 横坐标=10, 纵坐标=20, 提示="速度")
    assert list(vars(d)) == ["选项列表", "屏幕", "画板", "面板宽度", "面板高度", "面板", "clip", "完成按钮"]
    assert d.clip.selected_option[0] == "慢"
    assert d.可见 is False and board.画布激活 is True
    assert d.面板.clip.rect.topleft == (10, 20) and d.面板.clip.rect.size == (400, 400)
    assert d.clip.relative_rect == pygame.Rect(50, 150, 300, 70)
    d.展现()
    assert d.可见 is True and board.画布激活 is False and d.clip.visible


def test_dropdown_centred_in_window(board):
    d = animation.下拉选项输入框(board, ["a"], 居中=True)
    assert d.面板.clip.rect.topleft == (440, 160)


def test_dropdown_centred_at_fit_ratio_two(board2):
    d = animation.下拉选项输入框(board2, ["a"], 居中=True)
    assert d.面板.clip.rect.center == (640, 360)


def test_dropdown_scaled_to_the_board(board2):
    d = animation.下拉选项输入框(board2, ["a"], 横坐标=0, 纵坐标=0)
    assert d.clip.relative_rect == pygame.Rect(100, 300, 600, 140)


def test_set_option_rebuilds_the_dropdown(board):
    d = animation.下拉选项输入框(board, ["a", "b", "b", "c"])
    old = d.clip
    before = len(dropdowns(board.屏幕.ui_manager))
    d.设置选项("x")
    assert d.clip is old
    d.设置选项("b")
    assert d.clip is not old and not old.alive()
    assert len(dropdowns(board.屏幕.ui_manager)) == before  # one killed, exactly one built
    assert d.clip.selected_option[0] == "b"
    assert d.clip.relative_rect == old.relative_rect
    assert [o[0] for o in d.clip.options_list] == ["a", "b", "b", "c"]
    # Rebuilt while hidden: it shows and hides with the panel.
    assert not d.clip.visible
    d.展现()
    assert d.clip.visible


def test_done_button_hides_the_dialog(board):
    d = animation.下拉选项输入框(board, ["a", "b"])
    d.展现()
    board.屏幕.ui_manager.update(0.01)
    click_at(board.屏幕.ui_manager, d.完成按钮.element.rect.center)
    assert d.可见 is False and board.画布激活 is True


def test_dropdown_needs_an_option(board):
    manager = board.屏幕.ui_manager
    before = set(manager.get_sprite_group().sprites())
    with pytest.raises(IndexError):
        animation.下拉选项输入框(board, [], 提示="速度")
    # Nothing of the failed dialog stays on screen where no button could close it.
    assert set(manager.get_sprite_group().sprites()) <= before


# ----- font dialog -------------------------------------------------------------------


@pytest.fixture
def font_dialog(screen):
    calls = []
    d = animation.字体输入框(screen, lambda *a: calls.append(a), 20, 30)
    d.calls = calls
    return d


def picked(colour):
    """The picker's event, wrapped the way the owner hands it on."""
    return types.SimpleNamespace(event=pygame.event.Event(
        pygame_gui.UI_COLOUR_PICKER_COLOUR_PICKED, colour=pygame.Color(colour)))


def fill(d, text="", font="", size=""):
    d.文本框.设置文本(text)
    d.字体框.设置文本(font)
    d.字体大小框.设置文本(size)


def test_font_dialog_layout_and_initial_state(font_dialog):
    d = font_dialog
    assert list(vars(d))[:15] == ["回调", "屏幕", "字体大小", "字体", "current_colour", "has_picked", "面板",
                                  "文本框", "取色按钮", "colour_picker", "字体框", "字体大小框", "完成按钮",
                                  "文本", "图标信息"]
    assert d.current_colour == pygame.Color(0, 0, 0) and d.has_picked is None
    assert d.面板.clip.rect == pygame.Rect(20, 30, 1200, 500)
    boxes = {"文本框": (50, 30, 1100, 200), "取色按钮": (50, 240, 300, 90), "字体框": (360, 240, 300, 90),
             "字体大小框": (670, 240, 300, 90), "完成按钮": (500, 360, 200, 90)}
    for name, (x, y, w, h) in boxes.items():
        assert getattr(d, name).element.relative_rect == pygame.Rect(x, y, w, h), name
    assert d.取色按钮.label == "选取颜色（默认黑）" and d.完成按钮.label == "确定"
    assert not d.面板.可见


def test_empty_text_only_hides(font_dialog):
    d = font_dialog
    d.展现("", None)
    fill(d, size="12")
    d.确定()
    assert not d.面板.可见 and d.calls == []


@pytest.mark.parametrize("size", ["12px", "0", "-3", "1.5", "十二"])
def test_bad_size_keeps_the_dialog_open(font_dialog, size):
    d = font_dialog
    d.展现("旧字", "层")
    fill(d, "你好", "宋体", size)
    d.确定()
    assert d.面板.可见 and d.calls == []
    assert d.文本框.获取文本() == "你好"  # nothing cleared


@pytest.mark.parametrize("font, size, expected_font, expected_size", [
    ("", " 12 ", None, 12), ("黑体", "", "黑体", None), ("黑体", "+7", "黑体", 7),
])
def test_confirm_calls_back_and_clears_only_the_text(font_dialog, font, size, expected_font, expected_size):
    d = font_dialog
    d.展现("原文", {"层": 3})
    assert d.文本框.获取文本() == "原文"
    fill(d, "新文", font, size)
    d.确定()
    assert d.calls == [("新文", expected_font, None, expected_size, {"层": 3})]
    assert not d.面板.可见
    assert d.文本框.获取文本() == "" and d.字体框.获取文本() == font and d.字体大小框.获取文本() == size


def test_pick_red_relabels_the_button_and_reports_the_colour(font_dialog):
    d = font_dialog
    d.展现("字", None)
    d.开启选色()
    assert isinstance(d.colour_picker, pygame_gui.windows.UIColourPickerDialog)
    assert d.colour_picker.rect.center == pygame.Rect(160, 50, 420, 400).center and d.has_picked is True
    assert d.colour_picker.window_display_title == "调色板"
    assert not d.取色按钮.可用
    d.关闭调色板(picked("#ff0000"))
    assert d.colour_picker is None and d.取色按钮.可用
    assert d.取色按钮.label == "修改颜色(#ff0000)"
    d.确定()
    assert d.calls[-1][2] == (255, 0, 0)
    # A later showing without the picker reports no colour, though one was chosen.
    d.展现("字", None)
    d.确定()
    assert d.calls[-1][2] is None and d.current_colour == pygame.Color(255, 0, 0)


def test_picker_cancelled_still_reports_current_colour_and_frees_the_button(font_dialog):
    d = font_dialog
    d.展现("字", None)
    d.开启选色()
    picker = d.colour_picker
    click_at(d.屏幕.ui_manager, picker.cancel_button.rect.center)
    assert not picker.alive()
    assert d.取色按钮.可用 and d.colour_picker is None
    d.确定()
    assert d.calls[-1][2] == (0, 0, 0)


def test_picker_ok_event_routed_to_close_palette(font_dialog):
    d = font_dialog
    d.展现("字", None)
    d.current_colour = pygame.Color(1, 2, 3)
    d.开启选色()
    picker = d.colour_picker
    assert picker.current_colour == pygame.Color(1, 2, 3)  # preset to the current colour
    picker.current_colour = pygame.Color(10, 200, 30)
    posted = click_at(d.屏幕.ui_manager, picker.ok_button.rect.center)
    events = [e for e in posted if e.type == pygame_gui.UI_COLOUR_PICKER_COLOUR_PICKED]
    assert len(events) == 1
    d.关闭调色板(types.SimpleNamespace(event=events[0]))
    assert d.取色按钮.label == "修改颜色(#0ac81e)"
    d.确定()
    assert d.calls[-1][2] == (10, 200, 30)


def test_colour_forms(font_dialog):
    assert font_dialog.color_to_hex(pygame.Color(1, 2, 3)) == "#010203"
    assert font_dialog.color_to_hex(pygame.Color(255, 171, 0)) == "#ffab00"
    assert font_dialog.color_to_tuple(pygame.Color(1, 2, 3, 4)) == (1, 2, 3)


def test_confirm_button_click_and_callback_error(screen):
    def fail(*a):
        raise RuntimeError("owner failed")

    d = animation.字体输入框(screen, fail, 0, 0)
    d.展现("字", None)
    screen.ui_manager.update(0.01)
    with pytest.raises(RuntimeError):
        click_at(screen.ui_manager, d.完成按钮.element.rect.center)
    assert not d.面板.可见 and d.文本框.获取文本() == ""

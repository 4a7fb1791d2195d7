"""The editor window, driven by posted pygame events under the dummy video driver."""
import copy
import json
import os

import pygame
import pytest

from editor_support import example_shot, read


@pytest.fixture
def shot(tmp_path):
    return example_shot(str(tmp_path))


def _layer(doc, frame, number):
    key = list(doc["坐标字典"])[frame]
    return next(r for r in doc["坐标字典"][key] if r["编号"] == number)


def test_open_select_drag_turn_keyframe_undo_redo_save_reopen_render(editor_of, shot):
    original = read(shot)
    d = editor_of(shot)
    ed = d.editor
    assert [b.文本 for b in ed.画板.帧条] == ["起始 1", "走近 2", "转身 1"]
    d.click(d.strip_button(1))
    assert ed.文档.帧.当前 == 1
    person = d.icon(2)
    assert person.scale_ratio == pytest.approx(1.3)
    # frame 1 puts the person at (560, 400), 208 x 312 at scale 1.3
    assert (person.矩形.左, person.矩形.上) == (560, 400)

    start = d.centre(2)
    d.drag(start, (start[0] + 50, start[1] + 30))
    centre = d.centre(2)
    assert centre == (start[0] + 50, start[1] + 30)
    # a quarter turn counter-clockwise: from the right of the centre to above it
    d.drag((centre[0] + 80, centre[1]), (centre[0], centre[1] - 80), button=3, steps=8)
    assert person.rotate_angle == pytest.approx(90, abs=0.5)
    d.open_menu(2)
    d.menu_row(2, "添加动画")
    assert len(person.状态列表) == 1

    d.ctrl(pygame.K_z)
    d.ctrl(pygame.K_z)
    person = d.icon(2)
    assert len(person.状态列表) == 0 and person.rotate_angle == pytest.approx(0)
    d.ctrl(pygame.K_z, shift=True)
    person = d.icon(2)
    assert person.rotate_angle == pytest.approx(90, abs=0.5) and len(person.状态列表) == 0
    assert ed.历史.未保存
    d.ctrl(pygame.K_s)
    assert not ed.历史.未保存

    saved = read(shot)
    expected = copy.deepcopy(original)
    key = list(expected["坐标字典"])[1]
    expected["坐标字典"][key] = [r for r in saved["坐标字典"][key]]
    # nothing but the moved and turned layer of frame 1 changed
    assert saved == expected
    for number in (1, 3, 4):
        assert _layer(saved, 1, number) == _layer(original, 1, number)
    moved = _layer(saved, 1, 2)
    cx, cy = 560 + 104 + 50, 400 + 156 + 30
    assert moved["旋转角度"] == pytest.approx(90, abs=0.5)
    assert moved["宽度"] == pytest.approx(312, abs=2) and moved["高度"] == pytest.approx(208, abs=2)
    assert moved["横坐标"] == pytest.approx(cx - 156, abs=2) and moved["纵坐标"] == pytest.approx(cy - 104, abs=2)
    assert moved["文件"] == "../media/人物.png"

    # reopened, the layer stands where it was left
    d2 = editor_of(shot)
    d2.click(d2.strip_button(1))
    assert d2.centre(2) == pytest.approx((cx, cy), abs=2)
    assert not d2.editor.历史.未保存

    # rendered as the command renders it: the shirt is at the new centre
    from tazu.cli.shots import Shot, make_board

    board = make_board(1280, 720, os.path.join(os.path.dirname(shot), "render-tmp"))
    drawn = Shot(shot, board)
    drawn.draw(board.屏幕, 4.0)  # the end of frame 1 (2 of 3 shares of 6 s)
    r, g, b, _ = board.屏幕.screen.get_at((cx, cy))
    assert r > 150 and g < 90 and b < 90
    r, g, b, _ = board.屏幕.screen.get_at((560 + 104, 400 + 156))
    assert not (r > 150 and g < 90 and b < 90)


def test_unedited_document_saves_equal_and_save_as_keeps_media_relative(editor_of, shot, tmp_path):
    original = read(shot)
    d = editor_of(shot)
    for frame in range(3):
        d.click(d.strip_button(frame))
    assert not d.editor.历史.未保存
    d.ctrl(pygame.K_s)
    assert read(shot) == original
    other = tmp_path / "elsewhere" / "copy.json"
    other.parent.mkdir()
    d.editor.选了文件("另存为", str(other))
    copied = read(other)
    assert _layer(copied, 0, 2)["文件"] == "../media/人物.png"
    assert copied["时长"] == original["时长"]
    d2 = editor_of(str(other))
    assert len(d2.editor.画板.图标列表) == 4


def test_edits_reach_only_the_selected_frame_and_frames_apply_their_records(editor_of, shot):
    d = editor_of(shot)
    d.click(d.strip_button(2))
    person = d.icon(2)
    assert person.rotate_angle == pytest.approx(30)
    assert len(person.状态列表) == 1 and person.循环次数 == 2
    d.click(d.centre(4))
    d.key(pygame.K_RIGHT)
    d.key(pygame.K_RIGHT)
    d.click(d.strip_button(0))
    assert d.icon(4).矩形.左 == 40
    d.click(d.strip_button(2))
    assert d.icon(4).矩形.左 == 44
    d.ctrl(pygame.K_s)
    saved = read(d.editor.文档.路径)
    assert _layer(saved, 2, 4)["横坐标"] == 44 and _layer(saved, 1, 4)["横坐标"] == 40


def test_keyframe_selector_of_the_selected_layer_switches_states(editor_of, shot):
    d = editor_of(shot)
    ed = d.editor
    d.click(d.strip_button(2))
    person = d.icon(2)
    assert person.图标状态选项 is None
    d.click(d.centre(2))
    selector = person.图标状态选项
    assert selector is not None and list(selector.选项列表) == ["0", "当前"]
    before = ed.文档.快照()
    d.click((selector.横坐标() + 10, selector.纵坐标() + 15))
    assert person.rotate_angle == pytest.approx(-15) and person.当前状态备份 is not None
    # showing a keyframe is no edit of the document
    assert ed.文档.快照() == before and not ed.历史.未保存
    d.click((selector.横坐标() + 10, selector.纵坐标() + 45))
    assert person.rotate_angle == pytest.approx(30) and person.当前状态备份 is None
    d.click((5, 700))
    assert person.图标状态选项 is None


def test_frames_new_duplicate_delete_and_weights(editor_of, shot, monkeypatch):
    import tazu.host.commands as commands

    # a loaded machine may take longer than a double click between two clicks
    monkeypatch.setattr(commands, "双击毫秒", 60_000)
    d = editor_of(shot)
    ed = d.editor
    d.click(d.strip_button(1))
    d.ctrl(pygame.K_d)
    assert ed.文档.帧.键 == ["开场_起始_1", "开场_走近_2", "开场_走近·2_2", "开场_转身_1"]
    assert ed.文档.帧.当前 == 2
    ed.执行("权重")
    ed._帧对话框.输入.设置文本("奔跑_3")
    ed._帧对话框.获得文本()
    assert ed.文档.帧.键[2] == "开场_奔跑_3"
    ed.执行("权重")
    ed._帧对话框.输入.设置文本("-1")
    ed._帧对话框.获得文本()
    assert ed.文档.帧.键[2] == "开场_奔跑_3"
    assert "正数" in ed.状态栏.当前消息()
    # two clicks on a frame of the strip ask for its weight
    d.click(d.strip_button(3))
    d.click(d.strip_button(3))
    assert ed._帧对话框.可见
    ed._帧对话框.输入.设置文本("4")
    ed._帧对话框.获得文本()
    assert ed.文档.帧.键[3] == "开场_转身_4"
    d.ctrl(pygame.K_z)
    d.ctrl(pygame.K_n)
    assert len(ed.文档.帧) == 5 and ed.文档.帧.当前 == 4
    assert ed.文档.图层(4) == ed.文档.图层(3)
    d.ctrl(pygame.K_DELETE)
    d.ctrl(pygame.K_DELETE)
    assert ed.文档.帧.键 == ["开场_起始_1", "开场_走近_2", "开场_奔跑_3"]
    for _ in range(4):
        d.ctrl(pygame.K_z)
    assert ed.文档.帧.键 == ["开场_起始_1", "开场_走近_2", "开场_走近·2_2", "开场_转身_1"]
    assert len(ed.画板.帧条) == 4


def test_undo_keeps_at_least_a_hundred_steps(editor_of, shot, monkeypatch):
    import tazu.host.history as history

    monkeypatch.setattr(history, "合并间隔", 0)
    d = editor_of(shot)
    ed = d.editor
    first = ed.文档.快照()
    d.click(d.centre(4))
    for _ in range(110):
        d.key(pygame.K_DOWN)
    assert d.icon(4).矩形.上 == 40 + 220
    for _ in range(110):
        d.ctrl(pygame.K_z)
    assert ed.文档.快照() == first and d.icon(4).矩形.上 == 40
    assert not ed.历史.未保存


def test_wheel_steps_in_a_row_are_one_undo_step(editor_of, shot):
    d = editor_of(shot)
    d.editor.历史._时钟 = lambda: 0.0  # however slow the machine, the steps come together
    d.click(d.centre(4))
    for _ in range(3):
        d.post(pygame.MOUSEWHEEL, x=0, y=1, flipped=False, precise_x=0.0, precise_y=1.0)
        d.run()
    assert d.icon(4).scale_ratio == pytest.approx(1.3)
    d.ctrl(pygame.K_z)
    assert d.icon(4).scale_ratio == pytest.approx(1)


def test_right_drag_turns_by_the_swept_angle_only(editor_of, shot):
    d = editor_of(shot)
    d.click(d.strip_button(2))
    person = d.icon(2)
    assert person.rotate_angle == pytest.approx(30)
    x, y = d.centre(2)
    d.drag((x + 40, y), (x + 41, y), button=3, steps=1)
    assert person.rotate_angle == pytest.approx(30, abs=2)
    # a full clockwise circle of the pointer turns a full circle
    points = [(x + round(60 * __import__("math").cos(a / 8 * 6.2832)),
               y + round(60 * __import__("math").sin(a / 8 * 6.2832))) for a in range(9)]
    d.post(pygame.MOUSEBUTTONDOWN, pos=points[0], button=3)
    d.run()
    for p in points[1:]:
        d.post(pygame.MOUSEMOTION, pos=p, rel=(0, 0), buttons=(0, 0, 1))
        d.run()
    assert person.rotate_angle == pytest.approx(30 - 360, abs=2)


def test_locked_layer_refusal_shows_on_the_status_line(editor_of, shot):
    d = editor_of(shot)
    d.open_menu(4)
    d.menu_row(4, "锁定")
    x, y = d.centre(4)
    d.drag((x, y), (x + 30, y))
    assert d.icon(4).矩形.左 == 40
    assert d.editor.状态栏.当前消息() == "图标已锁定，不能移动"
    # the module's own lines reach the status line as well
    import tazu.animation as animation

    animation.输出("图层源文件不存在或损坏1：", "x.png")
    assert d.editor.状态栏.当前消息() == "图层源文件不存在或损坏1： x.png"


def test_menu_title_is_the_layers_name(editor_of, shot):
    d = editor_of(shot)
    icon = d.open_menu(2)
    assert icon.当前菜单.图标别名 == "人物"
    d.key(pygame.K_ESCAPE)
    assert icon.当前菜单 is None
    d.ctrl(pygame.K_s)
    assert _layer(read(shot), 0, 2).get("别名") is None


def test_grouped_layers_stay_together_through_keyframe_switches(editor_of, shot):
    d = editor_of(shot)
    ed = d.editor
    d.click(d.centre(2))
    d.post(pygame.MOUSEBUTTONDOWN, pos=d.centre(3), button=1)
    pygame.key.set_mods(pygame.KMOD_LSHIFT)
    d.run()
    pygame.key.set_mods(0)
    d.post(pygame.MOUSEBUTTONUP, pos=d.centre(3), button=1)
    d.run()
    ed.画板.组合()
    ed._提交()
    a, b = d.icon(2), d.icon(3)
    gap = (b.x - a.x, b.y - a.y)
    a.添加动画()
    ed._提交()
    x, y = d.centre(2)
    d.drag((x, y), (x + 100, y + 20))
    # editing the keyframe moves that layer only
    assert (b.x - a.x, b.y - a.y) != gap
    a.切换状态(None)
    assert (b.x - a.x, b.y - a.y) == gap
    # a group moved while a member shows a keyframe takes that member's live pose along
    a.切换状态(0)
    x, y = d.centre(3)
    d.drag((x, y), (x - 60, y))
    assert a.当前状态备份 is None
    assert (b.x - a.x, b.y - a.y) == gap


def test_font_size_beyond_reason_is_refused_in_the_dialog(editor_of, shot):
    d = editor_of(shot)
    ed = d.editor
    ed.执行("保存")
    ed.执行("添加文本")
    dialog = ed.画板.字体输入框
    assert dialog.面板.可见
    dialog.文本框.设置文本("你好")
    dialog.字体大小框.设置文本("4056")
    dialog.确定()
    assert dialog.面板.可见 and "太大" in dialog._提示文本.文本
    dialog.字体大小框.设置文本("64")
    dialog.确定()
    assert not dialog.面板.可见
    text = ed.画板.选中图标
    assert text.文本 == "你好" and text.字体大小 == 64
    assert text.矩形.高 < 200


def test_media_comes_in_by_drop_file_dialog_replace_and_template(editor_of, shot, make_png, tmp_path):
    d = editor_of(shot)
    ed = d.editor
    png = make_png(30, 20, (0, 255, 0), name="green.png")
    d.post(pygame.DROPFILE, file=png)
    d.run()
    assert d.icon(5).矩形.宽 == 30
    ed.执行("添加媒体")
    assert ed.文件对话框 is not None
    d.key(pygame.K_ESCAPE)
    assert ed.文件对话框 is None
    d.open_menu(5)
    d.menu_row(5, "替换")
    assert ed.文件对话框[0] == "替换"
    import pygame_gui

    bigger = make_png(60, 20, (0, 0, 255), name="blue.png")
    d.post(pygame_gui.UI_FILE_DIALOG_PATH_PICKED, text=bigger, ui_element=ed.文件对话框[1])
    d.run()
    assert d.icon(5).矩形.宽 == 60
    d.open_menu(5)
    d.menu_row(5, "导出")
    exported = ed.画板.最近导出
    assert read(exported)[0]["文件"] == os.path.relpath(bigger, os.path.dirname(exported))
    d.open_menu(5)
    d.menu_row(5, "导入模板")
    ed.选了文件("模板", exported)
    assert [i.编号 for i in ed.画板.图标列表] == [1, 2, 3, 4, 5, 6]
    d.post(pygame.DROPFILE, file=str(tmp_path / "missing.png"))
    d.run()
    assert "不是文件" in ed.状态栏.当前消息()
    d.ctrl(pygame.K_s)
    saved = read(shot)
    # a layer added in the first frame is in every later one
    for frame in range(3):
        assert [r["编号"] for r in list(saved["坐标字典"].values())[frame]] == [1, 2, 3, 4, 5, 6]
    assert _layer(saved, 2, 5)["文件"] == os.path.relpath(bigger, os.path.dirname(shot))


def test_close_with_unsaved_changes_asks(editor_of, shot):
    d = editor_of(shot)
    ed = d.editor
    d.click(d.centre(4))
    d.key(pygame.K_DOWN)
    assert "开场.json" in pygame.display.get_caption()[0] and " *" in pygame.display.get_caption()[0]
    d.post(pygame.QUIT)
    d.run()
    assert ed.运行中 and ed.询问窗 is not None
    ed._询问按钮(ed.询问窗[2]["取消"])
    assert ed.运行中 and ed.询问窗 is None
    d.ctrl(pygame.K_q)
    ed._询问按钮(ed.询问窗[2]["保存"])
    assert not ed.运行中 and _layer(read(shot), 0, 4)["纵坐标"] == 42


def test_play_stop_and_leave(editor_of, shot):
    d = editor_of(shot)
    ed = d.editor
    d.click(d.strip_button(1))
    d.key(pygame.K_SPACE)
    assert ed.播放 is not None and ed.播放.播放中
    # playing from the selected frame: frame 1 starts at 0 (the start pose takes no time)
    assert ed.播放.时刻 < 0.5
    clock = [100.0]
    ed.播放._时钟 = lambda: clock[0]
    ed.播放._起 = clock[0]
    clock[0] += 3.0  # three seconds later
    d.run()
    d.key(pygame.K_SPACE)
    assert not ed.播放.播放中 and ed.播放.时刻 == pytest.approx(3.0)
    assert ed.播放.所在帧() == 1
    d.click((640, 300))
    assert ed.播放 is None and ed.文档.帧.当前 == 1


def test_help_overlay_and_idle_draws_nothing(editor_of, shot, monkeypatch):
    d = editor_of(shot)
    ed = d.editor
    d.key(pygame.K_F1)
    assert ed.帮助
    d.key(pygame.K_F1)
    assert not ed.帮助
    d.run(3)
    drawn = []
    monkeypatch.setattr(ed, "绘制", lambda: drawn.append(1))
    ed.状态栏.消息.clear()
    ed._消息到期 = None
    d.run(5)
    assert drawn == []
    d.post(pygame.MOUSEMOTION, pos=(5, 5), rel=(0, 0), buttons=(0, 0, 0))
    d.run()
    assert drawn == [1]


def test_bad_document_is_refused_with_its_reason(tmp_path, capsys):
    from tazu.host.__main__ import main

    bad = tmp_path / "bad.json"
    bad.write_text(json.dumps({"时长": 2, "坐标字典": {"a_1": [{"编号": 1, "文件": "nope.png"}]}}),
                   encoding="utf-8")
    assert main([str(bad), "--fit-ratio", "1"]) == 2
    assert "media file not found" in capsys.readouterr().err
    pygame.init()
    pygame.display.set_mode((800, 600))


def test_screenshot_of_a_shot_document_through_tazu_edit(shot, tmp_path):
    from tazu.cli import main

    out = tmp_path / "window.png"
    assert main(["edit", shot, "--fit-ratio", "1", "--screenshot", str(out), "--frames", "2"]) == 0
    pygame.init()
    picture = pygame.image.load(str(out))
    pygame.display.set_mode((800, 600))
    assert picture.get_size() == (1280, 720 + 50 + 34 + 24)
    # the background picture's ground fills the canvas's lower part
    r, g, b, _ = picture.get_at((640, 700))
    assert g > r and g > b

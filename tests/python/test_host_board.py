import json
import os

import pytest

from host_doubles import 测试图标
from tazu.mix import 字典


def icon_on(board, path, x=0, y=0, 编号=None, add=True):
    icon = 测试图标(字典({"文件": path}), board, 横坐标=x, 纵坐标=y,
                编号=board.新编号() if 编号 is None else 编号)
    if add:
        board.添加图标(icon)
    return icon


def test_board_sizes_and_temporary_folder(board, tmp_path):
    assert (board.窗口宽度, board.窗口高度) == (1280, 720)
    assert (board.实际画布宽度, board.实际画布高度) == (1280, 720)
    assert os.path.isdir(os.path.join(board.临时文件夹, "optimize_png"))
    assert board.画布激活 is True and not board.开发者模式
    assert board.帧切割阈值 > 0


@pytest.mark.parametrize("text, integer, positive, real", [
    (" 12 ", 12, 12, 12.0),
    ("0", 0, None, 0.0),
    ("-3", -3, None, -3.0),
    ("+7", 7, 7, 7.0),
    ("１２", 12, 12, 12.0),
    (5, 5, 5, 5.0),
    (2.0, 2, 2, 2.0),
    ("2.5", None, None, 2.5),
    (" .5 ", None, None, 0.5),
    ("1e2", None, None, 100.0),
    (2.5, None, None, 2.5),
    ("12px", None, None, None),
    ("", None, None, None),
    ("abc", None, None, None),
    ("1_000", None, None, None),
    ("nan", None, None, None),
    ("inf", None, None, None),
    (None, None, None, None),
    (True, None, None, None),
    ("9" * 5000, None, None, None),
])
def test_typed_numbers(board, text, integer, positive, real):
    assert board.确保整数(text) == integer
    assert board.确保正整数(text) == positive
    assert board.确保浮点数(text) == real
    # refusal is None, so a typed 0 can be told from it
    for got, want in ((board.确保整数(text), integer), (board.确保浮点数(text), real)):
        assert (got is None) == (want is None)


class TestFrames:
    def test_cut_splits_weight_and_copies_data(self, board):
        board.设置帧(["起_0", "走_2", "跑_1"], {"走_2": {"层": [1]}})
        board.帧.当前 = 2
        info = {"镜头": 1}
        assert board.切割动作(1, 0.25, info) is info
        keys = board.帧列表
        assert [k.rsplit("_", 1)[1] for k in keys] == ["0", "0.5", "1.5", "1"]
        assert board.帧.数据[keys[1]] == {"层": [1]}
        assert board.帧.数据[keys[1]] is not board.帧.数据[keys[2]]
        assert len(set(keys)) == 4 and board.帧.当前 == 3

    def test_cut_in_halves_gives_distinct_keys(self, board):
        board.设置帧(["起_0", "走_2"])
        board.切割动作(1, 0.5)
        a, b = board.帧列表[1:]
        assert a != b and a.endswith("_1") and b.endswith("_1")

    @pytest.mark.parametrize("index, ratio", [(0, 0.5), (1, 0), (1, 1), (1, -0.2), (5, 0.5), (1, "x")])
    def test_refused_cuts_change_nothing(self, board, index, ratio):
        board.设置帧(["起_0", "走_2"])
        assert board.切割动作(index, ratio, "信息") == "信息"
        assert board.帧列表 == ["起_0", "走_2"]

    @pytest.mark.parametrize("index, side, expected", [
        (1, "右", ["起_0", "跑_3"]),
        (2, "左", ["起_0", "跑_3"]),
    ])
    def test_stitch_keeps_later_frame_with_summed_weight(self, board, index, side, expected):
        board.设置帧(["起_0", "走_2", "跑_1"], {"走_2": "A", "跑_1": "B"})
        board.缝合动作(index, side, None)
        assert board.帧列表 == expected
        assert board.帧.数据["跑_3"] == "B"

    @pytest.mark.parametrize("index, side", [(1, "左"), (0, "右"), (2, "右"), (0, "左")])
    def test_stitch_refused_at_start_and_ends(self, board, index, side):
        board.设置帧(["起_0", "走_2", "跑_1"])
        board.缝合动作(index, side)
        assert board.帧列表 == ["起_0", "走_2", "跑_1"]

    def test_bad_direction_is_refused_and_callback_runs_on_change(self, board):
        seen = []
        board.帧变化回调 = seen.append
        board.设置帧(["起_0", "走_2", "跑_1"])
        board.缝合动作(1, "上")
        assert seen == []
        board.缝合动作(1, "右")
        assert seen == [board]

    def test_shot_views_follow_the_frames(self, board):
        board.设置帧(["起_0", "走_2"], {"起_0": 1, "走_2": 2})
        board.切割动作(1, 0.5)
        assert list(board.坐标字典().所有键()) == board.所有帧() == board.帧列表
        assert list(board.坐标字典().values()) == [1, 2, 2]

    def test_start_key(self, board):
        assert not board.是否开始动作键()
        board.设置帧(["起_0", "走_2"])
        assert board.是否开始动作键()
        board.帧.当前 = 1
        assert not board.是否开始动作键()
        board.设置帧(["走_2"])
        assert not board.是否开始动作键()


class TestGroups:
    def test_group_box_and_vectors(self, board, make_png):
        a = icon_on(board, make_png(20, 10), 150, 40)
        b = icon_on(board, make_png(10, 10), 0, 0)
        c = icon_on(board, make_png(10, 10), 500, 500)
        board.选择(a)
        b.多选选中 = True
        board.组合()
        assert board.获取组合矩形(a) == (0, 0, 50, 170)
        assert board.获取组合矩形(b) == (0, 0, 50, 170)
        assert a.相对坐标 == (75.0, 20.0) and b.相对坐标 == (-80.0, -20.0)
        # an icon outside every group: its own box, and no vector is made up
        assert board.获取组合矩形(c) == (500, 500, 510, 510)
        board.标记相对坐标(c)
        assert c.相对坐标 is None

    def test_mark_again_after_a_member_moved(self, board, make_png):
        a = icon_on(board, make_png(10, 10), 0, 0)
        b = icon_on(board, make_png(10, 10), 90, 0)
        board.选择(a)
        b.多选选中 = True
        board.组合()
        b.移动(190, 0)
        board.标记相对坐标(a)
        assert a.相对坐标 == (-95.0, 0.0)

    def test_group_moves_and_scales_together(self, board2, make_png):
        a = icon_on(board2, make_png(10, 10), 0, 0)
        b = icon_on(board2, make_png(10, 10), 40, 0)
        board2.选择(a)
        b.多选选中 = True
        board2.组合()
        board2.平移组合(a, 10, 6)
        assert [(m.矩形.左, m.矩形.上) for m in (a, b)] == [(10, 6), (90, 6)]
        box = board2.获取组合矩形(a)
        assert board2.缩放组合(b, 1) == 2
        assert (a.scale_ratio, b.scale_ratio) == (2, 2) and a.大盘缩放比例 == 4
        grown = board2.获取组合矩形(a)
        # members twice as big, twice as far from the unchanged centre (55, 11)
        assert box == (10, 6, 16, 100)
        assert grown == pytest.approx((-35, 1, 21, 145))
        assert board2.缩放组合(a, -2) is None
        b.锁 = True
        board2.平移组合(a, 5, 5)
        assert a.矩形.左 == grown[0]

    def test_group_needs_two_and_ungroup_clears(self, board, make_png):
        a = icon_on(board, make_png(10, 10))
        board.选择(a)
        board.组合()
        assert board.组合列表 == [] and a.相对坐标 is None
        b = icon_on(board, make_png(10, 10), 30, 0)
        b.多选选中 = True
        board.组合()
        board.取消组合()
        assert board.组合列表 == []
        assert a.相对坐标 is None and b.相对坐标 is None

    def test_regrouping_moves_icons_out_of_their_old_group(self, board, make_png):
        a, b, c = (icon_on(board, make_png(10, 10), 20 * i, 0) for i in range(3))
        board.选择(a)
        b.多选选中 = True
        board.组合()
        board.选择(b)
        c.多选选中 = True
        board.组合()
        assert len(board.组合列表) == 1
        assert board.所在组合(a) is None and a.相对坐标 is None


class TestApplyRecord:
    def test_report_applied_to_a_new_icon_reproduces_it(self, board2, make_png):
        path = make_png(40, 20)
        a = icon_on(board2, path, 10, 20)
        a.缩放(1.5)
        a.旋转(30, 旋转轴位置=(60, 50))
        a.模式, a.循环, a.循环次数, a.别名 = "滤色", False, 3, "甲"
        record = a.报告当下(缩放备份=False)
        b = icon_on(board2, path, 0, 0, add=False)
        board2.调整新图标初始状态(record, b, 系统=True)
        again = b.报告当下(缩放备份=False)
        for key, value in record.items():
            if key == "编号":
                continue
            if isinstance(value, (int, float)) and not isinstance(value, bool):
                assert again[key] == pytest.approx(value, abs=0.5), key
            elif isinstance(value, tuple):
                assert again[key] == pytest.approx(value, abs=0.5), key
            else:
                assert again[key] == value, key
        assert b.image.get_size() == a.image.get_size()

    def test_record_in_standard_data_is_converted(self, board2, make_png):
        path = make_png(10, 10)
        icon = icon_on(board2, path, add=False)
        record = 字典({"文件": path, "横坐标": 100, "纵坐标": 50, "origin_x": 100, "origin_y": 50,
                     "缩放比例": 1, "旋转中心": "", "旋转角度": 0, "相对坐标": (5, 6),
                     "原始缩放比例": 1, "大盘矩形": (0, 0, 100, 200), "大盘缩放比例": 1, "锁": True})
        board2.调整新图标初始状态(record, icon, 系统=True)
        assert (icon.矩形.左, icon.矩形.上) == (200, 100)
        assert icon.scale_ratio == 2 and icon.image.get_size() == (20, 20)
        assert icon.相对坐标 == (10, 12) and icon.原始缩放比例 == 2 and icon.大盘缩放比例 == 2
        assert icon.锁 is True
        # the group box the record gave follows the icon's inferred group centre
        left, top, bottom, right = board2.获取组合矩形(icon)
        assert (right - left, bottom - top) == (400, 200)
        # icon centre (210, 110) minus the vector (10, 12)
        assert ((left + right) / 2, (top + bottom) / 2) == (200, 98)

    def test_keywords_override_and_json_text_is_decoded(self, board, make_png):
        icon = icon_on(board, make_png(10, 10), add=False)
        record = 字典({"横坐标": 0, "纵坐标": 0, "锁": True, "文本": json.dumps("你好")})
        board.调整新图标初始状态(record, icon, 锁=False, 字体大小="30", 文本颜色="#ff0000", 系统=True)
        assert icon.文本 == "你好" and icon.锁 is False
        assert icon.字体大小 == "30"
        w, h = icon.image.get_size()
        assert w > 30 and h >= 25
        colours = {tuple(icon.image.get_at((x, y))) for x in range(w) for y in range(h)}
        assert (255, 0, 0, 255) in colours
        first = icon.origin_image
        board.调整新图标初始状态(record, icon, 系统=True, 字体大小="30", 文本颜色="#ff0000")
        assert icon.origin_image is first  # unchanged text is not drawn again

    def test_partial_record_leaves_the_rest(self, board, make_png):
        icon = icon_on(board, make_png(10, 10), 5, 5, add=False)
        icon.缩放(2)
        icon.旋转(90)
        board.调整新图标初始状态(字典({"模式": "滤色"}), icon)
        assert (icon.scale_ratio, icon.rotate_angle, icon.模式) == (2, 90, "滤色")
        board.调整新图标初始状态(字典({"旋转角度": 0}), icon)
        assert (icon.scale_ratio, icon.rotate_angle) == (2, 0)

    @pytest.mark.parametrize("key, value", [("横坐标", "abc"), ("缩放比例", "2"), ("旋转角度", "x"),
                                            ("相对坐标", (1, None)), ("origin_x", [])])
    def test_bad_value_raises_before_anything_changes(self, board, make_png, key, value):
        icon = icon_on(board, make_png(10, 10), 5, 5, add=False)
        record = 字典({"横坐标": 1, "纵坐标": 2, "origin_x": 1, "origin_y": 2, "缩放比例": 3,
                     "旋转角度": 10, "相对坐标": (1, 2), "模式": "滤色", "文本": "字"})
        record[key] = value
        with pytest.raises(TypeError):
            board.调整新图标初始状态(record, icon)
        assert (icon.矩形.左, icon.scale_ratio, icon.rotate_angle, icon.模式, icon.文本) == (5, 1, 0, 0, None)

    def test_file_switch_and_missing_file(self, board, make_png, capsys):
        a_path, b_path = make_png(10, 10), make_png(30, 30)
        icon = icon_on(board, a_path, add=False)
        board.调整新图标初始状态(字典({"文件": b_path, "横坐标": 0, "纵坐标": 0}), icon)
        assert icon._文件 == b_path and icon.image.get_size() == (30, 30)
        board.调整新图标初始状态(字典({"文件": "/nope/x.png", "横坐标": 0, "纵坐标": 0}), icon)
        assert icon._文件 == b_path and "不存在" in capsys.readouterr().out

    def test_snapshot_applies_and_keeps_the_record(self, board, make_png):
        path = make_png(10, 10)
        icon = icon_on(board, path, add=False)
        record = 字典({"编号": 4, "文件": path, "横坐标": 7, "纵坐标": 8, "缩放比例": 2, "旋转角度": 0})
        board.快照图标(record, icon, 系统=True)
        assert (icon.矩形.左, icon.矩形.上, icon.scale_ratio) == (7, 8, 2)
        assert board.快照[(path, 4)] is record


class TestActions:
    @pytest.fixture
    def three(self, board, make_png):
        return [icon_on(board, make_png(10, 10, (255, 0, 0)), 20 * i, 0) for i in range(3)]

    def test_lock_and_unlock_the_selection(self, board, three):
        board.选择(three[0])
        three[2].多选选中 = True
        board.锁定()
        assert [i.锁 for i in three] == [True, False, True]
        board.解锁()
        assert not any(i.锁 for i in three)

    def test_layer_order(self, board, three):
        a, b, c = three
        board.选择(a)
        board.上浮图标()
        assert board.图标列表 == [b, a, c]
        board.上浮图标()
        board.上浮图标()
        assert board.图标列表 == [b, c, a]
        board.下浮图标()
        assert board.图标列表 == [b, a, c]
        a.锁 = True
        board.下浮图标()
        assert board.图标列表 == [b, a, c]

    def test_delete_skips_locked_and_leaves_groups_consistent(self, board, three):
        a, b, c = three
        board.选择(a)
        b.多选选中 = True
        board.组合()
        c.多选选中 = True
        c.锁 = True
        board.删除图标()
        assert board.图标列表 == [c] and board.选中图标 is None
        assert board.组合列表 == [] and b.相对坐标 is None

    def test_copy_goes_on_top_offset_with_keyframes(self, board, three):
        a = three[0]
        a.状态列表.append(a.报告当下(缩放备份=False))
        board.选择(a)
        copy = board.复制图标()
        assert board.图标列表.index(copy) == 1 and copy.编号 == 4
        assert (copy.矩形.左, copy.矩形.上) == (20, 20)
        assert len(copy.状态列表) == 1 and copy.状态列表[0] is not a.状态列表[0]
        assert board.选中图标 is copy and not a.激活

    def test_mirror_flips_the_file_and_back(self, board, make_png):
        path = make_png(4, 2, lambda x, y: (255, 0, 0) if x == 0 else (0, 0, 255))
        icon = icon_on(board, path)
        board.选择(icon)
        board.镜像()
        assert icon._文件 != path and os.path.isfile(icon._文件)
        assert icon.image.get_at((3, 0))[:3] == (255, 0, 0)
        assert icon.image.get_at((0, 0))[:3] == (0, 0, 255)
        board.镜像()
        assert icon._文件 == os.path.abspath(path)
        assert icon.image.get_at((0, 0))[:3] == (255, 0, 0)

    def test_reset_keeps_centre(self, board, three):
        a = three[1]
        a.缩放(2)
        a.旋转(45)
        centre = (a.矩形.左 + a.矩形.宽 / 2, a.矩形.上 + a.矩形.高 / 2)
        board.选择(a)
        board.重置图层()
        assert a.scale_ratio == 1 and a.rotate_angle == 0
        assert (a.矩形.左 + a.矩形.宽 / 2, a.矩形.上 + a.矩形.高 / 2) == pytest.approx(centre, abs=1)

    def test_blend_cycle_and_loop_toggle(self, board, three):
        board.选择(three[0])
        seen = []
        for _ in range(7):
            board.准备融合()
            seen.append(three[0].模式)
        assert seen == ["正片叠底", "滤色", "叠加", "变暗", "变亮", "减去", "正常"]
        board.循环播放()
        assert three[0].循环 is False

    def test_requests_wait_for_the_host_or_go_to_its_handler(self, board, three):
        board.选择(three[0])
        board.编辑文本()
        board.导入模板()
        assert board.待处理 == [("编辑文本", three[0]), ("导入模板", three[0])]
        handled = []
        board.动作处理["修改动作"] = handled.append
        board.修改动作()
        assert handled == [three[0]] and len(board.待处理) == 2

    def test_export_and_import_a_group(self, board, three):
        a, b, _ = three
        board.选择(a)
        b.多选选中 = True
        board.组合()
        path = board.导出组合()
        assert path.startswith(board.临时文件夹) and board.最近导出 == path
        records = json.load(open(path, encoding="utf-8"))
        assert [r["编号"] for r in records] == [a.编号, b.编号]
        made = board.导入模板文件(path, 类=测试图标)
        assert len(made) == 2 and board.所在组合(made[0]) is not None
        assert [(m.矩形.左, m.矩形.上) for m in made] == [(0, 0), (20, 0)]
        assert made[0].相对坐标 == pytest.approx(a.相对坐标)

    def test_import_refuses_a_file_that_is_no_template(self, board, tmp_path):
        p = tmp_path / "x.json"
        p.write_text('{"a": 1}', encoding="utf-8")
        with pytest.raises(ValueError, match="模板"):
            board.导入模板文件(str(p))

    def test_coordinates_move_selection_by_the_same_amount(self, board2, make_png):
        a = icon_on(board2, make_png(10, 10), 10, 10)
        b = icon_on(board2, make_png(10, 10), 50, 10)
        board2.选择(a)
        b.多选选中 = True
        board2.坐标调整(0, 30)
        assert (a.矩形.左, a.矩形.上) == (0, 60)
        assert (b.矩形.左, b.矩形.上) == (80, 60)

    def test_scale_applies_to_unlocked_selection(self, board, three):
        a, b, _ = three
        board.选择(a)
        b.多选选中 = True
        b.锁 = True
        board.比例调整(2)
        assert a.scale_ratio == 2 and b.scale_ratio == 1

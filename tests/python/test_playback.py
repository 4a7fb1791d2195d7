"""Action keys, time weights, layer sprite construction, shaping and segments."""

import numpy
import pytest

from tazu import animation
from tazu.mix import 列表, 字典


def keys(*names):
    return 字典({n: None for n in names})


# ----- action keys and time weights ---------------------------------------------

BOARD_KEYS = keys("镜头_走_1", "背景音_1", "火焰特效_2", "镜头_组合_音_3", "组合", "普通", "甲_乙_0.5")


def test_pure_actions_and_combinations_in_key_order():
    pure = animation.提取画板纯动作(BOARD_KEYS)
    combos = animation.提取画板纯组合(BOARD_KEYS)
    assert isinstance(pure, 列表) and isinstance(combos, 列表)
    assert list(pure) == ["镜头_走_1", "甲_乙_0.5"]
    assert list(combos) == ["镜头_组合_音_3"]


def test_keys_that_are_not_text_fail_as_python_would():
    with pytest.raises(TypeError):
        animation.提取画板纯动作(字典({1: None}))


@pytest.mark.parametrize("key, name", [("a_b_3", "3"), ("无下划线", "无下划线"), ("尾_", ""), ("x_ 2 ", " 2 ")])
def test_action_name(key, name):
    assert animation.键转动作名(key) == name


@pytest.mark.parametrize(
    "frames, table, total",
    [
        (["镜_2"], {"镜_2": 2.0}, 2.0),
        (["a_5", "b_2", "c_x"], {"a_5": 0.0, "b_2": 2.0, "c_x": 1.0}, 3.0),
        (["a_1", "b_ 3 ", "c_0.5"], {"a_1": 0.0, "b_ 3 ": 3.0, "c_0.5": 0.5}, 3.5),
        (["a_1", "b_2", "b_2"], {"a_1": 0.0, "b_2": 2.0}, 4.0),  # one entry, counted twice
        (["无名"], {"无名": 1.0}, 1.0),
    ],
)
def test_time_weights(frames, table, total):
    weights, shares = animation.计算时间权重(列表(frames))
    assert isinstance(weights, 字典)
    assert dict(weights) == table and list(weights.所有键()) == list(table)
    assert all(type(v) is float for v in weights.values())
    assert shares == total and type(shares) is float


def test_time_weights_of_no_frames():
    weights, shares = animation.计算时间权重(列表())
    assert dict(weights) == {} and shares == 0 and type(shares) is int


def test_time_weights_use_the_module_name_function(monkeypatch):
    monkeypatch.setattr(animation, "键转动作名", lambda key: "7")
    weights, shares = animation.计算时间权重(列表(["a_1", "b_1"]))
    assert shares == 7.0


def test_shot_mark_is_the_media_base_name(monkeypatch):
    seen = []
    monkeypatch.setattr(animation, "获得媒体纯文件名", lambda shot: seen.append(shot) or "第1镜", raising=False)
    shot = 字典({"镜号": 1})
    assert animation.获得分镜专属标志(shot) == "第1镜"
    assert seen == [shot]


# ----- construction ------------------------------------------------------------

ATTRIBUTE_ORDER = [
    "画板", "编号", "文件", "横坐标", "纵坐标", "混合模式", "循环播放", "缩放比例", "旋转中心", "旋转角度",
    "宽度", "高度", "相对坐标", "原始缩放比例", "大盘矩形", "大盘旋转角度", "大盘缩放比例", "历史动作键列表",
    "当前时间", "精灵起始时间", "累计时长", "终结", "单份时长", "当帧时长", "经过处理", "分镜序号", "模式",
    "全局配置", "顺序", "时间序列", "origin_size", "origin_x", "origin_y", "图标字典", "初始图标字典",
]


def test_defaults_and_attribute_order():
    s = animation.图层精灵()
    public = [k for k in vars(s) if not k.startswith("_")]
    assert public == ATTRIBUTE_ORDER
    assert s.当前时间 == 0 and s.精灵起始时间 == 0 and s.终结 is False and s.循环播放 is True
    assert s.缩放比例 == 1 and s.旋转角度 == 0 and s.origin_size is None
    assert isinstance(s.时间序列, 列表) and not s.时间序列
    assert "功能1:原始外部参数转坐标字典" in animation.图层精灵.__init__.__doc__
    assert "每一帧都过一遍" in animation.图层精灵.检测是否终结.__doc__


def test_without_icon_dict_the_origin_starts_at_the_position():
    s = animation.图层精灵(横坐标=12, 纵坐标=34, 当前时间=5)
    assert (s.origin_x, s.origin_y) == (12, 34)
    assert s.精灵起始时间 == 5 and s.当前时间 == 0


def test_media_size_and_icon_dict(make_png):
    path = make_png(30, 20)
    rec = 字典({"编号": 3, "文件": path, "横坐标": 1, "origin_x": 7})
    s = animation.图层精灵(文件=path, 图标字典=rec, 横坐标=50)
    assert s.origin_size == (30, 20)
    assert s.编号 == 3 and s.横坐标 == 1 and s.origin_x == 7
    assert s.纵坐标 is None and s.origin_y is None  # absent keys give what 获取 gives
    assert s.图标字典 is rec and s.初始图标字典 is rec


def test_unreadable_picture_fails(tmp_path):
    bad = tmp_path / "bad.png"
    bad.write_bytes(b"not a picture")
    with pytest.raises(OSError, match=str(bad)):
        animation.图层精灵(文件=str(bad))


def test_media_size_is_the_upright_size(tmp_path):
    from PIL import Image

    exif = Image.Exif()
    exif[0x0112] = 6  # stored lying on its side
    path = str(tmp_path / "photo.jpg")
    Image.new("RGB", (20, 30)).save(path, exif=exif)
    assert animation.图层精灵(文件=path).origin_size == (30, 20)


def test_a_picture_claiming_too_many_pixels_is_named(tmp_path, monkeypatch):
    from PIL import Image

    path = str(tmp_path / "huge.png")
    Image.new("RGB", (100, 100)).save(path)
    monkeypatch.setattr(Image, "MAX_IMAGE_PIXELS", 1000)  # Pillow refuses twice its limit
    with pytest.raises(Image.DecompressionBombError, match=path):
        animation.图层精灵(文件=path)


def test_text_form_report_and_size(make_png):
    path = make_png(40, 10)
    s = animation.图层精灵(编号=2, 文件=path, 横坐标=1, 纵坐标=2.5, 缩放比例=2, 当前时间=3)
    assert str(s) == f"（1，2.5） : 终结False : 是否处理False : 开始时间3 :  0 : {path}"
    r = s.报告()
    assert list(r.所有键()) == ["编号", "文件", "横坐标", "纵坐标", "缩放比例", "旋转角度", "旋转中心", "宽度", "高度"]
    assert (r.获取("宽度"), r.获取("高度"), r.获取("旋转角度"), r.获取("旋转中心")) == (80, 20, 0, None)


def test_own_icon_and_finding_an_icon():
    class Icon:
        def __init__(self, 编号, 文件):
            self.编号, self.文件 = 编号, 文件

    s = animation.图层精灵(编号=4)
    assert s.是否为自己的图标(字典({"编号": 4})) is True
    assert s.是否为自己的图标(字典({})) is False
    icons = 列表([Icon(4, "b"), Icon(5, "a"), Icon(4, "a"), Icon(4, "a")])
    assert s.从列表获得同个图标("a", 4, icons) is icons[2]
    assert s.从列表获得同个图标("c", 4, icons) is None


# ----- shaping -----------------------------------------------------------------

SEGMENT_KEYS = [
    "文件", "来自状态列表", "开始相对坐标", "结束相对坐标", "原始缩放比例", "开始角度", "结束角度",
    "开始旋转中心", "结束旋转中心", "开始大盘矩形", "结束大盘矩形", "开始大盘旋转角度", "结束大盘旋转角度",
    "开始大盘缩放比例", "结束大盘缩放比例", "开始时间", "开始位置", "结束位置", "开始宽度", "结束宽度",
    "开始高度", "结束高度", "开始origin_pos", "结束origin_pos", "开始比例", "结束比例", "时长", "图标字典",
    "初始图标字典",
]


def record(path, x=0, y=0, **more):
    base = {"编号": 1, "文件": path, "横坐标": x, "纵坐标": y, "origin_x": x, "origin_y": y,
            "宽度": 20, "高度": 10, "缩放比例": 1, "旋转中心": "", "旋转角度": 0, "相对坐标": None,
            "原始缩放比例": 1, "大盘矩形": None, "大盘旋转角度": 0, "大盘缩放比例": 1, "模式": 0, "循环": True,
            "循环次数": 1}
    base.update(more)
    return 字典(base)


def sprite_for(rec, **kw):
    kw.setdefault("编号", rec.获取("编号"))
    kw.setdefault("文件", rec.获取("文件"))
    return animation.图层精灵(图标字典=rec, **kw)


def test_single_state_segment(make_png):
    path = make_png(20, 10)
    first = record(path, 0, 0)
    s = sprite_for(first)
    assert s.塑造("k_1", first, 1.0) is True
    nxt = record(path, 100, 50, 旋转角度=30, 模式="正片叠底", 循环=False)
    assert s.塑造("k_2", nxt, 2.0) is True
    assert s.混合模式 == "正片叠底" and s.循环播放 is False
    segs = list(s.时间序列)
    assert len(segs) == 2 and all(isinstance(g, 字典) for g in segs)
    g = segs[1]
    assert list(g.所有键()) == SEGMENT_KEYS
    assert g.获取("开始时间") == 1.0 and g.获取("时长") == 2.0
    assert g.获取("开始位置") == (0, 0) and g.获取("结束位置") == (100, 50)
    assert g.获取("开始角度") == 0 and g.获取("结束角度") == 30
    assert g.获取("图标字典") is nxt and g.获取("初始图标字典") is first
    assert g.获取("来自状态列表") is False
    assert s.当前时间 == 3.0 and s.累计时长 == 3.0 and s.经过处理 is True
    assert list(s.历史动作键列表) == ["k_1", "k_2"]


def test_repeated_key_and_bad_loop_count(make_png):
    path = make_png(20, 10)
    s = sprite_for(record(path))
    s.塑造("k_1", record(path), 1)
    before = len(s.时间序列)
    with pytest.raises(ValueError, match="^历史动作键重复$"):
        s.塑造("k_1", record(path, 5), 1)
    assert len(s.时间序列) == before
    # A lone surrogate in a record still gives the message, not an encoding error.
    for bad in (2.0, True, "2", "\udc80"):
        rec = record(path, 模式="叠加", 循环次数=bad)
        with pytest.raises(TypeError) as e:
            s.塑造("k_9", rec, 1)
        assert str(e.value) == "错误的循环次数：" + str(rec)
        assert s.混合模式 == "叠加"


@pytest.mark.parametrize("edit, again_ok", [
    (lambda h: None, False),                   # untouched: the key was shaped
    (lambda h: h.remove("k_1"), True),          # the host forgot it
    (lambda h: h.clear(), True),
    (lambda h: h.__setitem__(0, "k_x"), True),  # replaced in place, same length
    (lambda h: h.append(7), False),             # a non-text item: 索引 answers
])
def test_repeated_key_follows_the_history_list_as_the_host_edits_it(make_png, edit, again_ok):
    path = make_png(20, 10)
    s = sprite_for(record(path))
    for i in range(1, 4):
        s.塑造(f"k_{i}", record(path, i), 1)
    edit(s.历史动作键列表)
    if again_ok:
        assert s.塑造("k_1", record(path, 9), 1) is True
    else:
        with pytest.raises(Exception, match="^历史动作键重复$"):
            s.塑造("k_1", record(path, 9), 1)
    s.历史动作键列表 = 列表(["k_2"])  # a replaced list
    with pytest.raises(Exception, match="^历史动作键重复$"):
        s.塑造("k_2", record(path), 1)
    assert s.塑造("k_3", record(path), 1) is True


def test_state_list_looped_twice(make_png):
    path = make_png(20, 10)
    own = record(path, 90, 0)
    states = 列表([record(path, 10, 0), record(path, 20, 0)])
    own.填写("状态列表", states)
    own.填写("循环次数", 2)
    s = sprite_for(record(path, 0, 0))
    s.塑造("k_1", own, 6)
    segs = list(s.时间序列)
    assert len(segs) == 6  # 2 × (2 + 1)
    assert [g.获取("时长") for g in segs] == [1.0] * 6
    assert [g.获取("开始时间") for g in segs] == [0, 1.0, 2.0, 3.0, 4.0, 5.0]
    # The first state is held still for one unit, then s1 → s2 → own → s1 …
    xs = [(g.获取("开始位置")[0], g.获取("结束位置")[0]) for g in segs]
    assert xs == [(10, 10), (10, 20), (20, 90), (90, 10), (10, 20), (20, 90)]
    assert all(g.获取("来自状态列表") is True for g in segs)


def test_file_switch_jumps(make_png):
    a, b = make_png(20, 10), make_png(20, 10)
    own = record(a, 0, 0)
    own.填写("状态列表", 列表([record(b, 50, 50)]))
    s = sprite_for(record(a, 0, 0))
    s.塑造("k_1", record(a, 0, 0), 1)
    s.塑造("k_2", own, 2)
    jump = s.时间序列.获取(1)
    assert jump.获取("开始位置") == jump.获取("结束位置") == (50, 50)
    assert jump.获取("文件") == b
    back = s.时间序列.获取(2)
    assert back.获取("开始位置") == back.获取("结束位置") == (0, 0) and back.获取("文件") == a


@pytest.mark.parametrize("where, shape", [
    ("3", lambda s, rec, good: s.塑造("k_2", rec, 1)),
    ("1", lambda s, rec, good: s.塑造("k_2", _with_states(good, rec), 1)),
    ("2", lambda s, rec, good: s.塑造("k_2", _with_states(rec, good), 1)),
])
def test_missing_file_stops_the_frame(make_png, tmp_path, capsys, where, shape):
    path = make_png(20, 10)
    s = sprite_for(record(path))
    s.塑造("k_1", record(path), 1)
    missing = record(str(tmp_path / "gone.png"))
    assert shape(s, missing, record(path, 5, 5)) is None
    out = capsys.readouterr().out
    assert f"图层源文件不存在或损坏{where}：" in out and "gone.png" in out
    assert list(s.历史动作键列表) == ["k_1"]


def _with_states(own, state):
    own = 字典(own)
    own.填写("状态列表", 列表([state]))
    return own


def test_zero_duration_and_empty_state_list(make_png):
    path = make_png(20, 10)
    s = sprite_for(record(path))
    assert s.塑造("k_1", record(path, 30, 0), 0) is True
    assert len(s.时间序列) == 0 and s.横坐标 == 30 and list(s.历史动作键列表) == ["k_1"]
    rec = record(path, 40, 0)
    rec.填写("状态列表", 列表())
    s.塑造("k_2", rec, 2)
    assert len(s.时间序列) == 1 and s.时间序列.获取(0).获取("来自状态列表") is False


def test_zero_loop_count_divides_by_zero(make_png):
    path = make_png(20, 10)
    rec = record(path, 循环次数=0)
    rec.填写("状态列表", 列表([record(path)]))
    with pytest.raises(ZeroDivisionError):
        sprite_for(record(path)).塑造("k_1", rec, 1)


def test_per_frame_entry(make_png):
    path = make_png(20, 10)
    s = sprite_for(record(path))
    other = record(path)
    other.填写("编号", 9)
    assert s.检测是否终结("k_1", 列表([other, record(path, 5)]), 1) is False
    assert s.横坐标 == 5
    assert s.检测是否终结("k_2", 列表([other]), 1) is True and s.终结 is True
    assert s.检测是否终结("k_3", None, 1) is True  # the list is not looked at


@pytest.mark.parametrize("length, recorded", [(0, 0), (0.0, 0), (-1, 1), (2, 1)])
def test_segment_record_lengths(length, recorded):
    s = animation.图层精灵(横坐标=1, 纵坐标=2)
    args = (3, 4, 5, 6, 7, None, 1, length, 0, 10, 10, None, 0, 1, "f", None, False)
    assert s.处理视频(*args) is None
    assert len(s.时间序列) == recorded
    if recorded:
        g = s.时间序列.获取(0)
        assert g.获取("时长") == length
        assert g.获取("开始位置") == (1, 2) and g.获取("开始origin_pos") == (1, 2)
        assert g.获取("结束origin_pos") == (3, 4)
        s.处理视频(*args)
        assert s.时间序列.获取(1) == g


# ----- corner geometry -------------------------------------------------------------


def test_calc_center():
    s = animation.图层精灵()
    assert s.calc_center(0, 0, 10, 0, 20, 100, 30, 50, 40) == (5.0, 10.0)
    assert s.calc_center(1, 0, 10, 0, 20, 100, 30, 50, 40) == (115.0, 70.0)
    assert s.calc_center(2, 0, 10, 0, 20, 100, 30, 50, 40) == (225.0, 130.0)


def test_calc_position_translates_and_turns():
    s = animation.图层精灵()
    x, y, pts = s.calc_position(10, 40, 20, 30, 0, 0, 1, 1, (100, 100))
    assert (x, y) == (80, 85) and type(x) is int
    assert len(pts) == 4 and all(isinstance(p, numpy.ndarray) for p in pts)
    assert numpy.allclose(pts[2], (120, 115))
    # A quarter turn: x, y are the top-left of the turned box's bounds.
    x, y, pts = s.calc_position(0, 40, 0, 10, 90, 0, 1, 1, (20, 5))
    assert (x, y) == (15, -15)
    x, y, _ = s.calc_position(0, 5.4, 0, 5.4, 0, 0, 1, 1, (0, 0))
    assert (x, y) == (-2, -2)  # −2.7 truncates toward zero
    with pytest.raises(ZeroDivisionError, match="开始比例为 0"):
        s.calc_position(0, 1, 0, 1, 0, 0, 1, 0, (0, 0))
    with pytest.raises((TypeError, ValueError)):
        s.calc_position(0, 1, 0, 1, 0, 0, 1, 1, (0, 0, 0))


def test_calc_position_goes_through_the_platform_rotation(monkeypatch):
    seen = []

    def rotate(v, deg):
        seen.append(deg)
        return numpy.array(v, dtype=float)

    monkeypatch.setattr(animation, "rotate_vector", rotate)
    s = animation.图层精灵()
    s.calc_position(0, 10, 0, 10, 30, 100, 2, 1, (0, 0))
    assert seen == [70] * 4  # start − current
    seen.clear()
    x, y, _ = s.calc_mother_and_son_position(0, 10, 0, 10, 30, 2, 1, (0, 0))
    assert seen == [30] * 4 and (x, y) == (-10, -10)

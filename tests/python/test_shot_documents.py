"""Shot documents as the `tazu` command reads them: what is refused and why,
and how a shot's frames reach its layer sprites."""
import json

import pytest

from tazu import cli
from tazu.cli import shots


def _png(path, size=(40, 30)):
    from PIL import Image

    Image.new("RGBA", size, (255, 0, 0, 255)).save(path)


def _doc(**top):
    doc = {"时长": 1.0, "宽度": 64, "高度": 48,
           "坐标字典": {"镜_起_1": [{"编号": 1, "文件": "a.png"}],
                     "镜_走_1": [{"编号": 1, "文件": "a.png", "横坐标": 20}]}}
    doc.update(top)
    return doc


def _write(tmp_path, content, name="shot.json"):
    p = tmp_path / name
    if isinstance(content, bytes):
        p.write_bytes(content)
    elif isinstance(content, str):
        p.write_text(content, encoding="utf-8")
    else:
        p.write_text(json.dumps(content, ensure_ascii=False), encoding="utf-8")
    return str(p)


@pytest.mark.parametrize("content, message", [
    ('{"时长": NaN, "坐标字典": {}}', '"时长": NaN is not a number'),
    ('{"坐标字典": {"a_b_1": [{"横坐标": 1, "纵坐标": -Infinity}]}}',
     '"坐标字典/a_b_1/0/纵坐标": -Infinity is not a number'),
    ('{"时长": Infinity, "坐标字典": {}}', "Infinity is not a number"),
    ('{"时长": -Infinity, "坐标字典": {}}', "-Infinity is not a number"),
    ('{"时长": 1E400, "坐标字典": {}}', "1E400 is too large"),
    ('{"x": ' + "9" * 5000 + "}", "not readable JSON"),
    ("[" * 100000 + "]" * 100000, "nested too deeply"),
    (b'{"\xe9": 1}', r"not UTF-8 text \(line 1\)"),
    (b"", r"not valid JSON \(line 1\)"),
    (json.dumps(_doc(时长=1e308)), '"时长" must be a positive number of seconds, at most 3600'),
    (json.dumps(_doc(时长=True)), '"时长" must be'),
    (json.dumps(_doc(宽度=0, 高度=0)), '"宽度" must be a whole number of pixels from 16 to 7680, not 0'),
    (json.dumps(_doc(高度=-48)), '"高度" must be'),
    (json.dumps(_doc(宽度="64")), '"宽度" must be'),
    (json.dumps(_doc(宽度=64.5)), '"宽度" must be'),
    (json.dumps(_doc(宽度=1e9)), '"宽度" must be'),
    (json.dumps(_doc(背景颜色="red")), '"背景颜色": a colour is a list of three whole numbers'),
    (json.dumps(_doc(背景颜色=[300, 0, 0])), "a colour is"),
    (json.dumps(_doc(背景颜色=[0, 0])), "a colour is"),
    (json.dumps(_doc(背景颜色=None)), "a colour is"),
])
def test_documents_that_cannot_be_meant_are_refused(tmp_path, content, message):
    with pytest.raises(cli.CommandError, match=message):
        cli.load_shot(_write(tmp_path, content))


def test_a_byte_order_mark_is_read_and_sizes_are_whole_numbers(tmp_path):
    p = _write(tmp_path, "\ufeff" + json.dumps(_doc(宽度=64.0, 背景颜色=[1, 2, 3, 4]), ensure_ascii=False))
    doc = cli.load_shot(p)
    assert doc["宽度"] == 64 and isinstance(doc["宽度"], int)
    assert doc["背景颜色"] == (1, 2, 3)
    # a size the document leaves out stays out: a build fills in its own
    assert "宽度" not in cli.load_shot(_write(tmp_path, {"坐标字典": {}}, "bare.json"))


def test_the_configuration_reader_takes_a_byte_order_mark_too(tmp_path):
    (tmp_path / "b").mkdir()
    (tmp_path / "c").mkdir()
    cfg = {"分镜文件夹": "b", "角色文件夹": "c", "声音文件夹": "s", "朗读音量": 100,
           "音色": "cmn", "音调": 50, "情感": "", "语速": 175}
    p = _write(tmp_path, "\ufeff" + json.dumps(cfg, ensure_ascii=False), "config.json")
    assert cli.load_config(p).朗读音量 == 100


@pytest.mark.parametrize("layer, message", [
    ({"文件": 123}, '"文件" must be the name of a media file, not 123'),
    ({"文件": ""}, '"文件" must be the name'),
    ({"文件": None}, '"文件" must be the name'),
    ({"文件": ["a.png"]}, '"文件" must be the name'),
    ({"文件": "a.png\0b"}, '"文件" holds a NUL character'),
    ({"文件": "x.mp4"}, r'"文件" is a folder, not a media file: .*x\.mp4'),
    ({"编号": [1]}, '"编号" must be a whole number or a text'),
    ({"编号": True}, '"编号" must be'),
    ({"横坐标": 1e308}, '"横坐标" must be at least -1e\\+06 and at most 1e\\+06, not 1e\\+308'),
    ({"纵坐标": int("9" * 400)}, '"纵坐标" must be at least'),
    ({"旋转角度": 1e308}, '"旋转角度" must be'),
    ({"横坐标": True}, '"横坐标" must be a number, not True'),
    ({"宽度": "x", "高度": 5}, '"宽度" must be a number'),
    ({"缩放比例": 0}, '"缩放比例" must be greater than 0 \\(a scale of 0 would show the picture at its full size'),
    ({"缩放比例": -1}, '"缩放比例" must be greater than 0 and at most 1000'),
    ({"缩放比例": 500}, '"缩放比例" 500 makes the picture 20000x15000 pixels'),
    ({"相对坐标": [1, 2], "大盘矩形": [0, 0, 9, 9], "原始缩放比例": 0}, '"原始缩放比例" must be greater than 0'),
    ({"循环次数": 0}, '"循环次数" must be a whole number from 1 to 10000, not 0'),
    ({"循环次数": -2}, '"循环次数" must be a whole number from 1 to 10000, not -2'),
    ({"循环次数": "2"}, "\"循环次数\" must be a whole number from 1 to 10000, not '2'"),
    ({"循环次数": 2.0}, '"循环次数" must be'),
    ({"循环次数": 10**9}, '"循环次数" must be'),
    ({"状态列表": "x"}, '"状态列表" must be a list of layer records'),
    ({"旋转中心": "abc"}, '"旋转中心" must be a list of 2 numbers'),
    ({"旋转中心": [1, 2, 3]}, '"旋转中心" must be a list of 2 numbers'),
    ({"相对坐标": [1]}, '"相对坐标" must be a list of 2 numbers'),
    ({"相对坐标": [1, 2], "大盘矩形": [1, 2]}, '"大盘矩形" must be a list of 4 numbers'),
    ({"大盘矩形": [0, 0, "9", 9]}, r'"大盘矩形\[2\]" must be a number'),
])
def test_bad_layer_values_are_refused_naming_frame_and_layer(tmp_path, layer, message):
    _png(tmp_path / "a.png")
    (tmp_path / "x.mp4").mkdir()
    raw = dict({"编号": 1, "文件": "a.png"}, **layer)
    with pytest.raises(cli.CommandError, match="^here: " + message):
        cli.complete_record(raw, str(tmp_path), "here")


def test_pairs_and_boxes_become_tuples_and_empty_pivot_stays(tmp_path):
    _png(tmp_path / "a.png")
    rec, _ = cli.complete_record({"编号": "甲", "文件": "a.png", "旋转中心": [3, 4], "相对坐标": [1, 2],
                                  "大盘矩形": [0, 0, 10, 20]}, str(tmp_path), "here")
    assert rec["旋转中心"] == (3, 4) and rec["相对坐标"] == (1, 2) and rec["大盘矩形"] == (0, 0, 10, 20)
    rec, _ = cli.complete_record({"编号": 1, "文件": "a.png"}, str(tmp_path), "here")
    assert rec["旋转中心"] == ""


def test_a_compact_record_takes_the_defaults_of_the_record_table(tmp_path):
    _png(tmp_path / "a.png")
    rec, states = cli.complete_record({"编号": 1, "文件": "a.png"}, str(tmp_path), "here")
    plain = {k: rec[k] for k in ("模式", "循环", "缩放比例", "旋转中心", "相对坐标", "原始缩放比例", "大盘矩形",
                                 "旋转角度", "锁", "循环次数", "大盘旋转角度", "大盘缩放比例", "别名", "info")}
    assert plain == {"模式": 0, "循环": True, "缩放比例": 1, "旋转中心": "", "相对坐标": None, "原始缩放比例": 1,
                     "大盘矩形": None, "旋转角度": 0, "锁": False, "循环次数": 1, "大盘旋转角度": 0,
                     "大盘缩放比例": 1, "别名": None, "info": None}
    assert rec["循环"] is True and rec["锁"] is False and type(rec["缩放比例"]) is int
    # a picture's own box, and no optional key the record did not hold
    assert (rec["横坐标"], rec["纵坐标"], rec["宽度"], rec["高度"]) == (0, 0, 40, 30)
    assert states is None and not {"文本", "缩放备份", "字体"} & rec.keys()
    # None stands for "no group" under the group's angle and scales, never under the layer's own
    rec, _ = cli.complete_record({"编号": 1, "文件": "a.png", "大盘旋转角度": None, "大盘缩放比例": None,
                                  "原始缩放比例": None}, str(tmp_path), "here")
    assert rec["大盘旋转角度"] is None
    with pytest.raises(cli.CommandError, match='"缩放比例" must be a number, not None'):
        cli.complete_record({"编号": 1, "文件": "a.png", "缩放比例": None}, str(tmp_path), "here")


@pytest.mark.parametrize("content", [b"", b"not a picture at all", None])
def test_unreadable_media_is_refused_naming_the_file(tmp_path, content):
    p = tmp_path / "bad.png"
    if content is None:
        _png(p)
        p.write_bytes(p.read_bytes()[:30])  # cut inside the header
    else:
        p.write_bytes(content)
    with pytest.raises(cli.CommandError, match=r"^here: .*bad\.png"):
        cli.complete_record({"编号": 1, "文件": "bad.png"}, str(tmp_path), "here")


def test_a_reader_error_without_the_file_name_gets_it(tmp_path, monkeypatch):
    _png(tmp_path / "a.png")
    monkeypatch.setattr(shots, "_media_size", lambda path: {}["codec"])
    with pytest.raises(cli.CommandError, match=r"^here: cannot read media file .*a\.png: 'codec'$"):
        cli.complete_record({"编号": 1, "文件": "a.png"}, str(tmp_path), "here")


def test_each_media_file_is_read_once_per_shot(tmp_path, monkeypatch):
    _png(tmp_path / "a.png")
    read = []
    real = shots._media_size
    monkeypatch.setattr(shots, "_media_size", lambda path: read.append(path) or real(path))
    sizes = {}
    for x in range(5):
        cli.complete_record({"编号": 1, "文件": "a.png", "横坐标": x}, str(tmp_path), "here", sizes)
    assert read == [str(tmp_path / "a.png")]


def _shot(tmp_path, frames, **top):
    _png(tmp_path / "a.png")
    return _write(tmp_path, dict({"时长": 1.0, "宽度": 64, "高度": 48, "坐标字典": frames}, **top))


def _layer(number, x=0, **more):
    return dict({"编号": number, "文件": "a.png", "横坐标": x}, **more)


@pytest.mark.parametrize("keys, message", [
    (("镜_起_0", "镜_走_0"), "every action frame has the time weight 0"),
    (("镜_走_0",), "every action frame has the time weight 0"),
    (("镜_起_1", "镜_走_-1"), r"frame 镜_走_-1: a time weight .* must be a number of 0 or more, not -1"),
    (("镜_起_1", "镜_走_nan"), "frame 镜_走_nan: a time weight"),
    (("镜_起_1", "镜_走_inf"), "frame 镜_走_inf: a time weight"),
    (("镜_起_1", "镜_走_1e308", "镜_停_1e308"), "add up to more than a number can hold"),
])
def test_weights_that_leave_no_time_or_no_order_are_refused(tmp_path, keys, message):
    p = _shot(tmp_path, {k: [_layer(1, i)] for i, k in enumerate(keys)})
    board = cli.make_board(64, 48, str(tmp_path / "temp"))
    with pytest.raises(cli.CommandError, match=message):
        cli.Shot(p, board)


def test_too_many_change_segments_are_refused_before_shaping(tmp_path, monkeypatch):
    monkeypatch.setattr(shots, "MAX_SEGMENTS", 50)
    states = [_layer(1, i) for i in range(9)]
    p = _shot(tmp_path, {"镜_起_1": [_layer(1)], "镜_走_1": [_layer(1, 5, 循环次数=5, 状态列表=states)]})
    board = cli.make_board(64, 48, str(tmp_path / "temp"))
    with pytest.raises(cli.CommandError, match="make 51 change segments, more than 50"):
        cli.Shot(p, board)


def test_layers_that_come_and_go_are_shaped_as_the_whole_frame_would_shape_them(tmp_path):
    frames = {
        "镜_一_1": [_layer(1, 0), _layer(2, 0)],
        "镜_二_1": [_layer(1, 10), _layer(1, 99)],  # 2 leaves; a second record of 1 is not its
        "镜_三_1": [_layer(3, 0), _layer(1, 20), _layer(2, 50)],  # 2 does not come back
    }
    p = _shot(tmp_path, frames, 时长=2.0)
    board = cli.make_board(64, 48, str(tmp_path / "temp"))
    shot = cli.Shot(p, board)
    one, two, three = shot.sprites
    assert [s.编号 for s in shot.sprites] == [1, 2, 3]
    assert list(one.历史动作键列表) == ["镜_一_1", "镜_二_1", "镜_三_1"]
    assert [g["结束位置"][0] for g in one.时间序列] == [10, 20]
    assert two.终结 is True and list(two.历史动作键列表) == ["镜_一_1"]
    assert list(three.历史动作键列表) == ["镜_三_1"] and three.精灵起始时间 == pytest.approx(1.0)

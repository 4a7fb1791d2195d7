import json
import os

import pytest

from tazu import cli


@pytest.mark.parametrize(
    "content, message",
    [
        ("{", r"not valid JSON \(line 1\)"),
        ("[]", "expected an object"),
        ('{"坐标字典": {}, "时长": 0}', "时长"),
        ('{"坐标字典": {}, "时长": "3"}', "时长"),
    ],
)
def test_bad_shot_documents_are_refused_with_the_reason(tmp_path, content, message):
    p = tmp_path / "shot.json"
    p.write_text(content, encoding="utf-8")
    with pytest.raises(cli.CommandError, match=message):
        cli.load_shot(str(p))


def test_missing_shot_file_names_its_path(tmp_path):
    with pytest.raises(cli.CommandError, match="shot file not found: .*nope.json"):
        cli.load_shot(str(tmp_path / "nope.json"))


def _png(path, size=(40, 20)):
    from PIL import Image

    Image.new("RGBA", size, (255, 0, 0, 255)).save(path)


def test_compact_record_gets_full_keys_and_box_of_turned_picture(tmp_path):
    _png(tmp_path / "a.png")
    rec, states = cli.complete_record(
        {"编号": 7, "文件": "a.png", "横坐标": 100, "纵坐标": 50, "旋转角度": 90,
         "状态列表": [{"编号": 7, "文件": "a.png"}]},
        str(tmp_path), "here")
    assert rec["文件"] == str(tmp_path / "a.png")
    # a 40x20 picture turned a quarter keeps its centre (120, 60) in a 20x40 box
    assert rec["宽度"] == pytest.approx(20) and rec["高度"] == pytest.approx(40)
    assert rec["横坐标"] == pytest.approx(110) and rec["纵坐标"] == pytest.approx(40)
    assert rec["origin_x"] == rec["横坐标"]
    assert rec["循环次数"] == 1 and rec["相对坐标"] is None
    assert states == [{"编号": 7, "文件": "a.png"}]


@pytest.mark.parametrize(
    "raw, message",
    [
        ({"文件": "a.png"}, '"编号"'),
        ({"编号": 1, "文件": "missing.png"}, "media file not found"),
        ({"编号": 1, "文件": "a.png", "横坐标": "12"}, '"横坐标" must be a number'),
        ([1, 2], "must be an object"),
    ],
)
def test_bad_layer_records_are_refused(tmp_path, raw, message):
    _png(tmp_path / "a.png")
    with pytest.raises(cli.CommandError, match=message):
        cli.complete_record(raw, str(tmp_path), "shot.json: frame k, layer 0")


def test_config_folders_are_relative_to_the_file_and_checked(tmp_path):
    (tmp_path / "boards").mkdir()
    (tmp_path / "people").mkdir()
    cfg = {"分镜文件夹": "boards", "角色文件夹": "people", "声音文件夹": "sounds", "朗读音量": 100,
           "音色": "cmn", "音调": 50, "情感": "", "语速": 1}
    p = tmp_path / "config.json"
    p.write_text(json.dumps(cfg, ensure_ascii=False), encoding="utf-8")
    c = cli.load_config(str(p))
    assert c.分镜文件夹 == str(tmp_path / "boards")
    assert c.声音文件夹 == str(tmp_path / "sounds")
    cfg["角色文件夹"] = "nowhere"
    p.write_text(json.dumps(cfg, ensure_ascii=False), encoding="utf-8")
    with pytest.raises(cli.CommandError, match="角色文件夹"):
        cli.load_config(str(p))


def test_main_reports_input_errors_without_traceback(tmp_path, capsys):
    assert cli.main(["render", str(tmp_path / "none.json"), "--out", str(tmp_path)]) == 2
    assert "tazu: shot file not found" in capsys.readouterr().err


def _red_columns(png):
    import numpy
    from PIL import Image

    with Image.open(png) as img:
        a = numpy.asarray(img.convert("RGB")).astype(int)
    red = (a[..., 0] > 200) & (a[..., 1] < 50) & (a[..., 2] < 50)
    cols = numpy.nonzero(red.any(axis=0))[0]
    rows = numpy.nonzero(red.any(axis=1))[0]
    return (cols.min(), cols.max(), rows.min(), rows.max()) if cols.size else None


def test_render_moves_a_layer_between_frames(tmp_path):
    _png(tmp_path / "a.png", (40, 20))
    shot = {
        "时长": 1.0, "宽度": 320, "高度": 240,
        "坐标字典": {
            "镜_起_1": [{"编号": 1, "文件": "a.png", "横坐标": 0, "纵坐标": 100}],
            "镜_走_1": [{"编号": 1, "文件": "a.png", "横坐标": 200, "纵坐标": 100}],
        },
    }
    p = tmp_path / "shot.json"
    p.write_text(json.dumps(shot, ensure_ascii=False), encoding="utf-8")
    out = tmp_path / "out"
    r = cli.render(str(p), str(out), fps=2, video=True, quiet=True)
    assert r["frames"] == 3
    assert os.path.getsize(r["video"]) > 0
    boxes = [_red_columns(out / "shot" / f"{i:04d}.png") for i in range(3)]
    # start, half way, end: the 40x20 picture slides 200 pixels to the right
    for box, left in zip(boxes, (0, 100, 200)):
        assert box is not None
        assert abs(box[0] - left) <= 1 and abs(box[1] - (left + 39)) <= 1
        assert box[2] == 100 and box[3] == 119
    assert not [n for n in os.listdir(out) if n.startswith(".tmp")]


def test_voice_finds_a_shot_number_written_as_text_in_csv(tmp_path):
    boards, people = tmp_path / "boards", tmp_path / "people"
    boards.mkdir()
    people.mkdir()
    (boards / "一.csv").write_text("序号,文案,角色,类型\n1,你好,,普通\n2,再见,,普通\n", encoding="utf-8")
    (people / "角色.txt").write_text('[{"角色": "甲", "别名": ""}]', encoding="utf-8")
    cfg = {"分镜文件夹": "boards", "角色文件夹": "people", "声音文件夹": "sounds",
           "朗读音量": 100, "音色": "cmn", "音调": 50, "情感": "平静", "语速": 175}
    p = tmp_path / "config.json"
    p.write_text(json.dumps(cfg, ensure_ascii=False), encoding="utf-8")
    assert cli.voice(str(p), "1") == ["1-你好.wav"]
    with pytest.raises(cli.CommandError, match="no shot numbered 7"):
        cli.voice(str(p), "7")

"""`tazu voice` on bad input: one clear line and a non-zero exit, or the work
done where the input can be meant; never a traceback."""
import json
import os

import pytest

from tazu import cli

CONFIG = {
    "分镜文件夹": "分镜", "角色文件夹": "角色", "声音文件夹": "声音", "朗读音量": 100,
    "音色": "cmn", "音调": 50, "情感": "平静", "语速": 1,
}
BOARD = [{"序号": 1, "文案": "你好", "角色": "小明"}, {"序号": 2, "文案": "再见"}]
PEOPLE = [{"角色": "小明", "音色": "cmn", "语速": 1.1}]


def dump(value):
    return json.dumps(value, ensure_ascii=False)


def without(key):
    return {k: v for k, v in CONFIG.items() if k != key}


# id: (files to write, relative to the project: text, bytes, or None for a
# folder; extra command-line arguments; expected: ("error", words the line
# holds) or ("ok", narration files made))
CASES = {
    "config missing": ({"config.json": None}, [], ("error", "config.json")),
    "config not JSON": ({"config.json": "{音色: cmn"}, [], ("error", "not valid JSON")),
    "config a list": ({"config.json": "[]"}, [], ("error", "JSON object")),
    "config nested too deep": ({"config.json": "[" * 100000}, [], ("error", "config.json")),
    "config with a BOM": ({"config.json": "\ufeff" + dump(CONFIG)}, [], ("ok", ["1-你好.wav", "2-再见.wav"])),
    "config not UTF-8": ({"config.json": b"\xff\xfe{}"}, [], ("error", "UTF-8")),
    "no 分镜文件夹": ({"config.json": dump(without("分镜文件夹"))}, [], ("error", "分镜文件夹")),
    "no 朗读音量": ({"config.json": dump(without("朗读音量"))}, [], ("error", "朗读音量")),
    "no 音色": ({"config.json": dump(without("音色"))}, [], ("error", "音色")),
    "no 语速": ({"config.json": dump(without("语速"))}, [], ("error", "语速")),
    "no 情感": ({"config.json": dump(without("情感"))}, [], ("error", "情感")),
    "folder a number": ({"config.json": dump({**CONFIG, "分镜文件夹": 5})}, [], ("error", "分镜文件夹")),
    "storyboards missing": ({"config.json": dump({**CONFIG, "分镜文件夹": "无"})}, [], ("error", "分镜文件夹")),
    "unknown voice": ({"config.json": dump({**CONFIG, "音色": "zz-nowhere"})}, [], ("error", "zz-nowhere")),
    "voice with a space": ({"config.json": dump({**CONFIG, "音色": "cmn -w /x"})}, [], ("error", "音色")),
    "speed a word": ({"config.json": dump({**CONFIG, "语速": "fast"})}, [], ("error", "语速")),
    "speed negative": ({"config.json": dump({**CONFIG, "语速": -3})}, [], ("error", "语速")),
    "speed NaN": ({"config.json": '{"语速": NaN, ' + dump(without("语速"))[1:]}, [], ("error", "语速")),
    "pitch a word": ({"config.json": dump({**CONFIG, "音调": "high"})}, [], ("error", "音调")),
    "volume a word": ({"config.json": dump({**CONFIG, "朗读音量": "loud"})}, [], ("error", "音量")),
    "pause a word": ({"config.json": dump({**CONFIG, "单个停顿符秒数": "long"})}, [], ("error", "单个停顿符秒数")),
    "pause negative": ({"config.json": dump({**CONFIG, "单个停顿符秒数": -1})}, [], ("error", "单个停顿符秒数")),
    "no 角色.txt": ({"角色/角色.txt": None, "角色/其他.txt": ""}, [], ("error", "角色.txt")),
    "角色.txt a folder": ({"角色/角色.txt": None, "角色/角色.txt/x": ""}, [], ("error", "角色.txt")),
    "角色.txt broken": ({"角色/角色.txt": '[{"角色": "小明",}'}, [], ("error", "角色.txt")),
    "character's unknown voice": ({"角色/角色.txt": dump([{"角色": "小明", "音色": "xx-yy"}])}, [],
                                  ("error", "xx-yy")),
    "character's speed a word": ({"角色/角色.txt": dump([{"角色": "小明", "语速": "快"}])}, [], ("error", "语速")),
    "storyboard broken JSON": ({"分镜/a.json": '[{"序号": 1, "文案": "你好"'}, [], ("error", "a.json")),
    "storyboard record a number": ({"分镜/a.json": "[1, 2]"}, [], ("error", "a.json")),
    "storyboard row too long": ({"分镜/a.csv": "序号,文案\n1,你好,多\n"}, [], ("error", "a.csv")),
    "storyboard binary": ({"分镜/a.json": bytes(range(256)) * 4}, [], ("error", "a.json")),
    "storyboard nested too deep": ({"分镜/a.json": "[" * 100000}, [], ("error", "a.json")),
    "storyboard without 文案": ({"分镜/a.csv": "序号,文本\n1,你好\n"}, [], ("error", "文案")),
    "storyboard without 序号": ({"分镜/a.json": dump([{"文案": "你好"}])}, [], ("error", "序号")),
    "storyboards empty": ({"分镜/a.json": "[]"}, [], ("error", "no shots")),
    "no storyboards": ({"分镜/a.json": None, "分镜/sub/x.json": dump(BOARD)}, [], ("error", "storyboard")),
    "stray sub-folder": ({"分镜/旧/a.json": dump(BOARD)}, [], ("ok", ["1-你好.wav", "2-再见.wav"])),
    "文案 a number": ({"分镜/a.json": dump([{"序号": 1, "文案": 2024}])}, [], ("ok", ["1-2024.wav"])),
    "文案 a list": ({"分镜/a.json": dump([{"序号": 1, "文案": ["你好"]}])}, [], ("error", "文案")),
    "文案 with a NUL": ({"分镜/a.json": dump([{"序号": 1, "文案": "你\u0000好"}])}, [], ("ok", ["1-你_好.wav"])),
    "文案 with a lone surrogate": ({"分镜/a.json": '[{"序号": 1, "文案": "你\\ud800好"}]'}, [], ("ok", ["1-你好.wav"])),
    "--sounds names a file": ({"f.txt": "x"}, ["--sounds", "f.txt"], ("error", "f.txt")),
    "声音文件夹 names a file": ({"声音": "x"}, [], ("error", "声音")),
    "--shot not there": ({}, ["--shot", "9"], ("error", "9")),
}


def project(root, files):
    """The example project with `files` written over it."""
    everything = {"config.json": dump(CONFIG), "分镜/a.json": dump(BOARD), "角色/角色.txt": dump(PEOPLE)}
    everything.update(files)
    for name, content in everything.items():
        path = root / name
        if content is None:
            continue
        path.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, bytes):
            path.write_bytes(content)
        else:
            path.write_text(content, encoding="utf-8")
    return root


@pytest.mark.parametrize("case", CASES)
def test_bad_input(tmp_path, monkeypatch, capsys, case):
    files, args, (outcome, detail) = CASES[case]
    monkeypatch.chdir(project(tmp_path, files))
    code = cli.main(["voice", "config.json", *args])
    out, err = capsys.readouterr()
    assert "Traceback" not in out + err
    if outcome == "error":
        assert code != 0
        assert len(err.splitlines()) == 1 and err.startswith("tazu: ")
        assert detail in err
    else:
        assert code == 0, err
        made = sorted(n for n in os.listdir("声音") if n.endswith(".wav"))
        assert made == detail


def test_shots_that_would_share_a_narration_are_reported(tmp_path, monkeypatch, capsys):
    monkeypatch.chdir(project(tmp_path, {
        "分镜/a.json": dump([{"序号": 1, "文案": "你好。"}, {"序号": 2, "文案": "同"}]),
        "分镜/b.json": dump([{"序号": 1, "文案": "你好！"}, {"序号": 2, "文案": "同"}, {"序号": 3, "文案": "三"}]),
    }))
    for _ in range(2):  # every run says so, and voices everything else
        assert cli.main(["voice", "config.json"]) == 2
        out, err = capsys.readouterr()
        assert err.splitlines() == [
            'tazu: b.json, shot 1: not voiced: its narration file "1-你好.wav" belongs to shot 1 of a.json,'
            " whose line or characters differ; give one of them another 序号",
            "tazu: 1 shot(s) not voiced: their narration file names are taken (see above)",
        ]
        assert sorted(n for n in os.listdir("声音") if n.endswith(".wav")) == ["1-你好.wav", "2-同.wav", "3-三.wav"]
    assert cli.main(["voice", "config.json", "--shot", "2"]) == 0


def test_names_made_safe_alike_are_one_narration_file(tmp_path, monkeypatch, capsys):
    # "a/b" and "a_b" both give "a_b-你好.wav"
    monkeypatch.chdir(project(tmp_path, {
        "分镜/a.json": dump([{"序号": "a/b", "文案": "你好。"}, {"序号": "a_b", "文案": "你好！"}]),
    }))
    assert cli.main(["voice", "config.json"]) == 2
    err = capsys.readouterr().err
    assert 'shot a_b: not voiced: its narration file "a_b-你好.wav" belongs to shot a/b' in err


def test_a_storyboard_with_only_silent_lines_says_so(tmp_path, monkeypatch, capsys):
    monkeypatch.chdir(project(tmp_path, {
        "分镜/a.json": dump([{"序号": 1, "文案": "（跑）", "类型": "静音"}, {"序号": 2, "类型": "静音"}]),
    }))
    assert cli.main(["voice", "config.json"]) == 0
    out, err = capsys.readouterr()
    assert err == "" and out.startswith("nothing to voice: all 2 shot(s)") and "静音" in out

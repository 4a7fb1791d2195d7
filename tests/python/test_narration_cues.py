"""Narration cue files, and the narration functions on odd input: text with
control characters or lone surrogates, numbers as text, sub-folders among the
storyboards, two shots that would share one narration file."""
import json
import os
import re
import types

import numpy as np
import pytest

from tazu import animation as A
from tazu.mix import 字典, 抓取音频


@pytest.fixture
def cfg(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "角色").mkdir()
    (tmp_path / "角色" / "角色.txt").write_text(
        json.dumps([{"角色": "小红", "音色": "cmn+f3"}], ensure_ascii=False), encoding="utf-8")
    return types.SimpleNamespace(
        角色文件夹="角色", 分镜文件夹="分镜", 声音文件夹="声音", 朗读音量=100,
        音色="cmn", 音调=50, 情感="", 语速=1, 单个停顿符秒数=0.5,
    )


def read_vtt(path):
    text = open(path, encoding="utf-8").read()
    assert text.startswith("WEBVTT\n\n")
    stamp = r"(\d\d):(\d\d):(\d\d)\.(\d\d\d)"
    cues = []
    for block in text[len("WEBVTT\n\n"):].strip("\n").split("\n\n"):
        timing, words = block.split("\n", 1)
        m = re.fullmatch(f"{stamp} --> {stamp}", timing)
        h1, m1, s1, ms1, h2, m2, s2, ms2 = map(int, m.groups())
        cues.append((h1 * 3600 + m1 * 60 + s1 + ms1 / 1000, h2 * 3600 + m2 * 60 + s2 + ms2 / 1000, words))
    return cues


def silences(samples, rate, shortest=0.15, level=1e-3):
    """(start, end) in seconds of every run of near-zero samples at least
    `shortest` long, the file's edges counted as silence."""
    quiet = np.concatenate([[True], np.abs(samples).max(axis=1) < level, [True]])
    edges = np.flatnonzero(np.diff(quiet.astype(np.int8)))
    # Sound runs from each falling edge to the next rising edge.
    starts, ends = edges[0::2], edges[1::2]
    runs, at = [], 0
    for s, e in zip(starts, ends):
        runs.append((at, s))
        at = e
    runs.append((at, len(samples)))
    return [(a / rate, b / rate) for a, b in runs if b - a >= shortest * rate or a == 0 or b == len(samples)]


@pytest.mark.parametrize(
    "line, shorten",
    [
        ("今天天气很好<s>我们出去走走<s><s>好吗", False),
        ("<s>开始了<s>结束了", False),  # the first clause fades in
        ("今天天气很好<s>我们出去走走", True),  # silence shortening changes the clause lengths
    ],
)
def test_cues_start_where_the_silence_before_them_ends(cfg, line, shorten):
    if shorten:
        cfg.是否静音缩短, cfg.静音缩短静音阈值, cfg.波形图 = True, -45, False
    A.朗读声音(cfg, line, "1-x", 字典({"序号": 1}))
    sound = 抓取音频("声音/1-x.wav")
    cues = read_vtt("声音/1-x.vtt")
    clauses = [p["text"] for p in A.detect_pauses_and_subclauses(line)
               if p["type"] == "subclause"]
    assert [c[2] for c in cues] == clauses
    quiet = silences(sound.样本(), sound.采样率)
    # Between two clauses the sound is silent for the pause and the speech
    # engine's own trailing and leading silence.
    assert len(quiet) == len(cues) + 1
    for (start, end, _), before, after in zip(cues, quiet, quiet[1:]):
        assert start == pytest.approx(before[1], abs=0.02)
        assert end == pytest.approx(after[0], abs=0.02)


def test_cues_without_samples_span_each_part(cfg, monkeypatch):
    class Clip:
        """An audio object of a platform that offers no samples."""

        def __init__(self, seconds):
            self.时长 = seconds

        def 淡出(self, length):
            pass

        def 保存(self, path):
            open(path, "wb").write(b"RIFF")

    lengths = iter([0.75, 1.25])
    monkeypatch.setattr(A, "朗读文本", lambda *args: Clip(next(lengths)))
    monkeypatch.setattr(A, "新建静音音频", lambda 时长: Clip(时长))
    monkeypatch.setattr(A, "合并音频", lambda clips: Clip(sum(c.时长 for c in clips)))
    A.朗读声音(cfg, "一<s><s>二", "2-x", 字典({"序号": 2}))
    assert read_vtt("声音/2-x.vtt") == [(0, 0.75, "一"), (1.75, 3.0, "二")]


def test_no_cue_file_without_its_narration(cfg, monkeypatch):
    join = A.合并音频

    class Unsaveable:
        def __init__(self, clip):
            self.clip = clip

        def __getattr__(self, name):
            return getattr(self.clip, name)

        def 保存(self, path):
            raise OSError(28, "No space left on device", path)

    monkeypatch.setattr(A, "合并音频", lambda clips: Unsaveable(join(clips)))
    with pytest.raises(OSError):
        A.朗读声音(cfg, "你<s>好", "3-x", 字典({"序号": 3}))
    assert os.listdir("声音") == ["原始"]
    # A cue file left by a run stopped before its narration is made again.
    open("声音/3-x.vtt", "w").write("WEBVTT\n\nstale")
    monkeypatch.setattr(A, "合并音频", join)
    A.朗读声音(cfg, "你<s>好", "3-x", 字典({"序号": 3}))
    assert [c[2] for c in read_vtt("声音/3-x.vtt")] == ["你", "好"]


def spoken_seconds(cfg, text, base):
    A.朗读声音(cfg, text, base, 字典({"序号": 0}))
    return 抓取音频(f"声音/{base}.wav").时长


@pytest.mark.parametrize(
    "line, heard",
    [
        ("今天\x00天气很好", "今天天气很好"),  # not cut at the NUL
        ("今天\x1b天气\x7f很好\x85", "今天天气很好"),
        ("今天\ud800天气很好", "今天天气很好"),  # a lone surrogate from a JSON escape
        ("今天\n天气很好", "今天 天气很好"),
    ],
)
def test_unspeakable_characters_are_left_out(cfg, line, heard):
    assert A.detect_pauses_and_subclauses(line) == [{"type": "subclause", "text": heard}]
    A.朗读声音(cfg, line, "4-" + line, 字典({"序号": 4}))
    (wav,) = [n for n in os.listdir("声音") if n.endswith(".wav")]
    assert read_vtt(f"声音/{wav[:-4]}.vtt")[0][2] == heard
    assert 抓取音频(f"声音/{wav}").时长 == pytest.approx(spoken_seconds(cfg, heard, "clean"), abs=0.05)


def test_numbers_as_text(cfg, capsys):
    A.朗读声音(cfg, 2024, "5-2024", 字典({"序号": 5}))
    assert read_vtt("声音/5-2024.vtt")[0][2] == "2024"
    with pytest.raises(TypeError, match="分镜6的文案必须是文字"):
        A.朗读声音(cfg, ["列表"], "6-x", 字典({"序号": 6}))
    with pytest.raises(TypeError, match="sentence must be str"):
        A.detect_pauses_and_subclauses(12)
    assert sorted(os.listdir("声音")) == ["5-2024.vtt", "5-2024.wav", "原始"]


def write_board(folder, name, records):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
        json.dump(records, f, ensure_ascii=False)


def test_sub_folders_are_skipped_with_a_note(cfg, capsys):
    write_board("分镜", "a.json", [{"序号": 1, "文案": "一"}])
    write_board("分镜/旧版", "b.json", [{"序号": 2, "文案": "二"}])
    write_board("分镜", "c.json", [{"序号": 3, "文案": "三"}])
    A.生成全部声音(cfg)
    assert sorted(n for n in os.listdir("声音") if n.endswith(".wav")) == ["1-一.wav", "3-三.wav"]
    assert f"跳过子文件夹（不是分镜文档）：{os.path.join('分镜', '旧版')}" in capsys.readouterr().out


@pytest.mark.parametrize("generate", ["all", "number"])
def test_two_shots_wanting_one_file_are_reported(cfg, capsys, generate):
    write_board("分镜", "第1集.json", [{"序号": 1, "文案": "你好。"}, {"序号": 2, "文案": "同"}])
    write_board("分镜", "第2集.json", [{"序号": 1, "文案": "你好！"}, {"序号": 2, "文案": "同"}])
    for _ in range(2):  # the report comes again on a rerun; the narration stays
        if generate == "all":
            A.生成全部声音(cfg)
        else:
            A.生成指定声音(cfg, 字典({"序号": 1}))
        out = capsys.readouterr().out
        assert ("分镜1（第2集.json）没有生成声音：声音文件“1-你好.wav”已属于第1集.json中的分镜1，"
                "两条分镜的文案或角色不同；请给其中一条换一个序号") in out
        assert out.count("没有生成声音") == 1  # the same line twice shares its narration
    assert read_vtt("声音/1-你好.vtt")[0][2] == "你好。"

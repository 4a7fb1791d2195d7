"""Narration: characters, clause speech and its cache, shot assembly, batches.
Everything speaks for real through espeak-ng (short lines)."""
import io
import json
import os
import types
import wave

import numpy as np
import pytest

from tazu import animation as A
from tazu.mix import 字典, 抓取音频


def write_json(path, records):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(json.dumps(records, ensure_ascii=False), encoding="utf-8")


CHARACTERS = [
    {"角色": "小明", "别名": "明明，阿明", "音色": "cmn", "语速": 1.1, "音调": "", "情感": "高兴"},
    {"角色": "小红", "别名": "", "音色": "cmn+f3"},
    {"角色": "老王"},
]


@pytest.fixture
def work(tmp_path, monkeypatch):
    """A project folder as the current directory, with a character file."""
    monkeypatch.chdir(tmp_path)
    write_json(tmp_path / "角色" / "角色.txt", CHARACTERS)
    (tmp_path / "声音").mkdir()
    return tmp_path


@pytest.fixture
def cfg(work):
    return types.SimpleNamespace(
        角色文件夹="角色", 分镜文件夹="分镜", 声音文件夹="声音", 朗读音量=100,
        音色="cmn", 音调=50, 情感="平静", 语速=1,
    )


@pytest.fixture
def calls(monkeypatch):
    """Counts what reaches the speech engine and the clause speaker."""
    seen = {"朗读": [], "朗读文本": []}
    speak, clause = A.朗读, A.朗读文本

    def counting_speak(*args, **kwargs):
        seen["朗读"].append((args, kwargs))
        return speak(*args, **kwargs)

    def counting_clause(*args):
        seen["朗读文本"].append(args)
        return clause(*args)

    monkeypatch.setattr(A, "朗读", counting_speak)
    monkeypatch.setattr(A, "朗读文本", counting_clause)
    return seen


def shot(**fields):
    return 字典(fields)


# ---- characters and names ------------------------------------------------------


def test_name_index_covers_aliases(cfg):
    names, infos = A.获取所有角色(cfg)
    assert list(names) == ["小明", "明明", "阿明", "小红", "老王"]
    assert [i.获取("角色") for i in infos] == ["小明", "小明", "小明", "小红", "老王"]


@pytest.mark.parametrize(
    "appearing, expected",
    [
        ("明明", "小明"),
        ("小红、路人", "小红"),
        ("小明，阿明", None),  # the same character twice counts twice
        ("小明 小红", None),
        ("", None),
        (None, None),
    ],
)
def test_protagonist(cfg, appearing, expected):
    record = A.获取分镜主角(cfg, shot(序号=1, 角色=appearing))
    assert (record.获取("角色") if record else None) == expected


@pytest.mark.parametrize(
    "fields, expected",
    [({"序号": 12, "文案": "你好，世界"}, "12-你好世界"), ({"序号": 3}, "3-"), ({"序号": "7a", "文案": "a b"}, "7a-ab")],
)
def test_media_base_name(fields, expected):
    assert A.获得媒体纯文件名(shot(**fields)) == expected


# ---- one clause ------------------------------------------------------------------


RAW = "声音/原始/5-测试_0_cmn_100_1_50_平静.wav"


def test_clause_is_cached_and_reused(cfg, calls):
    first = A.朗读文本(cfg, "你好", 0, "5-测试", "cmn", 1, 50, "平静")
    assert os.path.exists(RAW) and first.时长 > 0.3
    args, kwargs = calls["朗读"][0]
    assert args == ("你好",)
    assert kwargs == {"保存位置": RAW, "音色": "cmn", "音量": 100, "语速": 1, "音调": 50, "情感": "平静", "情感程度": 200}
    again = A.朗读文本(cfg, "你好", 0, "5-测试", "cmn", 1, 50, "平静")
    assert len(calls["朗读"]) == 1
    assert again.时长 == pytest.approx(first.时长)


def empty_wav():
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(22050)
    return buf.getvalue()


@pytest.mark.parametrize("content", [b"garbage", b"", empty_wav()])
def test_unusable_cache_file_is_replaced(cfg, calls, content, monkeypatch):
    os.makedirs("声音/原始")
    with open(RAW, "wb") as f:
        f.write(content)
    deleted = []
    delete = A.删除
    monkeypatch.setattr(A, "删除", lambda p: (deleted.append(p), delete(p))[1])
    clip = A.朗读文本(cfg, "你好", 0, "5-测试", "cmn", 1, 50, "平静")
    assert len(calls["朗读"]) == 1 and clip.时长 > 0.3
    assert 抓取音频(RAW).时长 > 0.3
    # A readable file of no length is overwritten in place, not deleted first.
    assert deleted == ([] if content == empty_wav() else [RAW])


@pytest.mark.parametrize(
    "volume, args, name",
    [
        (100, (0, "5-测试", 1, 50, "平静"), "5-测试_0_cmn_100_1_50_平静.wav"),
        (0.8, (0, "5-测试", 1.25, 50, "平静"), "5-测试_0_cmn_0-8_1-25_50_平静.wav"),
        (100, (2, "5-测试", 1, 1.5, "平静"), "5-测试_2_cmn_100_1_1-5_平静.wav"),
        (100, (0, "../../逃出", 1, 50, "a/../b"), ".._.._逃出_0_cmn_100_1_50_a_.._b.wav"),
    ],
)
def test_cache_names_stay_in_the_raw_folder(cfg, work, volume, args, name):
    cfg.朗读音量 = volume
    index, base, speed, pitch, emotion = args
    A.朗读文本(cfg, "好", index, base, "cmn", speed, pitch, emotion)
    assert os.listdir("声音/原始") == [name]
    assert sorted(os.listdir(work)) == ["声音", "角色"]


def test_switches_are_read_not_written(cfg, capsys):
    cfg.是否静音缩短 = False
    A.朗读文本(cfg, "你好", 0, "5-测试", "cmn", 1, 50, "平静")
    assert cfg.是否静音缩短 is False and not hasattr(cfg, "是否压缩限幅")
    out = capsys.readouterr().out
    assert "成功" not in out and "失败" not in out
    assert not os.path.exists("调音")


def test_stages_run_with_waveforms_and_defaults(cfg, capsys):
    cfg.是否静音缩短 = cfg.是否压缩限幅 = True
    cfg.静音缩短静音阈值 = -45
    cfg.波形图 = True
    plain = A.朗读文本(types.SimpleNamespace(**{k: v for k, v in vars(cfg).items() if not k.startswith("是否")}),
                   "你好<世界", 1, "5-测试", "cmn", 1, 50, "平静")
    cleaned = A.朗读文本(cfg, "你好<世界", 1, "5-测试", "cmn", 1, 50, "平静")
    assert capsys.readouterr().out.splitlines() == ["音频静音缩短成功！", "音频压缩限幅成功！", "音频压缩限幅成功！"]
    assert cfg.是否静音缩短 is True and cfg.是否压缩限幅 is True
    for stage in ["静音缩短", "压缩前", "压缩后", "增强前", "增强后"]:
        assert os.listdir(f"调音/{stage}") == ["5-测试_1.png"]
    # Compression at -40 dBFS, ratio 6, then +6 dB: a normal narration level,
    # peaks held under -1 dBFS and louder on average than the raw speech.
    assert -1.5 < cleaned.峰值 <= -1 + 1e-4
    assert cleaned._buf.rms_db() > plain._buf.rms_db() + 2
    assert cleaned.时长 <= plain.时长


def test_failing_stage_reports_and_continues(cfg, capsys):
    cfg.是否静音缩短 = True  # but no silence threshold configured
    cfg.是否压缩限幅 = True
    cfg.波形图 = False
    cfg.压缩阈值 = "很低"
    clip = A.朗读文本(cfg, "你好", 0, "5-测试", "cmn", 1, 50, "平静")
    assert capsys.readouterr().out.splitlines() == ["音频静音缩短失败！", "音频压缩限幅失败！", "音频压缩限幅成功！"]
    assert clip.时长 > 0.3


@pytest.mark.parametrize("index, faded_in", [(0, False), (1, True)])
def test_clause_fades(cfg, index, faded_in):
    cfg.句内静音淡入时间 = 0.2
    cfg.句内静音淡出时间 = 0.2
    clip = A.朗读文本(cfg, "你好", index, "5-测试", "cmn", 1, 50, "平静")
    raw = 抓取音频(f"声音/原始/5-测试_{index}_cmn_100_1_50_平静.wav").样本()[:, 0]
    x = clip.样本()[:, 0]
    n = int(0.2 * clip.采样率)
    if faded_in:
        assert x[0] == 0
        assert np.all(np.abs(x[:n]) <= np.abs(raw[:n]) * np.arange(n) / n + 1e-6)
    else:
        assert np.array_equal(x[:n], raw[:n])
    assert x[-1] == 0 and np.array_equal(x[n:-n], raw[n:-n])


# ---- one shot ----------------------------------------------------------------------


def longest_silence(samples, rate):
    quiet = np.abs(samples) < 1e-4
    best = run = 0
    for q in quiet:
        run = run + 1 if q else 0
        best = max(best, run)
    return best / rate


def test_shot_with_pauses(cfg, calls, capsys):
    cfg.单个停顿符秒数 = 0.4
    record = shot(序号=9, 文案="你好<s><s>世界", 角色="明明")
    A.朗读声音(cfg, "你好<s><s>世界", "9-你好s世界", record)
    assert capsys.readouterr().out.splitlines()[0] == "正在给分镜9合成声音"
    # Protagonist's voice, speed and emotion; the configuration's pitch.
    texts = [(c[1], c[2], c[4:]) for c in calls["朗读文本"]]
    assert texts == [("你好", 0, ("cmn", 1.1, 50, "高兴")), ("世界", 2, ("cmn", 1.1, 50, "高兴"))]
    out = 抓取音频("声音/9-你好s世界.wav")
    first = 抓取音频("声音/原始/9-你好s世界_0_cmn_100_1-1_50_高兴.wav")
    second = 抓取音频("声音/原始/9-你好s世界_2_cmn_100_1-1_50_高兴.wav")
    assert out.时长 == pytest.approx(first.时长 + 0.8 + second.时长, abs=2e-3)
    x = out.样本()[:, 0]
    assert longest_silence(x, out.采样率) >= 0.8
    assert abs(x[-1]) < 1e-4
    assert sorted(os.listdir("声音")) == ["9-你好s世界.vtt", "9-你好s世界.wav", "原始"]


def test_single_pause_uses_the_default_length_and_is_not_joined(cfg, calls, monkeypatch):
    monkeypatch.setattr(A, "合并音频", lambda clips: pytest.fail("one part needs no joining"))
    A.朗读声音(cfg, "<s><s><s>", "6-x", shot(序号=6))
    assert calls["朗读文本"] == []
    assert 抓取音频("声音/6-x.wav").时长 == pytest.approx(1.5, abs=1e-3)


def test_existing_narration_is_kept(cfg, calls, capsys):
    with open("声音/1-x.wav", "wb") as f:
        f.write(b"old")
    A.朗读声音(cfg, "你好", "1-x", shot(序号=1))
    assert calls["朗读文本"] == [] and capsys.readouterr().out == ""
    assert open("声音/1-x.wav", "rb").read() == b"old"


@pytest.mark.parametrize("line", [None, "", "   ", "<>"])
def test_lines_without_speech_write_nothing(cfg, capsys, line):
    A.朗读声音(cfg, line, "4-x", shot(序号=4))
    assert sorted(os.listdir("声音")) == []
    out = capsys.readouterr().out
    if line:
        assert out.splitlines() == ["正在给分镜4合成声音", "分镜4的文案没有可朗读的内容，未生成声音"]
    else:
        assert out == ""


def test_unsafe_base_name_stays_in_the_sound_folder(cfg, work):
    A.朗读声音(cfg, "好", "../../outside", shot(序号=1))
    assert sorted(os.listdir("声音")) == [".._.._outside.vtt", ".._.._outside.wav", "原始"]
    assert not (work.parent / "outside.wav").exists()


def test_long_line_fits_the_file_system(cfg, calls):
    line = "好" * 90  # the base name alone is over 255 bytes
    base = A.获得媒体纯文件名(shot(序号=1, 文案=line))
    A.朗读声音(cfg, line, base, shot(序号=1))
    (narration,) = [n for n in os.listdir("声音") if n.endswith(".wav")]
    assert narration.startswith("1-好好") and len(narration.encode()) <= 200
    assert os.path.exists(f"声音/{narration[:-4]}.vtt")
    assert 抓取音频(f"声音/{narration}").时长 > 3
    # The shortened name is found again, so the shot counts as done.
    calls["朗读文本"].clear()
    A.朗读声音(cfg, line, base, shot(序号=1))
    assert calls["朗读文本"] == [] and len(os.listdir("声音")) == 3


def test_failed_save_leaves_no_narration(cfg, monkeypatch):
    def broken_join(clips):
        raise RuntimeError("disk full")

    monkeypatch.setattr(A, "合并音频", broken_join)
    with pytest.raises(RuntimeError):
        A.朗读声音(cfg, "你<s>好", "2-x", shot(序号=2))
    assert os.listdir("声音") == ["原始"]


# ---- batches ---------------------------------------------------------------------------


def narrations():
    """Base names of the narrations in the sound folder; each has its cue file."""
    names = sorted(os.listdir("声音"))
    wavs = [n[:-4] for n in names if n.endswith(".wav")]
    assert sorted(n for n in names if n != "原始") == sorted([w + ".wav" for w in wavs] + [w + ".vtt" for w in wavs])
    return wavs


@pytest.fixture
def storyboards(work):
    write_json(work / "分镜" / "第1集.json", [
        {"序号": 1, "文案": "早上好", "角色": "小红"},
        {"序号": 2, "文案": "安静", "类型": "静音"},
        {"序号": 3},
    ])
    write_json(work / "分镜" / "第2集.json", [
        {"序号": 1, "文案": "晚上好<s>再见"},
        {"序号": 4, "文案": "走吧"},
    ])


def test_batch_resumes_after_interruption(cfg, storyboards, calls, monkeypatch):
    clause = A.朗读文本
    state = {"n": 0}

    def dies_on_third(*args):
        state["n"] += 1
        if state["n"] == 3:
            raise KeyboardInterrupt
        return clause(*args)

    monkeypatch.setattr(A, "朗读文本", dies_on_third)
    with pytest.raises(KeyboardInterrupt):
        A.生成全部声音(cfg)
    assert narrations() == ["1-早上好"]
    done = os.stat("声音/1-早上好.wav").st_mtime_ns

    monkeypatch.setattr(A, "朗读文本", clause)
    calls["朗读"].clear()
    A.生成全部声音(cfg)
    assert narrations() == ["1-早上好", "1-晚上好s再见", "4-走吧"]
    assert os.stat("声音/1-早上好.wav").st_mtime_ns == done
    # Only what was missing got spoken: the second clause of shot 1 and shot 4;
    # the first clause of the interrupted shot came from the cache.
    assert [c[0][0] for c in calls["朗读"]] == ["再见", "走吧"]

    calls["朗读"].clear()
    A.生成全部声音(cfg)
    assert calls["朗读"] == []


def test_batch_for_one_number(cfg, storyboards):
    A.生成指定声音(cfg, shot(序号=2))
    assert narrations() == ["2-安静"]  # silent shots are voiced by number
    A.生成指定声音(cfg, shot(序号=1))
    assert narrations() == ["1-早上好", "1-晚上好s再见", "2-安静"]


def test_empty_storyboard_folder(cfg, work):
    (work / "分镜").mkdir()
    A.生成全部声音(cfg)
    assert os.listdir("声音") == []

"""Audio objects and espeak-ng speech of the platform layer, with real speech."""
import os
import wave

import numpy as np
import pytest
from PIL import Image

from tazu.mix import audio as au
from tazu.mix import 合并音频, 抓取音频, 新建静音音频, 朗读


@pytest.fixture(scope="module")
def speech(tmp_path_factory):
    """A short real utterance, spoken once for the module."""
    path = tmp_path_factory.mktemp("speech") / "你好.wav"
    朗读("你好世界", 保存位置=str(path))
    return str(path)


def test_speech_file_is_usable_and_in_place(speech):
    clip = 抓取音频(speech)
    assert clip.采样率 == 22050 and clip.声道数 == 1
    assert 0.3 < clip.时长 < 5
    assert clip.峰值 > -20
    # Nothing but the finished file is left in the folder.
    assert os.listdir(os.path.dirname(speech)) == ["你好.wav"]


@pytest.mark.parametrize("content", [None, b"", b"RIFF....WAVEjunk", b"plain text"])
def test_missing_or_unreadable_files_raise(tmp_path, content):
    path = tmp_path / "bad.wav"
    if content is not None:
        path.write_bytes(content)
    with pytest.raises(OSError) as e:
        抓取音频(str(path))
    assert str(path) in str(e.value)


def test_a_cut_off_file_gives_the_part_before_the_cut(speech, tmp_path):
    whole = 抓取音频(speech)
    data = open(speech, "rb").read()
    path = tmp_path / "cut.wav"
    path.write_bytes(data[: len(data) // 2])
    part = 抓取音频(str(path))
    assert 0.4 * whole.时长 < part.时长 < 0.6 * whole.时长


def test_empty_wav_has_zero_length(tmp_path):
    path = tmp_path / "empty.wav"
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(16000)
    assert 抓取音频(str(path)).时长 == 0


def test_join_keeps_order_and_converts_formats(speech):
    voice = 抓取音频(speech)
    gap = 新建静音音频(时长=0.5, 采样率=44100, 声道数=2)
    joined = 合并音频([voice, gap, voice.复制()])
    assert (joined.采样率, joined.声道数) == (44100, 2)
    assert joined.时长 == pytest.approx(2 * voice.时长 + 0.5, abs=1e-3)
    samples = joined.样本()
    start = int(round(voice.时长 * 44100))
    assert not samples[start + 100 : start + 22000].any()  # the silence sits in the middle
    assert samples[:start].any()


@pytest.mark.parametrize("bad", [[], [1, 2]])
def test_join_rejects_bad_lists(bad):
    with pytest.raises((ValueError, TypeError)):
        合并音频(bad)


def test_fades_silence_the_edges(speech):
    clip = 抓取音频(speech)
    clip.信号增强(增益=20)  # make sure the edges would otherwise be audible
    clip.淡入(0.1).淡出(0.1)
    x = clip.样本()[:, 0]
    assert abs(x[0]) < 1e-6 and abs(x[-1]) < 1e-6
    assert np.abs(x[:22]).max() < 0.02  # first millisecond: almost nothing


def test_cleanup_chain_changes_level_and_length(speech):
    base = 抓取音频(speech)
    padded = 合并音频([base, 新建静音音频(时长=2.0), base.复制()])
    before = padded.时长
    padded.静音缩短(静音阈值=-45, 最短静音时长=100, 降噪阈值=-50)
    assert padded.时长 < before - 1.5
    peak, level = padded.峰值, loudness(padded)
    padded.压缩(阈值=-40, 比例=6, 启动时间=10, 释放时间=100)
    # The compressor evens the level out and keeps the peak: no quieter narration.
    assert padded.峰值 == pytest.approx(peak, abs=0.01)
    assert loudness(padded) > level - 5  # without make-up gain it fell by 13 dB
    padded.信号增强(增益=6)
    # The raise shows in the loudness; the peaks are held under -1 dBFS.
    assert -1.5 < padded.峰值 <= -1 + 1e-4
    assert loudness(padded) > level


def loudness(clip):
    """Mean level in dBFS of the 10 ms windows that hold sound."""
    x = clip.样本()[:, 0].astype(float)
    w = clip.采样率 // 100
    power = (x[: len(x) // w * w].reshape(-1, w) ** 2).mean(axis=1)
    return 10 * np.log10(power[power > 1e-5].mean())


@pytest.mark.parametrize("gain", [6, -6, 0])
def test_gain_is_exact_under_the_ceiling(speech, gain):
    clip = 抓取音频(speech)
    clip.信号增强(增益=-12)
    before = clip.样本()
    clip.信号增强(增益=gain)
    assert np.allclose(clip.样本(), before * 10 ** (gain / 20), rtol=1e-6, atol=0)


def test_gain_past_full_scale_is_limited_not_clipped(speech, tmp_path):
    # A quiet hum, then speech: +20 dB takes the speech past full scale.
    hum = 0.005 * np.sin(np.arange(11025) * 0.05, dtype=np.float32)
    clip = 合并音频([au.音频(au._audio.Buffer(hum, 22050)), 抓取音频(speech)])
    clip.信号增强(增益=20)
    assert clip.峰值 <= -1 + 1e-4
    clip.保存(str(tmp_path / "loud.wav"))
    x = 抓取音频(str(tmp_path / "loud.wav")).样本()[:, 0]
    # Nothing flattened at full scale, and the hum keeps its full +20 dB.
    assert np.abs(x).max() < 0.95
    assert np.allclose(x[:10000], hum[:10000] * 10, atol=1e-4)


@pytest.mark.parametrize(
    "call",
    [
        lambda c: c.压缩(比例=0.5),
        lambda c: c.淡入(-1),
        lambda c: c.信号增强(增益="loud"),
        lambda c: c.静音缩短(最短静音时长=-5),
        lambda c: c.波形图(尺寸=(0, 0)),
    ],
)
def test_bad_parameters_are_refused_and_change_nothing(speech, call):
    clip = 抓取音频(speech)
    before = clip.样本()
    with pytest.raises(ValueError):
        call(clip)
    assert np.array_equal(clip.样本(), before)


def test_save_and_waveform_create_folders(speech, tmp_path):
    clip = 抓取音频(speech)
    out = tmp_path / "a" / "b" / "out.wav"
    clip.保存(str(out))
    assert 抓取音频(str(out)).时长 == pytest.approx(clip.时长, abs=1e-4)
    png = tmp_path / "调音" / "压缩前" / "x_0.png"
    clip.波形图(尺寸=(15, 10), 路径=str(png))
    with Image.open(png) as im:
        assert im.size == (1500, 1000)
        # The waveform is drawn: the plot holds a fair amount of its colour.
        pixels = np.asarray(im.convert("RGB"))
        assert (np.abs(pixels.astype(int) - (38, 110, 190)).sum(axis=2) < 10).mean() > 0.01
    assert sorted(os.listdir(png.parent)) == ["x_0.png"]


@pytest.mark.parametrize(
    "kwargs, expected",
    [
        ({}, ["-v", "cmn", "-a", "100", "-s", "175", "-p", "50"]),
        ({"音量": 0.8, "语速": 1.25, "音调": 1.2}, ["-v", "cmn", "-a", "80", "-s", "219", "-p", "60"]),
        ({"音量": 150, "语速": 200, "音调": 70, "音色": "cmn+f3"}, ["-v", "cmn+f3", "-a", "150", "-s", "200", "-p", "70"]),
        ({"语速": "+20%", "音量": "", "音调": None}, ["-v", "cmn", "-a", "100", "-s", "210", "-p", "50"]),
        ({"语速": 1000, "音调": 500}, ["-v", "cmn", "-a", "100", "-s", "450", "-p", "99"]),
        ({"情感": "高兴", "情感程度": 100}, ["-v", "cmn", "-a", "100", "-s", "189", "-p", "58"]),
        ({"情感": "sad", "情感程度": 200}, ["-v", "cmn", "-a", "80", "-s", "133", "-p", "34"]),
        ({"情感": "无名情绪", "情感程度": 200}, ["-v", "cmn", "-a", "100", "-s", "175", "-p", "50"]),
    ],
)
def test_speech_options(kwargs, expected):
    args = au.espeak_arguments("字", "/tmp/x.wav", **kwargs)
    assert args[0] == "espeak-ng" and args[1:9] == expected
    assert args[-3:] == ["-w", "/tmp/x.wav", "--stdin"]


@pytest.mark.parametrize(
    "kwargs", [{"音量": "loud"}, {"语速": -1}, {"音色": "-x"}, {"音色": "a b"}, {"音色": "no-such-voice"}]
)
def test_bad_speech_options(kwargs):
    with pytest.raises(ValueError):
        au.espeak_arguments("字", "/tmp/x.wav", **kwargs)


def test_speech_into_a_long_path(tmp_path):
    # espeak-ng cuts long output paths; the file must still land where asked.
    out = tmp_path / ("文件夹" * 15) / ("声音" * 30 + ".wav")
    朗读("好", 保存位置=str(out))
    assert 抓取音频(str(out)).时长 > 0.1
    assert os.listdir(out.parent) == [out.name]


def test_text_is_never_taken_as_options_or_shell(tmp_path):
    # Leading dashes and shell syntax are just text on standard input.
    marker = tmp_path / "pwned"
    out = tmp_path / "t.wav"
    朗读(f"--help; touch {marker} $(touch {marker})", 保存位置=str(out))
    assert 抓取音频(str(out)).时长 > 0.5
    assert not marker.exists()


@pytest.mark.parametrize(
    "text, kwargs, error",
    [("", {}, ValueError), ("  ", {}, ValueError), ("你好", {"音色": "nosuchvoice"}, ValueError)],
)
def test_speech_failures_leave_nothing(tmp_path, text, kwargs, error):
    out = tmp_path / "x.wav"
    with pytest.raises(error):
        朗读(text, 保存位置=str(out), **kwargs)
    assert os.listdir(tmp_path) == []


def test_file_names_that_are_not_utf8_are_read_written_and_named(speech, tmp_path):
    odd = os.fsdecode(os.path.join(os.fsencode(str(tmp_path)), b"\xff\xfe-clip.wav"))
    抓取音频(speech).保存(odd)
    assert 抓取音频(odd).时长 > 0.3
    with open(odd, "r+b") as f:
        f.write(b"junk" * 20)
    with pytest.raises(OSError) as e:
        抓取音频(odd)
    assert odd in str(e.value)

"""Audio objects and speech for the platform layer.

Audio objects hold float PCM (mono or stereo, any sample rate) in the engine of
`tazu._audio` and change themselves in place. Units:

- levels and thresholds in dBFS (0 = full scale, speech peaks near -3); the
  compressor keeps a clip's peak level and a raise of level is limited at -1
  dBFS, so compression followed by 信号增强 gives narration at a normal level;
- DSP times (attack, release, minimum silence) in milliseconds;
- durations and fade lengths in seconds;
- waveform picture sizes in inches at 100 pixels per inch, (15, 10) = 1500 x 1000.

Speech goes through espeak-ng, started with an argument list (never a shell),
the text fed on standard input. See `朗读` for its voice, volume, speed and pitch.
"""
from __future__ import annotations

import os
import re
import shutil
import subprocess

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from .. import _audio
from .._common import 原子写入, 清理一次
from .._common import 数字 as _number

__all__ = ["音频", "抓取音频", "新建静音音频", "合并音频", "朗读", "朗读失败"]

# espeak-ng writes 22050 Hz mono; silences made at that rate join without resampling.
默认采样率 = 22050


class 音频:
    """An audio clip that its operations change in place (they return self)."""

    __slots__ = ("_buf", "来源")

    def __init__(self, buffer, 来源=None):
        self._buf = buffer
        self.来源 = 来源

    # ---- reading ---------------------------------------------------------
    @property
    def 时长(self) -> float:
        """Length in seconds."""
        return self._buf.seconds

    @property
    def 采样率(self) -> int:
        return self._buf.rate

    @property
    def 声道数(self) -> int:
        return self._buf.channels

    @property
    def 峰值(self) -> float:
        """Peak level in dBFS (-inf for digital silence)."""
        return self._buf.peak_db()

    def 样本(self) -> np.ndarray:
        """A copy of the samples, float32 of shape (frames, channels)."""
        return self._buf.samples()

    def 复制(self) -> "音频":
        return 音频(self._buf.copy(), self.来源)

    def __len__(self):
        return self._buf.frames

    def __repr__(self):
        return f"<音频 {self.时长:.3f} 秒, {self.采样率} Hz, {self.声道数} 声道>"

    # ---- in-place operations -------------------------------------------------
    def 静音缩短(self, 静音阈值=-40, 最短静音时长=100, 降噪阈值=-35):
        """Shorten every stretch quieter than 静音阈值 (dBFS, RMS over 10 ms) and
        longer than 最短静音时长 (ms) to that length. In the silences that remain,
        whatever is below 降噪阈值 (dBFS) is muted."""
        self._buf.shorten_silence(
            _number(静音阈值, "静音阈值"), _number(最短静音时长, "最短静音时长"), _number(降噪阈值, "降噪阈值")
        )
        return self

    def 压缩(self, 阈值=-20, 比例=4, 启动时间=10, 释放时间=100, 保持峰值=True):
        """Compress above 阈值 (dBFS) by 比例 (ratio : 1), with a level detector of
        启动时间 / 释放时间 (attack / release, ms). With 保持峰值 the clip is then
        brought back to its own peak level (automatic make-up gain): the loud
        parts stay where they were and the quiet ones come up, instead of the
        whole clip getting quieter."""
        self._buf.compress(
            _number(阈值, "阈值"), _number(比例, "比例"), _number(启动时间, "启动时间"), _number(释放时间, "释放时间"),
            bool(保持峰值),
        )
        return self

    def 信号增强(self, 增益=6, 上限=-1):
        """Raise the level by 增益 dB (negative lowers it). Peaks that a raise
        would push over 上限 (dBFS) are held there by a look-ahead limiter
        instead of being clipped when the clip is saved."""
        gain = _number(增益, "增益")
        ceiling = _number(上限, "上限")
        self._buf.gain(gain)
        if gain > 0:
            self._buf.limit(ceiling)
        return self

    def 淡入(self, 时长=0.1):
        """Linear fade-in over the first 时长 seconds."""
        self._buf.fade_in(_number(时长, "淡入时长"))
        return self

    def 淡出(self, 时长=0.1):
        """Linear fade-out over the last 时长 seconds; the last sample is silent."""
        self._buf.fade_out(_number(时长, "淡出时长"))
        return self

    def 转换(self, 采样率=None, 声道数=None):
        """Resample and/or change the channel count in place."""
        rate = self.采样率 if 采样率 is None else int(采样率)
        channels = self.声道数 if 声道数 is None else int(声道数)
        self._buf = self._buf.convert(rate, channels)
        return self

    # ---- output --------------------------------------------------------------
    def 保存(self, 路径, 格式="pcm16"):
        """Write a WAV file (16-bit by default; "pcm24" or "float" on request).
        The file appears complete or not at all; missing folders are created."""
        path = os.fspath(路径)
        folder = os.path.dirname(path)
        if folder:
            os.makedirs(folder, exist_ok=True)
        清理一次(folder)
        self._buf.write_wav(path, 格式)
        return self

    def 波形图(self, 尺寸=(15, 10), 路径=None, 颜色=(38, 110, 190)):
        """Draw the waveform as a PNG. 尺寸 is (width, height) in inches at
        100 pixels per inch. Returns the Pillow image; writes it when 路径 is given
        (missing folders are created)."""
        try:
            w_in, h_in = 尺寸
        except (TypeError, ValueError):
            raise ValueError(f"尺寸必须是 (宽, 高)，得到的是 {尺寸!r}") from None
        width = int(round(_number(w_in, "宽") * 100))
        height = int(round(_number(h_in, "高") * 100))
        if not (16 <= width <= 20000 and 16 <= height <= 20000):
            raise ValueError(f"波形图尺寸超出范围：{尺寸!r}")
        image = _draw_waveform(self, width, height, 颜色)
        if 路径 is not None:
            path = os.fspath(路径)
            folder = os.path.dirname(path)
            if folder:
                os.makedirs(folder, exist_ok=True)
            with 原子写入(path) as tmp:
                image.save(tmp, format="PNG")
        return image


def _draw_waveform(clip, width, height, colour):
    (left, top, plot_w, plot_h), levels, ticks, columns = clip._buf.waveform_plot(width, height)
    image = Image.new("RGB", (width, height), "white")
    draw = ImageDraw.Draw(image)
    font = ImageFont.load_default()
    # Level grid at ±1, ±0.5 and 0.
    for level, y in zip((1.0, 0.5, 0.0, -0.5, -1.0), levels):
        draw.line([(left, y), (left + plot_w, y)], fill=(225, 225, 225) if level else (180, 180, 180))
        draw.text((8, y - 6), f"{level:+.1f}" if level else " 0", fill=(90, 90, 90), font=font)
    for t, x in ticks:
        draw.line([(x, top), (x, top + plot_h)], fill=(235, 235, 235))
        draw.text((x - 10, top + plot_h + 8), f"{t:g}s", fill=(90, 90, 90), font=font)
    for x, (y_top, y_bottom) in enumerate(columns):
        draw.line([(left + x, y_top), (left + x, y_bottom)], fill=colour)
    draw.rectangle([left, top, left + plot_w, top + plot_h], outline=(120, 120, 120))
    return image


# ---- making audio objects ------------------------------------------------------


def 抓取音频(路径) -> 音频:
    """Load an audio file (WAV, FLAC, OGG… whatever libsndfile reads). Raises
    OSError when the file is missing or unreadable; an empty file gives 时长 0."""
    path = os.fspath(路径)
    if os.path.isdir(path):
        raise IsADirectoryError(f"这是文件夹，不是音频文件：{path}")
    if not os.path.isfile(path):
        raise FileNotFoundError(f"音频文件不存在：{path}")
    return 音频(_audio.read(path), path)


def 新建静音音频(时长=1.0, 采样率=默认采样率, 声道数=1) -> 音频:
    """Silence of 时长 seconds."""
    seconds = _number(时长, "时长")
    if seconds < 0:
        raise ValueError(f"静音时长不能为负数：{时长!r}")
    return 音频(_audio.silence(seconds, int(采样率), int(声道数)))


def 合并音频(音频列表) -> 音频:
    """Join audio objects end to end, in order, into a new object. Different rates
    or channel counts are converted to the highest rate and the most channels."""
    clips = list(音频列表)
    if not clips:
        raise ValueError("合并音频需要至少一段音频")
    for clip in clips:
        if not isinstance(clip, 音频):
            raise TypeError(f"只能合并音频对象，得到的是 {type(clip).__name__}")
    return 音频(_audio.join([c._buf for c in clips]))


# ---- speech --------------------------------------------------------------------


class 朗读失败(RuntimeError):
    """The speech engine could not speak the text."""


_ESPEAK = "espeak-ng"
默认音色 = "cmn"
_DEFAULT_AMPLITUDE = 100  # espeak-ng -a, 0..200
_DEFAULT_SPEED = 175  # espeak-ng -s, words per minute
_DEFAULT_PITCH = 50  # espeak-ng -p, 0..99

# Emotion: espeak-ng has none, so an emotion shifts pitch (steps of -p), speed
# and volume (factors). Values are for intensity 100; 情感程度 scales them.
_EMOTIONS = {
    "happy": (8, 1.08, 1.0),
    "excited": (12, 1.15, 1.1),
    "angry": (4, 1.10, 1.15),
    "sad": (-8, 0.88, 0.9),
    "fearful": (6, 1.12, 0.9),
    "calm": (-3, 0.95, 0.9),
    "serious": (-5, 0.95, 1.0),
    "neutral": (0, 1.0, 1.0),
}
_EMOTION_NAMES = {
    "高兴": "happy", "开心": "happy", "快乐": "happy", "欢快": "happy", "cheerful": "happy", "joy": "happy",
    "兴奋": "excited", "激动": "excited",
    "愤怒": "angry", "生气": "angry", "anger": "angry",
    "悲伤": "sad", "难过": "sad", "伤心": "sad", "sadness": "sad",
    "害怕": "fearful", "恐惧": "fearful", "fear": "fearful",
    "平静": "calm", "温柔": "calm", "gentle": "calm",
    "严肃": "serious",
    "中性": "neutral", "正常": "neutral", "默认": "neutral", "none": "neutral",
}


def _blank(value):
    return value is None or (isinstance(value, str) and not value.strip())


def _level(value, name, default, low, high):
    """A number for an espeak-ng option. Up to 10 it is a factor of the default
    (1 = normal, 0.8 = 80 %, 1.25 = 125 %); above 10 it is the option's own value.
    Text such as "+20%" or "-10%" changes the default by that share."""
    if _blank(value):
        return default
    if isinstance(value, str) and value.strip().endswith("%"):
        share = _number(value.strip()[:-1], name)
        return max(low, min(high, default * (1 + share / 100)))
    number = _number(value, name)
    if number < 0:
        raise ValueError(f"{name}不能为负数：{value!r}")
    result = default * number if number <= 10 else number
    return max(low, min(high, result))


def _emotion_shift(情感, 情感程度):
    if _blank(情感):
        return 0.0, 1.0, 1.0
    key = str(情感).strip().lower()
    key = _EMOTION_NAMES.get(key, key)
    pitch, speed, volume = _EMOTIONS.get(key, (0, 1.0, 1.0))
    strength = 1.0 if _blank(情感程度) else max(0.0, min(2.0, _number(情感程度, "情感程度") / 100))
    return pitch * strength, 1 + (speed - 1) * strength, 1 + (volume - 1) * strength


_known_voices = None


def _voice_names():
    """Names espeak-ng accepts before a "+variant": languages, voice names and
    voice files (lower case). Read once from `espeak-ng --voices`."""
    global _known_voices
    if _known_voices is None:
        names = set()
        try:
            listing = subprocess.run([_ESPEAK, "--voices"], capture_output=True, timeout=30).stdout
        except (OSError, subprocess.TimeoutExpired):
            listing = b""
        for line in listing.decode("utf-8", "replace").splitlines()[1:]:
            cols = line.split()
            if len(cols) < 5:
                continue
            names.update({cols[1], cols[3], cols[4], cols[4].rsplit("/", 1)[-1]})
            names.update(re.findall(r"\(([^ )]+)", line))
        _known_voices = {n.lower() for n in names}
    return _known_voices


def _check_voice(voice):
    known = _voice_names()
    if known and voice.split("+", 1)[0].lower() not in known:
        raise ValueError(f"espeak-ng 没有这个音色：{voice}（espeak-ng --voices 列出可用的音色）")


def espeak_arguments(文本, 保存位置, 音色=None, 音量=None, 语速=None, 音调=None, 情感=None, 情感程度=None):
    """The argument list `朗读` runs (the text itself goes to standard input);
    the WAV goes to 保存位置, or to standard output when it is None."""
    voice = 默认音色 if _blank(音色) else str(音色).strip()
    if voice.startswith("-") or any(c.isspace() for c in voice):
        raise ValueError(f"音色名称无效：{音色!r}")
    _check_voice(voice)
    amplitude = _level(音量, "音量", _DEFAULT_AMPLITUDE, 0, 200)
    speed = _level(语速, "语速", _DEFAULT_SPEED, 80, 450)
    pitch = _level(音调, "音调", _DEFAULT_PITCH, 0, 99)
    d_pitch, f_speed, f_volume = _emotion_shift(情感, 情感程度)
    amplitude = max(0, min(200, round(amplitude * f_volume)))
    speed = max(80, min(450, round(speed * f_speed)))
    pitch = max(0, min(99, round(pitch + d_pitch)))
    return [
        _ESPEAK, "-v", voice, "-a", str(amplitude), "-s", str(speed), "-p", str(pitch),
        *(["--stdout"] if 保存位置 is None else ["-w", os.fspath(保存位置)]), "--stdin",
    ]


def 朗读(文本, 保存位置=None, 音色=None, 音量=None, 语速=None, 音调=None, 情感=None, 情感程度=None, 超时=120):
    """Speak 文本 into a WAV file at 保存位置 with espeak-ng.

    - 音色: an espeak-ng voice name, Mandarin "cmn" by default; variants such as
      "cmn+f3" work, `espeak-ng --voices` lists them.
    - 音量: espeak-ng amplitude -a, 0..200, 100 normal.
    - 语速: words per minute -s, 80..450, 175 normal.
    - 音调: pitch -p, 0..99, 50 normal.
      For these three, a number up to 10 is a factor of the normal value
      (音量 0.8, 语速 1.25), and text like "+20%" changes the normal value by a share.
    - 情感: happy/高兴, excited/兴奋, angry/愤怒, sad/悲伤, fearful/害怕,
      calm/平静, serious/严肃 shift pitch, speed and volume; other names are
      spoken neutrally. 情感程度: strength in percent, 100 = as listed, up to 200.

    Control characters are left out of the text (a NUL would end espeak-ng's
    input), and so are lone surrogates; tabs and line breaks are spaces.
    The file is written under a temporary name and renamed, so it is complete or
    absent. Missing folders are created. Returns the path.
    """
    if 保存位置 is None:
        raise ValueError("朗读需要保存位置")
    # Control characters (a NUL ends espeak-ng's input) and lone surrogates (no
    # UTF-8 form) are not speech; tab and line breaks become a space.
    text = "" if 文本 is None else _audio.clean_text(str(文本))
    if not text.strip():
        raise ValueError("朗读的文本是空的")
    path = os.fspath(保存位置)
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    if shutil.which(_ESPEAK) is None:
        raise 朗读失败("找不到语音引擎 espeak-ng，请先安装（scripts/setup.sh 会安装它）")
    args = espeak_arguments(text, None, 音色, 音量, 语速, 音调, 情感, 情感程度)
    try:
        done = subprocess.run(args, input=text.encode("utf-8"), capture_output=True, timeout=超时)
    except subprocess.TimeoutExpired:
        raise 朗读失败(f"语音合成超时（{超时} 秒）：{text[:30]}") from None
    message = done.stderr.decode("utf-8", "replace").strip()
    # espeak-ng's WAV from a pipe, whose header cannot give the sizes yet
    wav = _audio.finish_piped_wav(done.stdout)
    if done.returncode != 0 or wav is None:
        raise 朗读失败(f"语音合成失败（音色 {args[2]}）：{message or '没有产生声音'}")
    # espeak-ng reports no failed write (a full disk leaves a short file that
    # looks whole), so it writes to a pipe and the file is written here.
    with 原子写入(path) as tmp, open(tmp, "wb") as f:
        f.write(wav)
    return path

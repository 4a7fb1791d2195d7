"""Playing the shot in the window: the layer player draws the document as the
command renders it, on the wall clock, with the narration (when the shot has
one) through pygame's mixer from the same moment.

The document on show is written, with absolute media paths, to a file in the
editor's temporary folder and read by the command line's `Shot`: the editor
plays exactly what `tazu render` draws, unsaved edits included.
"""
from __future__ import annotations

import json
import os
import time

import pygame

from .._common import 写入文本
from ._support import 输出


def 帧时间(键, 时长):
    """[(start, end)] of each frame in seconds, as the player lays them out."""
    from tazu import animation, mix

    weights, total = animation.计算时间权重(mix.列表(键))
    share = 时长 / total if total else 时长
    out, clock = [], 0.0
    for key in 键:
        length = weights.获取(key) * share
        out.append((clock, clock + length))
        clock += length
    return out


class 播放:
    """One playback of a document; `时刻` is the moment on show."""

    def __init__(self, 文档, 画布, 适配比例, 临时文件夹, 起点=0.0, 旁白=None, 帧率=25.0,
                 时钟=time.monotonic):
        from tazu.cli.shots import Shot

        from .board import 画板
        from .screen import 屏幕

        self.旁白 = 旁白
        self.帧率 = 帧率
        self._时钟 = 时钟
        path = os.path.join(临时文件夹, "播放", os.path.basename(文档.名称))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        写入文本(path, json.dumps(_绝对路径(文档), ensure_ascii=False))
        # A board of its own, drawing into the canvas only: the player's icons
        # are not the user's layers.
        screen = 屏幕(surface=画布, 适配比例=适配比例)
        self.画板 = 画板(screen, 临时文件夹=os.path.join(临时文件夹, "播放"))
        duration = 文档.时长
        if 旁白 is not None:
            # Timed as the episode build times it: the narration and its tail fit.
            duration = max(duration, 旁白.时长 + 旁白.留白)
        self.时长 = duration
        self.镜头 = Shot(path, self.画板, duration=duration)
        self.帧时间 = 帧时间(list(文档.帧.键), self.时长)
        self.时刻 = min(max(0.0, 起点), self.时长)
        self._起 = None  # clock reading at moment 0 while playing
        self._声音 = None

    @property
    def 播放中(self) -> bool:
        return self._起 is not None

    def 开始(self):
        if self.时刻 >= self.时长:
            self.时刻 = 0.0
        self._起 = self._时钟() - self.时刻
        self._放声音(self.时刻)

    def 停止(self):
        if self._起 is not None:
            self.时刻 = min(self._时钟() - self._起, self.时长)
        self._起 = None
        if self._声音 is not None:
            self._声音.stop()
            self._声音 = None

    def 推进(self) -> bool:
        """Move to the clock's moment; False once the shot has ended (and stopped)."""
        if self._起 is None:
            return False
        moment = self._时钟() - self._起
        if moment >= self.时长:
            self.时刻 = self.时长
            self.停止()
            return False
        self.时刻 = moment
        return True

    def 绘制(self):
        self.镜头.draw(self.画板.屏幕, self.时刻)

    def 所在帧(self, 时刻=None) -> int:
        """The frame whose stretch holds the moment; the starting pose at 0."""
        t = self.时刻 if 时刻 is None else 时刻
        index = 0
        for i, (start, end) in enumerate(self.帧时间):
            if end > start and start < t:
                index = i
        return index

    def 帧起点(self, 序号) -> float:
        return self.帧时间[序号][0] if 0 <= 序号 < len(self.帧时间) else 0.0

    def _放声音(self, 起点):
        if self.旁白 is None:
            return
        sound = self.旁白.声音(起点)
        if sound is not None:
            sound.play()
            self._声音 = sound


def _绝对路径(文档) -> dict:
    data = json.loads(json.dumps(文档.数据()))

    def fix(record):
        if isinstance(record, dict):
            path = record.get("文件")
            if isinstance(path, str) and path:
                record["文件"] = 文档.绝对路径(path)
            for state in record.get("状态列表") or []:
                fix(state)

    for key in 文档.帧.键:
        for record in data["坐标字典"][key]:
            fix(record)
    return data


class 旁白:
    """A shot's narration: its file, length, samples and the tail after it."""

    def __init__(self, 路径, 留白=0.5):
        from tazu import mix

        self.路径 = 路径
        self.留白 = 留白
        # Frame rate of the build that plays this narration, when one says.
        self.帧率 = None
        audio = mix.抓取音频(路径)
        self.时长 = float(audio.时长)
        self._音频 = audio
        self._混音 = None

    def 声音(self, 起点):
        """A pygame Sound of the narration from 起点 seconds on, or None without a mixer."""
        import numpy

        mixer = _混音器()
        if mixer is None:
            return None
        rate, _size, channels = mixer
        if self._混音 is None or self._混音[0] != mixer:
            audio = self._音频.复制().转换(采样率=rate, 声道数=channels)
            samples = numpy.clip(audio.样本(), -1.0, 1.0)
            self._混音 = (mixer, (samples * 32767).astype(numpy.int16))
        samples = self._混音[1][int(起点 * rate):]
        if not len(samples):
            return None
        return pygame.sndarray.make_sound(numpy.ascontiguousarray(samples.reshape(len(samples), -1)
                                                                  if channels > 1 else samples[:, 0]))

    def 波形(self):
        """(mono samples, rate) for the strip's bars."""
        import numpy

        samples = self._音频.样本()
        return numpy.abs(samples).max(axis=1) if samples.ndim > 1 else numpy.abs(samples), self._音频.采样率


def _混音器():
    if pygame.mixer.get_init() is None:
        try:
            pygame.mixer.init(frequency=44100, size=-16, channels=2)
        except pygame.error as e:
            输出(f"没有声音设备，静音播放（{e}）")
            return None
    return pygame.mixer.get_init()

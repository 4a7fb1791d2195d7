"""The editor plays the shot with its narration and renders it as the command does."""
import os
import shutil
import time
import wave

import numpy
import pygame
import pytest

from editor_support import example_shot


@pytest.fixture
def example(tmp_path):
    """A copy of the example (configuration, storyboard, shots) with its media,
    and a narration for line 2 as `tazu voice` would name it."""
    from tazu import animation, mix
    from tazu.examples import FOLDER

    for folder in ("storyboards", "characters"):
        shutil.copytree(os.path.join(FOLDER, folder), tmp_path / folder)
    shutil.copyfile(os.path.join(FOLDER, "config.json"), tmp_path / "config.json")
    shot = example_shot(str(tmp_path))
    for name in os.listdir(os.path.join(FOLDER, "shots")):
        shutil.copyfile(os.path.join(FOLDER, "shots", name), tmp_path / "shots" / name)
    record = mix.字典({"序号": 2, "文案": "清晨，小镇醒来了。<s>阳光洒在草地上。", "角色": "旁白", "类型": "普通"})
    wav = tmp_path / "sounds" / (str(animation.获得媒体纯文件名(record)) + ".wav")
    wav.parent.mkdir()
    rate = 22050
    t = numpy.arange(int(rate * 7.0)) / rate
    tone = (0.5 * numpy.sin(2 * numpy.pi * 440 * t) * (t < 3.5) * 32767).astype(numpy.int16)
    with wave.open(str(wav), "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(rate)
        f.writeframes(tone.tobytes())
    return tmp_path, shot, wav


def test_narration_found_timed_and_played(example, editor_of):
    folder, shot, wav = example
    d = editor_of(shot)
    ed = d.editor
    assert ed.旁白 is not None and ed.旁白.路径 == str(wav)
    assert ed.旁白.时长 == pytest.approx(7.0, abs=0.01)
    # the strip shows the narration's bars under the frames that have sound
    assert ed.画板.帧条[1].柱子信息 and max(ed.画板.帧条[1].柱子信息) > 0.4
    d.key(pygame.K_SPACE)
    # timed as the build times it: the narration and its half-second tail
    assert ed.播放.时长 == pytest.approx(7.5)
    assert ed.播放._声音.get_length() == pytest.approx(7.0, abs=0.05)
    d.key(pygame.K_SPACE)
    assert ed.播放._声音 is None
    ed.播放.时刻 = 5.0
    d.key(pygame.K_SPACE)
    # resumed at 5 s: the sound starts 5 s into the narration
    assert ed.播放._声音.get_length() == pytest.approx(2.0, abs=0.05)


def test_shot_without_a_line_has_no_narration(example, editor_of):
    folder, _, _ = example
    d = editor_of(str(folder / "shots" / "3-出发.json"))
    assert d.editor.旁白 is None
    d.key(pygame.K_SPACE)
    assert d.editor.播放.时长 == pytest.approx(3.0)


def test_render_from_the_toolbar_reports_progress(example, editor_of):
    folder, _, _ = example
    d = editor_of(str(folder / "shots" / "公园.json"))
    ed = d.editor
    ed.执行("渲染")
    assert ed.渲染任务 is not None
    seen = set()
    deadline = time.monotonic() + 240
    while ed.渲染任务 is not None and time.monotonic() < deadline:
        seen.add(ed.渲染任务.帧数)
        ed.一轮(等待=True)
    assert ed.渲染任务 is None
    video = folder / "shots" / "out" / "公园.mp4"
    assert ed.状态栏.当前消息() == f"已渲染：{video}"
    assert len(seen) > 2
    import av

    with av.open(str(video)) as container:
        frames = sum(1 for _ in container.decode(video=0))
    assert frames == 51

"""`tazu build` end to end: real speech, real encoding, decoded with PyAV."""
import json
import os
import random
import shutil
import signal
import subprocess
import sys
import time

import numpy
import pytest

from tazu import cli
from tazu.cli import episode
from tazu.cli.subtitles import read_vtt

av = pytest.importorskip("av")

SIZE, FPS = (320, 180), 10
K = SIZE[0] / 1280  # the example's shots are drawn at 1280 x 720


def make_example(folder, **changes):
    """A copy of the bundled example, small and quick to encode."""
    from tazu.examples import FOLDER
    from tazu.examples.make_media import make_media

    shutil.copytree(FOLDER, folder, ignore=shutil.ignore_patterns("__pycache__", "*.py"))
    make_media(str(folder / "media"))
    config = json.loads((folder / "config.json").read_text(encoding="utf-8"))
    config.update({"宽度": SIZE[0], "高度": SIZE[1], "帧率": FPS}, **changes)
    (folder / "config.json").write_text(json.dumps(config, ensure_ascii=False), encoding="utf-8")
    return folder / "config.json"


def decode(video):
    with av.open(str(video)) as c:
        frames = [f.to_ndarray(format="rgb24") for f in c.decode(video=0)]
    with av.open(str(video)) as c:
        samples = numpy.concatenate([f.to_ndarray().reshape(-1) for f in c.decode(audio=0)])
    with av.open(str(video)) as c:
        kinds = sorted(s.codec_context.name for s in c.streams)
    return frames, samples, kinds


def same(a, b):
    fa, sa, ka = a
    fb, sb, kb = b
    return ka == kb and len(fa) == len(fb) and all((x == y).all() for x, y in zip(fa, fb)) \
        and sa.shape == sb.shape and numpy.array_equal(sa, sb)


@pytest.fixture(scope="module")
def built(tmp_path_factory):
    root = tmp_path_factory.mktemp("episode")
    config = make_example(root / "example")
    out = root / "out"
    first = episode.build(str(config), str(out), quiet=True)
    return {"root": root, "config": config, "out": out, "first": first,
            "video": out / "第一集.mp4", "decoded": decode(out / "第一集.mp4")}


def test_episode_has_every_shot_the_sound_and_the_subtitles(built):
    frames, samples, kinds = built["decoded"]
    assert kinds == ["aac", "h264", "mov_text"]
    (ep,) = built["first"]["episodes"]
    assert built["first"]["rendered"] == 4 and built["first"]["voiced"] == 3
    with av.open(str(built["video"])) as c:
        v = c.streams.video[0]
        assert (v.width, v.height, v.codec_context.pix_fmt) == (*SIZE, "yuv420p")
        assert c.streams.audio[0].sample_rate == 48000
    # The episode lasts the sum of its shots, the sound track as long.
    seconds = len(frames) / FPS
    assert ep["seconds"] == pytest.approx(seconds)
    assert abs(len(samples) / 48000 - seconds) < 0.05
    # Speech is heard, and decodes without clipping.
    assert 0.3 < numpy.abs(samples).max() < 10 ** (-0.5 / 20)
    # A silent shot lasts its own 时长 (2 s); the narrated ones their narration and the tail.
    sounds = built["config"].parent / "sounds"
    assert seconds > 2 + 3 * 0.5
    # Cues: one per clause where the narration has a cue file, else one per narration.
    cues = read_vtt(str(built["out"] / "第一集.vtt"))
    expected = 0
    for line in json.loads((built["config"].parent / "storyboards" / "第一集.json").read_text("utf-8")):
        if line["类型"] == "静音":
            continue
        stem = next(n[:-4] for n in os.listdir(sounds) if n.startswith(f"{line['序号']}-") and n.endswith(".wav"))
        vtt = sounds / (stem + ".vtt")
        expected += len(read_vtt(str(vtt))) if vtt.exists() else 1
    assert len(cues) == expected
    assert "<s>" not in "".join(c.text for c in cues)
    srt = (built["out"] / "第一集.srt").read_text(encoding="utf-8")
    assert srt.count(" --> ") == len(cues)


def test_layers_show_their_colours_at_known_times(built):
    frames, _, _ = built["decoded"]
    # Line 1 has no shot document: a title card on the configured background.
    card = frames[2]
    assert card[5, 5].tolist() == pytest.approx([24, 28, 40], abs=4)
    assert (card[SIZE[1] // 2 - 10: SIZE[1] // 2 + 10].max(axis=2) > 200).any()  # its text
    # Line 2 starts where line 1 ends: the sun of the background and the
    # character's red shirt at (100, 420) + (80, 127) in the shot's pixels.
    start = next(k for k in range(len(frames)) if frames[k][5, 5, 2] > 150)
    first = frames[start]
    assert first[round(120 * K), round(1060 * K)].tolist() == pytest.approx([250, 220, 90], abs=14)
    assert first[round(547 * K), round(180 * K)].tolist() == pytest.approx([200, 40, 50], abs=20)


def test_second_build_renders_nothing_and_keeps_the_file(built):
    before = os.stat(built["video"]).st_mtime_ns
    again = episode.build(str(built["config"]), str(built["out"]), quiet=True)
    assert (again["rendered"], again["reused"], again["voiced"]) == (0, 4, 0)
    assert os.stat(built["video"]).st_mtime_ns == before


def test_editing_one_shot_renders_only_that_shot(built, tmp_path):
    folder = tmp_path / "example"
    shutil.copytree(built["config"].parent, folder)
    out = tmp_path / "out"
    shutil.copytree(built["out"] / "cache", out / "cache")
    shot = folder / "shots" / "公园.json"
    shot.write_text(shot.read_text("utf-8").replace('"时长": 2.0', '"时长": 2.5'), encoding="utf-8")
    r = episode.build(str(folder / "config.json"), str(out), quiet=True)
    assert (r["rendered"], r["reused"], r["voiced"]) == (1, 3, 0)
    frames, _, _ = decode(out / "第一集.mp4")
    assert len(frames) == len(built["decoded"][0]) + 5


def test_a_clip_spoilt_in_the_cache_is_made_again(built, tmp_path):
    out = tmp_path / "out"
    shutil.copytree(built["out"] / "cache", out / "cache")
    clips = sorted((out / "cache" / "clips").iterdir())
    clips[0].write_bytes(clips[0].read_bytes()[:3000])  # cut short behind the program's back
    r = episode.build(str(built["config"]), str(out), quiet=True)
    assert (r["rendered"], r["reused"]) == (1, 3)
    assert same(decode(out / "第一集.mp4"), built["decoded"])


def _onsets(samples, threshold=0.02, window=0.005):
    """Where sound starts after at least 0.15 s of quiet, in seconds."""
    n = int(48000 * window)
    loud = numpy.abs(samples[: len(samples) // n * n]).reshape(-1, n).max(axis=1) > threshold
    found, quiet = [], len(loud)  # the track starts after silence
    for k, is_loud in enumerate(loud):
        if is_loud and quiet * window >= 0.15:
            found.append(k * window)
        quiet = 0 if is_loud else quiet + 1
    return found


def test_cues_start_where_the_speech_does(built):
    _, samples, _ = built["decoded"]
    cues = read_vtt(str(built["out"] / "第一集.vtt"))
    sounds = built["config"].parent / "sounds"
    # Clause cues come from the narration's cue files; a narration without
    # one gets a cue spanning all of it, from the (short) lead-in on.
    tolerance = 0.02 if any(n.endswith(".vtt") for n in os.listdir(sounds)) else 0.08
    onsets = _onsets(samples)
    for cue in cues:
        nearest = min(onsets, key=lambda t: abs(t - cue.start))
        assert abs(nearest - cue.start) <= tolerance + 0.005, (cue, nearest)


def test_burned_subtitles_are_drawn_in_the_bottom_of_the_picture(built, tmp_path):
    out = tmp_path / "burned"
    shutil.copytree(built["out"] / "cache", out / "cache")
    r = episode.build(str(built["config"]), str(out), burn=True, quiet=True)
    assert (r["rendered"], r["reused"], r["voiced"]) == (3, 1, 0)  # the silent shot has no cues
    frames, _, kinds = decode(out / "第一集.mp4")
    assert kinds == ["aac", "h264"]  # no subtitle track: they are in the picture
    plain = built["decoded"][0]
    # A cue over a drawn shot: on a title card's dark ground the outline
    # does not stand out from the plain picture.
    cue = max(read_vtt(str(out / "第一集.vtt")),
              key=lambda c: plain[int((c.start + c.end) / 2 * FPS)][int(SIZE[1] * 0.6):].mean())
    k = int((cue.start + cue.end) / 2 * FPS)
    diff = numpy.abs(frames[k].astype(int) - plain[k]).max(axis=2) > 40
    rows = numpy.nonzero(diff.any(axis=1))[0]
    assert rows.size and rows.min() > SIZE[1] * 0.6 and rows.max() < SIZE[1] * 0.95 + 2
    assert (frames[k][diff].min(axis=1) > 200).any()  # white letters
    assert (frames[k][diff].max(axis=1) < 60).any()  # their dark outline


def _tazu(*args):
    return [sys.executable, "-m", "tazu.cli", *args]


def test_killed_build_run_again_gives_the_same_episode(built, tmp_path):
    config = make_example(tmp_path / "example")  # fresh: voicing is killed too
    out = tmp_path / "out"
    rng = random.Random(11)
    for _ in range(3):
        proc = subprocess.Popen(_tazu("build", str(config), "--out", str(out)),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.5, 6.0))
        proc.send_signal(signal.SIGKILL)
        proc.wait()
    done = subprocess.run(_tazu("build", str(config), "--out", str(out)), capture_output=True,
                          text=True, timeout=600)
    assert done.returncode == 0, done.stderr
    assert same(decode(out / "第一集.mp4"), built["decoded"])
    assert (out / "第一集.vtt").read_text("utf-8") == (built["out"] / "第一集.vtt").read_text("utf-8")
    leftovers = [n for n in os.listdir(out) + os.listdir(out / "cache" / "clips") if n.startswith(".")]
    assert leftovers == []


@pytest.mark.parametrize("how", ["jobs", "dask"])
def test_workers_and_a_dask_cluster_give_the_same_episode(built, tmp_path, how):
    out = tmp_path / "out"
    if how == "jobs":
        r = episode.build(str(built["config"]), str(out), jobs=2, quiet=True)
    else:
        distributed = pytest.importorskip("distributed")
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                      host="127.0.0.1", dashboard_address="127.0.0.1:0") as cluster:
            r = episode.build(str(built["config"]), str(out), cluster=cluster.scheduler_address,
                              quiet=True)
    assert r["rendered"] == 4
    assert same(decode(out / "第一集.mp4"), built["decoded"])


# ----- bad input: one line naming the file, no traceback --------------------------------------


def _break(folder, how):
    if how == "missing media":
        os.remove(folder / "media" / "人物.png")
        return "media file not found: .*人物.png"
    if how == "malformed shot":
        (folder / "shots" / "3-出发.json").write_text('{"时长": 3, "坐标字典": [', encoding="utf-8")
        return r"3-出发.json: not valid JSON"
    if how == "malformed config":
        (folder / "config.json").write_text('{"分镜文件夹": "storyboards",', encoding="utf-8")
        return r"config.json: not valid JSON"
    if how == "config without shots folder":
        c = json.loads((folder / "config.json").read_text("utf-8"))
        del c["镜头文件夹"]
        (folder / "config.json").write_text(json.dumps(c), encoding="utf-8")
        return "config.json: missing \"镜头文件夹\""
    if how == "bad frame rate":
        c = json.loads((folder / "config.json").read_text("utf-8"))
        c["帧率"] = 0
        (folder / "config.json").write_text(json.dumps(c), encoding="utf-8")
        return "\"帧率\" must be a number from 1 to 120"
    if how == "shot for no line":
        shutil.copy(folder / "shots" / "3-出发.json", folder / "shots" / "9-多余.json")
        return "9-多余.json: shot document for 序号 9, which no storyboard line has"
    if how == "two shots for one line":
        shutil.copy(folder / "shots" / "3-出发.json", folder / "shots" / "3.json")
        return "a second shot document for 序号 3"
    if how == "empty storyboard":
        (folder / "storyboards" / "第二集.json").write_text("[]", encoding="utf-8")
        return "第二集.json: the storyboard has no lines"
    raise AssertionError(how)


@pytest.mark.parametrize("how", ["missing media", "malformed shot", "malformed config",
                                 "config without shots folder", "bad frame rate",
                                 "shot for no line", "two shots for one line", "empty storyboard"])
def test_bad_input_is_one_clear_line(built, tmp_path, capsys, how):
    import re

    folder = tmp_path / "example"
    shutil.copytree(built["config"].parent, folder)
    pattern = _break(folder, how)
    assert cli.main(["build", str(folder / "config.json"), "--out", str(tmp_path / "out")]) == 2
    err = capsys.readouterr().err
    assert err.startswith("tazu: ") and err.count("\n") == 1, err
    assert re.search(pattern, err), err


def test_demo_writes_only_inside_its_output_folder(tmp_path, monkeypatch):
    """The example ships inside the package; the demo copies it out and makes its media there."""
    monkeypatch.chdir(tmp_path)
    out = tmp_path / "demo"
    # small and quick: the demo's own build with a smaller configuration
    main_module = sys.modules["tazu.cli.main"]

    real = episode.build

    def small(config, out_, **kw):
        c = json.loads(open(config, encoding="utf-8").read())
        c.update({"宽度": SIZE[0], "高度": SIZE[1], "帧率": FPS})
        with open(config, "w", encoding="utf-8") as f:
            json.dump(c, f, ensure_ascii=False)
        return real(config, out_, **kw)

    monkeypatch.setattr(episode, "build", small)
    before = set(os.listdir(tmp_path))
    main_module.demo(str(out))
    assert set(os.listdir(tmp_path)) - before == {"demo"}
    assert sorted(n for n in os.listdir(out) if not os.path.isdir(out / n)) == \
        ["第一集.mp4", "第一集.srt", "第一集.vtt"]
    assert sorted(os.listdir(out / "example" / "media")) == ["人物.png", "小球.mp4", "旋转.gif", "背景.png"]


def test_narrations_whose_file_names_the_module_made_safe_are_found(tmp_path):
    """A base name with "/" and one too long for a file name: their narrations
    are written under safe names, and the build finds them there."""
    for folder in ("storyboards", "characters", "shots"):
        (tmp_path / folder).mkdir()
    board = [{"序号": "1/2", "文案": "一半"}, {"序号": 2, "文案": "很长" * 34}]  # 2-… is over 200 bytes
    (tmp_path / "storyboards" / "长短.json").write_text(json.dumps(board, ensure_ascii=False), "utf-8")
    (tmp_path / "characters" / "角色.txt").write_text("[]", encoding="utf-8")
    config = {"分镜文件夹": "storyboards", "角色文件夹": "characters", "声音文件夹": "sounds",
              "镜头文件夹": "shots", "朗读音量": 100, "音色": "cmn", "音调": 50, "情感": "",
              "语速": 450, "宽度": SIZE[0], "高度": SIZE[1], "帧率": FPS, "无旁白镜头秒数": 0.5}
    (tmp_path / "config.json").write_text(json.dumps(config, ensure_ascii=False), encoding="utf-8")
    r = episode.build(str(tmp_path / "config.json"), str(tmp_path / "out"), quiet=True)
    names = sorted(os.listdir(tmp_path / "sounds"))
    assert "1_2-一半.wav" in names and any(n.startswith("2-很长") and "~" in n for n in names)
    # Each line lasts its narration (not the 0.5 s of a line without one), with its cues.
    (ep,) = r["episodes"]
    assert ep["seconds"] > 3
    cues = read_vtt(str(tmp_path / "out" / "长短.vtt"))
    assert [c.text for c in cues] == ["一半", "很长" * 34]

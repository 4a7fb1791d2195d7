import json
import os
import sys

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


def _mix_error(kind):
    from tazu import mix

    return {"document": lambda: mix.文档格式错误("/x/分镜.csv", 3, "缺少列"),
            "speech": lambda: mix.朗读失败("espeak-ng: no voice xx")}[kind]()


@pytest.mark.parametrize("error, status, message", [
    (lambda: cli.CommandError("shot.json: bad"), 2, "tazu: shot.json: bad"),
    (lambda: _mix_error("document"), 2, "tazu: /x/分镜.csv 第 3 行：缺少列"),
    (lambda: _mix_error("speech"), 2, "tazu: espeak-ng: no voice xx"),
    (lambda: OSError("无法读取图片：/m/a.png（cut）"), 2, "tazu: 无法读取图片：/m/a.png（cut）"),
    (lambda: FileNotFoundError("图片文件不存在：/m/a.png"), 2, "tazu: 图片文件不存在：/m/a.png"),
    (lambda: PermissionError(13, "Permission denied", "/out/v.mp4"), 1, "tazu: /out/v.mp4: Permission denied"),
    (lambda: OSError(28, "No space left on device"), 1, "tazu: [Errno 28] No space left on device"),
    (lambda: __import__("PIL.Image").Image.DecompressionBombError("图片太大：/m/b.png"), 2, "tazu: 图片太大：/m/b.png"),
])
@pytest.mark.parametrize("debug", [False, True])
def test_errors_of_the_input_and_the_system_are_one_line(monkeypatch, capsys, error, status, message, debug):
    def fail(*a, **k):
        raise error()

    monkeypatch.setattr(sys.modules["tazu.cli.main"], "render", fail)
    assert cli.main((["--debug"] if debug else []) + ["render", "shot.json"]) == status
    err = capsys.readouterr().err
    assert err.strip().splitlines()[-1] == message
    assert ("Traceback" in err) is debug


def test_a_fault_of_the_command_shows_its_traceback(monkeypatch, capsys):
    def fail(*a, **k):
        return {}["no such key"]

    monkeypatch.setattr(sys.modules["tazu.cli.main"], "render", fail)
    assert cli.main(["render", "shot.json"]) == 70
    err = capsys.readouterr().err
    assert "Traceback (most recent call last)" in err and "return {}[\"no such key\"]" in err
    assert "tazu: internal error (KeyError): 'no such key'" in err


@pytest.mark.parametrize("shot, message", [
    ({"时长": 1, "宽度": 0, "高度": 0, "坐标字典": {}}, '"宽度" must be a whole number of pixels'),
    ({"时长": 1, "坐标字典": {"镜_起_1": [{"编号": 1, "文件": "bad.png"}]}}, "layer 0: .*bad.png"),
    ({"时长": 1, "坐标字典": {"镜_起_1": [{"编号": 1, "文件": "dir.mp4"}]}}, "is a folder, not a media file"),
    ({"时长": 1, "坐标字典": {"镜_起_1": [{"编号": 1, "文件": "a.png"}],
                          "镜_走_1": [{"编号": 1, "文件": "a.png", "循环次数": 0,
                                       "状态列表": [{"编号": 1, "文件": "a.png"}]}]}}, '"循环次数" must be'),
])
def test_render_refuses_hostile_shots_in_one_line_and_writes_nothing(tmp_path, capsys, shot, message):
    import re

    _png(tmp_path / "a.png")
    (tmp_path / "bad.png").write_bytes(b"")
    (tmp_path / "dir.mp4").mkdir()
    p = tmp_path / "shot.json"
    p.write_text(json.dumps(shot, ensure_ascii=False), encoding="utf-8")
    out = tmp_path / "out"
    assert cli.main(["render", str(p), "--out", str(out)]) == 2
    err = capsys.readouterr().err
    assert len(err.strip().splitlines()) == 1 and re.search(message, err)
    assert not os.path.exists(out / "shot.mp4")


@pytest.mark.parametrize("fps", ["100000", "1e-9", "0", "nan", "inf"])
def test_frame_rates_no_video_can_have_are_refused(tmp_path, capsys, fps):
    assert cli.main(["render", str(tmp_path / "shot.json"), "--fps", fps]) == 2
    assert "frame rate must be between 0.1 and 240" in capsys.readouterr().err


def _red_columns(png):
    import numpy
    from PIL import Image

    with Image.open(png) as img:
        a = numpy.asarray(img.convert("RGB")).astype(int)
    red = (a[..., 0] > 200) & (a[..., 1] < 50) & (a[..., 2] < 50)
    cols = numpy.nonzero(red.any(axis=0))[0]
    rows = numpy.nonzero(red.any(axis=1))[0]
    return (cols.min(), cols.max(), rows.min(), rows.max()) if cols.size else None


def _moving_shot(tmp_path, seconds=1.0):
    _png(tmp_path / "a.png", (40, 20))
    shot = {
        "时长": seconds, "宽度": 320, "高度": 240,
        "坐标字典": {
            "镜_起_1": [{"编号": 1, "文件": "a.png", "横坐标": 0, "纵坐标": 100}],
            "镜_走_1": [{"编号": 1, "文件": "a.png", "横坐标": 200, "纵坐标": 100}],
        },
    }
    p = tmp_path / "shot.json"
    p.write_text(json.dumps(shot, ensure_ascii=False), encoding="utf-8")
    return p


def _decoded(video):
    import av

    with av.open(str(video)) as c:
        return [f.to_ndarray(format="rgb24") for f in c.decode(video=0)]


def test_render_moves_a_layer_between_frames(tmp_path):
    p = _moving_shot(tmp_path)
    out = tmp_path / "out"
    r = cli.render(str(p), str(out), fps=2, frames_dir=str(out / "frames"), quiet=True)
    assert r["frames"] == 3 and r["video"] == str(out / "shot.mp4")
    boxes = [_red_columns(out / "frames" / f"{i:04d}.png") for i in range(3)]
    # start, half way, end: the 40x20 picture slides 200 pixels to the right
    for box, left in zip(boxes, (0, 100, 200)):
        assert box is not None
        assert abs(box[0] - left) <= 1 and abs(box[1] - (left + 39)) <= 1
        assert box[2] == 100 and box[3] == 119
    # The video holds the same pictures, H.264 in MP4.
    import av

    with av.open(r["video"]) as c:
        assert c.streams.video[0].codec_context.name == "h264"
        assert c.streams.video[0].codec_context.pix_fmt == "yuv420p"
    frames = _decoded(r["video"])
    assert len(frames) == 3
    assert frames[1][110, 120].tolist() == pytest.approx([255, 0, 0], abs=12)
    assert frames[1][110, 90].tolist() == pytest.approx([0, 0, 0], abs=12)
    assert sorted(os.listdir(out)) == ["frames", "shot.mp4"]


def test_render_writes_no_frames_unless_asked(tmp_path):
    p = _moving_shot(tmp_path)
    cli.render(str(p), str(tmp_path / "out"), fps=2, quiet=True)
    assert os.listdir(tmp_path / "out") == ["shot.mp4"]


def test_a_shorter_render_replaces_the_frames_as_a_whole(tmp_path):
    p = _moving_shot(tmp_path, seconds=2.0)
    out, frames = tmp_path / "out", tmp_path / "out" / "frames"
    cli.render(str(p), str(out), fps=4, frames_dir=str(frames), quiet=True)
    assert len(os.listdir(frames)) == 9
    p.write_text(p.read_text(encoding="utf-8").replace('"时长": 2.0', '"时长": 1.0'), encoding="utf-8")
    cli.render(str(p), str(out), fps=4, frames_dir=str(frames), quiet=True)
    assert sorted(os.listdir(frames)) == [f"{i:04d}.png" for i in range(5)]
    assert len(_decoded(out / "shot.mp4")) == 5


def test_leftovers_of_killed_runs_are_cleaned(tmp_path):
    p = _moving_shot(tmp_path)
    out, frames = tmp_path / "out", tmp_path / "out" / "frames"
    frames.mkdir(parents=True)
    dead = 2 ** 22 + 17  # above any pid this machine hands out
    from tazu import _common

    host, machine = _common._OLD_HOST, _common._MACHINE
    leftovers = [out / ".tmp-shot.mp4", frames / "0003.png.tmp.png",
                 out / f".tazu-{host}-{dead}-0a1b2c3d-shot.mp4.part", out / f".tazu-{machine}-{dead}-1f.tmp"]
    for f in leftovers:
        f.write_bytes(b"half")
    (out / f".tazu-{machine}-{dead}-0a1b2c3d.tmp").mkdir()
    alive = out / f".tazu-{machine}-{os.getpid()}-0a1b2c3d.tmp"
    alive.write_bytes(b"in use")
    cli.render(str(p), str(out), fps=2, frames_dir=str(frames), quiet=True)
    assert sorted(os.listdir(out)) == sorted(["frames", "shot.mp4", alive.name])
    assert sorted(os.listdir(frames)) == ["0000.png", "0001.png", "0002.png"]


def _run_tazu(args, limit_bytes=None, **kw):
    import resource
    import signal
    import subprocess
    import sys

    def limit():
        if limit_bytes is not None:
            # writes past the limit fail with EFBIG, as on a full disk
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit_bytes, limit_bytes))

    return subprocess.run([sys.executable, "-m", "tazu.cli", *args], preexec_fn=limit,
                          capture_output=True, text=True, timeout=300, **kw)


def test_a_failed_write_is_an_error_and_keeps_the_previous_output(tmp_path):
    p = _moving_shot(tmp_path, seconds=2.0)
    out, frames = tmp_path / "out", tmp_path / "out" / "frames"
    done = _run_tazu(["render", str(p), "--out", str(out), "--fps", "4", "--frames", str(frames)])
    assert done.returncode == 0, done.stderr
    before = {n: (frames / n).read_bytes() for n in os.listdir(frames)}
    video = (out / "shot.mp4").read_bytes()
    p.write_text(p.read_text(encoding="utf-8").replace('"时长": 2.0', '"时长": 3.0'), encoding="utf-8")
    failed = _run_tazu(["render", str(p), "--out", str(out), "--fps", "4", "--frames", str(frames)],
                       limit_bytes=1500)
    assert failed.returncode == 1  # the system refused, not the input
    assert "Traceback" not in failed.stderr
    assert failed.stderr.startswith("tazu: cannot write ") and failed.stderr.count("\n") == 1
    assert {n: (frames / n).read_bytes() for n in os.listdir(frames)} == before
    assert (out / "shot.mp4").read_bytes() == video
    assert sorted(os.listdir(out)) == ["frames", "shot.mp4"]


def test_render_killed_at_any_moment_and_run_again_gives_the_same_video(tmp_path):
    import random
    import signal
    import subprocess
    import sys
    import time

    p = _moving_shot(tmp_path, seconds=4.0)
    args = [str(p), "--fps", "10"]
    whole = tmp_path / "whole"
    assert _run_tazu(["render", *args, "--out", str(whole), "--frames", str(whole / "f")]).returncode == 0
    expected = _decoded(whole / "shot.mp4")
    out = tmp_path / "out"
    rng = random.Random(7)
    for _ in range(3):
        proc = subprocess.Popen([sys.executable, "-m", "tazu.cli", "render", *args, "--out", str(out),
                                 "--frames", str(out / "f")],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.3, 2.5))
        proc.send_signal(signal.SIGKILL)
        proc.wait()
        if (out / "shot.mp4").exists():  # whatever stands under the finished name is whole
            assert len(_decoded(out / "shot.mp4")) == len(expected)
    assert _run_tazu(["render", *args, "--out", str(out), "--frames", str(out / "f")]).returncode == 0
    got = _decoded(out / "shot.mp4")
    assert len(got) == len(expected)
    assert all((a == b).all() for a, b in zip(got, expected))
    assert sorted(os.listdir(out)) == ["f", "shot.mp4"]
    assert sorted(os.listdir(out / "f")) == sorted(os.listdir(whole / "f"))


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


@pytest.mark.parametrize("debug", [False, True])
def test_edit_errors_end_as_the_commands_do(tmp_path, capsys, debug):
    import pygame

    bad = tmp_path / "bad.json"
    bad.write_text(json.dumps({"时长": 2, "坐标字典": {"a_1": [{"编号": 1, "文件": "nope.png"}]}}),
                   encoding="utf-8")
    try:
        assert cli.main(["--debug"] * debug + ["edit", str(bad), "--fit-ratio", "1"]) == 2
    finally:
        pygame.init()
        pygame.display.set_mode((800, 600))
    err = capsys.readouterr().err
    assert err.splitlines()[-1].startswith("tazu: ") and "media file not found" in err
    assert ("Traceback" in err) == debug and (len(err.splitlines()) == 1) != debug


def test_importing_the_command_changes_no_drivers_and_its_commands_run_headless(tmp_path):
    import subprocess
    import sys

    p = _moving_shot(tmp_path)
    env = {k: v for k, v in os.environ.items()
           if k not in ("SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "DISPLAY", "WAYLAND_DISPLAY")}
    code = ("import os, sys, tazu.cli\n"
            "assert 'SDL_VIDEODRIVER' not in os.environ, 'set on import'\n"
            "sys.exit(tazu.cli.main(['render', sys.argv[1], '--out', sys.argv[2], '--fps', '2']))\n")
    done = subprocess.run([sys.executable, "-c", code, str(p), str(tmp_path / "out")], env=env,
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    assert os.listdir(tmp_path / "out") == ["shot.mp4"]

"""What rendering and building episodes cost.

1. One shot of the bundled example (background, a moving, scaling, turning
   character with a state list, a GIF and a video layer) at 1280x720:
   drawing only, encoding only (the same frames through the same encoder
   settings), and the whole render (drawing with encoding beside it), in
   frames per second. The goal: the whole render takes at most 1.3 times the
   time of encoding alone.
2. A rebuild of the example episode with nothing changed, per shot (goal:
   at most 0.2 s).
3. `--jobs 2` against `--jobs 1` on an eight-shot storyboard: the whole build
   (voicing and rendering), and rendering alone with the narration kept.

Run: .venv/bin/python bench/bench_render.py [--quick]
"""
import json
import os
import shutil
import sys
import tempfile
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

from tazu.cli import episode  # noqa: E402
from tazu.cli.encode import EncoderSettings, VideoEncoder  # noqa: E402
from tazu.cli.render import _pixels, render  # noqa: E402
from tazu.cli.shots import Shot, make_board, start_offscreen  # noqa: E402
from tazu.examples import FOLDER  # noqa: E402
from tazu.examples.make_media import make_media  # noqa: E402

QUICK = "--quick" in sys.argv
WORK = tempfile.mkdtemp(prefix="tazu_bench_render_")


def example(name: str, **changes) -> str:
    folder = os.path.join(WORK, name)
    shutil.copytree(FOLDER, folder, ignore=shutil.ignore_patterns("__pycache__", "*.py"))
    make_media(os.path.join(WORK, "media"))
    os.symlink(os.path.join(WORK, "media"), os.path.join(folder, "media"))
    path = os.path.join(folder, "config.json")
    with open(path, encoding="utf-8") as f:
        config = json.load(f)
    config.update(changes)
    with open(path, "w", encoding="utf-8") as f:
        json.dump(config, f, ensure_ascii=False)
    return path


def best(fn, repeat=2):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t)
    return min(times)


def one_shot() -> None:
    config = example("shot")
    shot_path = os.path.join(os.path.dirname(config), "shots", "2-开场.json")
    settings = EncoderSettings(fps=25)
    start_offscreen()
    board = make_board(1280, 720, os.path.join(WORK, "board"))
    shot = Shot(shot_path, board)
    n = 60 if QUICK else int(shot.duration * 25) + 1
    moments = [min(i / 25, shot.duration) for i in range(n)]
    frames = []

    def draw():
        frames.clear()
        for m in moments:
            shot.draw(board.屏幕, m)
            frames.append(_pixels(board.屏幕.screen).copy())

    def encode():
        e = VideoEncoder(os.path.join(WORK, "encode.mp4"), 1280, 720, settings)
        for f in frames:
            e.write(f)
        e.close()

    def whole():
        render(shot_path, os.path.join(WORK, "render"), settings=settings, quiet=True)

    t_draw = best(draw)
    t_encode = best(encode)
    t_whole = best(whole)
    frames_whole = int(shot.duration * 25) + 1
    print(f"one shot at 1280x720, {settings.preset}, crf {settings.crf} ({n} frames; the render {frames_whole}):")
    print(f"  drawing only   {n / t_draw:7.1f} frames/s")
    print(f"  encoding only  {n / t_encode:7.1f} frames/s")
    print(f"  whole render   {frames_whole / t_whole:7.1f} frames/s")
    ratio = (t_whole / frames_whole) / (t_encode / n)
    print(f"  whole render / encoding alone: {ratio:.2f} (goal <= 1.3)")


def rebuild() -> None:
    config = example("rebuild", 宽度=640, 高度=360)
    out = os.path.join(WORK, "rebuild-out")
    episode.build(config, out, quiet=True)
    shots = 4
    t = best(lambda: episode.build(config, out, quiet=True), repeat=3)
    print(f"rebuild with nothing changed: {t:.3f} s for {shots} shots, {t / shots * 1000:.0f} ms a shot "
          "(goal <= 200 ms)")


def jobs() -> None:
    config = example("eight", 宽度=640, 高度=360)
    folder = os.path.dirname(config)
    lines = [{"序号": k, "类型": "普通", "角色": "旁白", "文案": f"第{k}个镜头。"} for k in range(1, 9)]
    with open(os.path.join(folder, "storyboards", "第一集.json"), "w", encoding="utf-8") as f:
        json.dump(lines, f, ensure_ascii=False)
    for name in os.listdir(os.path.join(folder, "shots")):
        os.remove(os.path.join(folder, "shots", name))
    for k in range(1, 9):
        src = ("2-开场.json", "3-出发.json", "公园.json")[k % 3]
        with open(os.path.join(FOLDER, "shots", src), encoding="utf-8") as f:
            doc = json.load(f)
        doc.pop("序号", None)
        doc["时长"] = 3.0 + k / 10  # eight different clips
        with open(os.path.join(folder, "shots", f"{k}.json"), "w", encoding="utf-8") as f:
            json.dump(doc, f, ensure_ascii=False)
    sounds = os.path.join(folder, "sounds")
    times = {}
    for n in (1, 2):
        shutil.rmtree(sounds, ignore_errors=True)
        out = os.path.join(WORK, f"jobs{n}")
        t = time.perf_counter()
        r = episode.build(config, out, jobs=n, quiet=True)
        whole = time.perf_counter() - t
        assert r["rendered"] == 8 and r["voiced"] == 8
        shutil.rmtree(out)
        t = time.perf_counter()
        episode.build(config, out, jobs=n, quiet=True)  # narration kept: rendering only
        times[n] = (whole, time.perf_counter() - t)
    print("eight shots at 640x360, voicing and rendering / rendering only:")
    for n in (1, 2):
        print(f"  --jobs {n}  {times[n][0]:5.1f} s / {times[n][1]:5.1f} s")
    print(f"  speed-up {times[1][0] / times[2][0]:.2f}x / {times[1][1] / times[2][1]:.2f}x "
          f"on {os.cpu_count()} cores")


if __name__ == "__main__":
    try:
        one_shot()
        rebuild()
        if not QUICK:
            jobs()
    finally:
        shutil.rmtree(WORK, ignore_errors=True)

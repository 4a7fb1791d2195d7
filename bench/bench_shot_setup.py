"""Cost of setting up a shot (reading the document, completing its records,
shaping every layer sprite) as its keyframes grow.

Two kinds of shot, each with N keyframes of one picture layer:
- frames: N action frames, the layer moving from frame to frame;
- states: two frames, the second holding N keyframe states in 状态列表.

Each size runs in a fresh process (so peak memory is its own) and reports CPU
seconds, microseconds per keyframe and peak resident memory. A linear setup
keeps the per-keyframe cost flat as N grows.

Run: .venv/bin/python bench/bench_shot_setup.py [--quick] [--sizes 10000,20000]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

CHILD = r"""
import os, resource, sys, time
os.environ["SDL_VIDEODRIVER"] = "dummy"
from tazu.cli.shots import Shot, make_board
board = make_board(64, 48, sys.argv[2])
started = time.process_time()
shot = Shot(sys.argv[1], board)
spent = time.process_time() - started
segments = sum(len(s.时间序列) for s in shot.sprites)
print(spent, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss, segments)
"""


def write_shot(folder: str, kind: str, n: int) -> str:
    if kind == "frames":
        coords = {f"镜_{i}_1": [{"编号": 1, "文件": "p.png", "横坐标": i % 500, "纵坐标": 10}]
                  for i in range(n)}
    else:
        states = [{"编号": 1, "文件": "p.png", "横坐标": i % 500} for i in range(n)]
        coords = {"镜_a_1": [{"编号": 1, "文件": "p.png"}],
                  "镜_b_1": [{"编号": 1, "文件": "p.png", "状态列表": states}]}
    path = os.path.join(folder, f"{kind}{n}.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"时长": 6, "宽度": 64, "高度": 48, "坐标字典": coords}, f, ensure_ascii=False)
    return path


def main() -> None:
    ap = argparse.ArgumentParser()
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--sizes", help="comma-separated keyframe counts")
    args = ap.parse_args()
    if args.sizes:
        sizes = [int(s) for s in args.sizes.split(",")]
    else:
        sizes = [2000, 8000] if args.quick else [10000, 20000, 40000, 100000]
    from PIL import Image

    folder = tempfile.mkdtemp(prefix="tazu_bench_setup_")
    Image.new("RGBA", (40, 30), (255, 0, 0, 255)).save(os.path.join(folder, "p.png"))
    print(f"{'shot':8} {'keyframes':>9} {'segments':>9} {'CPU s':>8} {'µs/keyframe':>12} {'peak MB':>8}")
    for kind in ("frames", "states"):
        first = None
        for n in sizes:
            path = write_shot(folder, kind, n)
            out = subprocess.run([sys.executable, "-c", CHILD, path, os.path.join(folder, "temp")],
                                 capture_output=True, text=True, check=True).stdout.split()
            spent, peak_kb, segments = float(out[-3]), int(out[-2]), int(out[-1])
            per = spent / n * 1e6
            first = first or per
            print(f"{kind:8} {n:9d} {segments:9d} {spent:8.2f} {per:12.1f} {peak_kb / 1024:8.0f}"
                  f"   x{per / first:.2f} per keyframe vs the smallest")
            os.remove(path)


if __name__ == "__main__":
    main()

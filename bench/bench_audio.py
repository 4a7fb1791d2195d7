"""Speed of the audio engine and of a narration batch that has nothing left to do.

1. Ten minutes of 24 kHz mono speech (real espeak-ng speech with pauses,
   repeated) go through each clean-up operation on its own and then through the
   whole chain as a clause gets it (silence shortening, compression, gain, fades).
   Figures are multiples of real time: seconds of audio per second of work.
2. A storyboard of 200 shots whose narration files already exist is run through
   the full batch; the figure is the time per shot (reading the character file,
   finding the protagonist and checking the file, as every run does).

Run: .venv/bin/python bench/bench_audio.py
"""
import json
import os
import shutil
import tempfile
import time
import types

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

from tazu import animation  # noqa: E402
from tazu.mix import 合并音频, 抓取音频, 新建静音音频, 朗读  # noqa: E402

MINUTES = 10
RATE = 24000


def ten_minutes(folder):
    lines = ["今天天气很好，我们一起去公园散步吧。", "他慢慢地走到窗前，看着外面的雨。", "这件事情说来话长。"]
    pieces = []
    for i, line in enumerate(lines):
        path = os.path.join(folder, f"line{i}.wav")
        朗读(line, 保存位置=path)
        clip = 抓取音频(path).转换(采样率=RATE)
        pieces += [clip, 新建静音音频(时长=0.6 + 0.4 * i, 采样率=RATE)]
    block = 合并音频(pieces)
    repeats = int(MINUTES * 60 / block.时长) + 1
    return 合并音频([block] * repeats)  # just over ten minutes; the real length is printed


def timed(clip, op, rounds=3):
    best = float("inf")
    for _ in range(rounds):
        work = clip.复制()
        start = time.perf_counter()
        op(work)
        best = min(best, time.perf_counter() - start)
    return best


def chain(c):
    c.静音缩短(静音阈值=-45, 最短静音时长=100, 降噪阈值=-35)
    c.压缩(阈值=-40, 比例=6, 启动时间=10, 释放时间=100)
    c.信号增强(增益=6)
    c.淡入(0.1)
    c.淡出(0.1)


def bench_dsp(folder):
    audio = ten_minutes(folder)
    seconds = audio.时长
    print(f"audio: {seconds / 60:.1f} min, {audio.采样率} Hz, {audio.声道数} channel(s)")
    ops = {
        "静音缩短 (silence shortening)": lambda c: c.静音缩短(静音阈值=-45, 最短静音时长=100, 降噪阈值=-35),
        "压缩 (compressor)": lambda c: c.压缩(阈值=-40, 比例=6, 启动时间=10, 释放时间=100),
        "信号增强 (gain, limited at -1 dBFS)": lambda c: c.信号增强(增益=6),
        "淡入+淡出 (fades 0.1 s)": lambda c: (c.淡入(0.1), c.淡出(0.1)),
        "合并音频 (join with a 22.05 kHz clip)": lambda c: 合并音频([c, 新建静音音频(时长=1.0)]),
        "保存 (16-bit WAV)": lambda c: c.保存(os.path.join(folder, "out.wav")),
        "抓取音频 (read WAV)": lambda c: 抓取音频(os.path.join(folder, "out.wav")),
        "波形图 (1500x1000 PNG)": lambda c: c.波形图(路径=os.path.join(folder, "w.png")),
        "clean-up chain": chain,
    }
    audio.保存(os.path.join(folder, "out.wav"))
    print(f"{'operation':42s} {'seconds':>9s} {'x real time':>12s}")
    for name, op in ops.items():
        t = timed(audio, op)
        print(f"{name:42s} {t:9.4f} {seconds / t:12.0f}")


def bench_batch(folder, shots=200):
    os.makedirs(os.path.join(folder, "角色"))
    os.makedirs(os.path.join(folder, "分镜"))
    os.makedirs(os.path.join(folder, "声音"))
    characters = [{"角色": f"角色{i}", "别名": f"别名{i}甲，别名{i}乙", "音色": "cmn"} for i in range(20)]
    with open(os.path.join(folder, "角色", "角色.txt"), "w", encoding="utf-8") as f:
        json.dump(characters, f, ensure_ascii=False)
    records = [{"序号": i, "文案": f"第{i}个镜头<s>说一句话", "角色": f"角色{i % 20}"} for i in range(shots)]
    with open(os.path.join(folder, "分镜", "分镜.json"), "w", encoding="utf-8") as f:
        json.dump(records, f, ensure_ascii=False)
    cfg = types.SimpleNamespace(
        角色文件夹=os.path.join(folder, "角色"), 分镜文件夹=os.path.join(folder, "分镜"),
        声音文件夹=os.path.join(folder, "声音"), 朗读音量=100, 音色="cmn", 音调=50, 情感="", 语速=1,
    )
    sample = 新建静音音频(时长=0.5)
    for r in records:
        sample.保存(os.path.join(cfg.声音文件夹, animation.获得媒体纯文件名(animation.字典(r)) + ".wav"))
    best = float("inf")
    for _ in range(3):
        start = time.perf_counter()
        animation.生成全部声音(cfg)
        best = min(best, time.perf_counter() - start)
    print(f"batch of {shots} shots already narrated: {best * 1000:.1f} ms, {best / shots * 1e6:.0f} µs per shot")


def main():
    folder = tempfile.mkdtemp(prefix="tazu_bench_audio_")
    try:
        bench_dsp(folder)
        bench_batch(os.path.join(folder, "batch"))
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()

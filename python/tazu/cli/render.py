"""`tazu render`: a shot document to frames and a video."""
from __future__ import annotations

import math
import os
import time

from tazu.cli.errors import CommandError
from tazu.cli.shots import Shot, load_shot, make_board

def render(shot_path: str, out: str, fps: float, video: bool, quiet: bool = False) -> dict:
    import cv2
    import numpy
    import pygame

    if fps <= 0:
        raise CommandError("--fps must be positive")
    doc = load_shot(shot_path)
    width, height = int(doc.get("宽度", 1280)), int(doc.get("高度", 720))
    name = os.path.splitext(os.path.basename(shot_path))[0]
    frames_dir = os.path.join(out, name)
    os.makedirs(frames_dir, exist_ok=True)
    board = make_board(width, height, os.path.join(out, ".tazu-temp"))
    shot = Shot(shot_path, board)
    screen = board.屏幕
    count = int(math.floor(shot.duration * fps + 1e-9)) + 1
    writer = None
    video_path = os.path.join(out, name + ".mp4")
    if video:
        tmp_video = os.path.join(out, ".tmp-" + name + ".mp4")
        writer = cv2.VideoWriter(tmp_video, cv2.VideoWriter_fourcc(*"mp4v"), fps, (width, height))
        if not writer.isOpened():
            raise CommandError(f"cannot write video {video_path}")
    started = time.perf_counter()
    for i in range(count):
        moment = min(i / fps, shot.duration)
        shot.draw(screen, moment)
        surface = screen.screen
        png = os.path.join(frames_dir, f"{i:04d}.png")
        pygame.image.save(surface, png + ".tmp.png")
        os.replace(png + ".tmp.png", png)
        if writer is not None:
            rgb = numpy.ascontiguousarray(pygame.surfarray.pixels3d(surface).swapaxes(0, 1))
            writer.write(cv2.cvtColor(rgb, cv2.COLOR_RGB2BGR))
    elapsed = time.perf_counter() - started
    if writer is not None:
        writer.release()
        os.replace(tmp_video, video_path)
    result = {"shot": shot_path, "frames": count, "folder": frames_dir,
              "video": video_path if video else None, "seconds": elapsed}
    if not quiet:
        print(f"rendered {count} frames of {shot_path} in {elapsed:.2f} s -> {frames_dir}"
              + (f", {video_path}" if video else ""))
    return result


def contact_sheet(frames_dir: str, out_png: str, columns: int = 4, picks: int = 8) -> None:
    """A few frames side by side, to look at a shot at a glance."""
    from PIL import Image

    files = sorted(f for f in os.listdir(frames_dir) if f.endswith(".png"))
    if not files:
        return
    step = max(1, (len(files) - 1) // (picks - 1)) if picks > 1 else 1
    chosen = files[::step][:picks]
    if files[-1] not in chosen:
        chosen[-1] = files[-1]
    thumbs = []
    for f in chosen:
        with Image.open(os.path.join(frames_dir, f)) as img:
            thumbs.append(img.convert("RGB").resize((img.width // 4, img.height // 4)))
    w, h = thumbs[0].size
    rows = (len(thumbs) + columns - 1) // columns
    sheet = Image.new("RGB", (w * columns, h * rows), (255, 255, 255))
    for k, t in enumerate(thumbs):
        sheet.paste(t, ((k % columns) * w, (k // columns) * h))
    sheet.save(out_png)



"""Makes the example media: a background, a character picture, an animated GIF
and a short video. Everything is drawn here, so the example needs no download."""
from __future__ import annotations

import math
import os
import sys

import cv2
import numpy
from PIL import Image, ImageDraw

from tazu.cli import files

W, H = 1280, 720


def background(path: str, fmt: str = "PNG") -> None:
    y = numpy.linspace(0.0, 1.0, H)[:, None]
    x = numpy.linspace(0.0, 1.0, W)[None, :]
    rgb = numpy.zeros((H, W, 3), numpy.uint8)
    rgb[..., 0] = (40 + 60 * y + 0 * x).astype(numpy.uint8)
    rgb[..., 1] = (90 + 80 * y).astype(numpy.uint8)
    rgb[..., 2] = (160 + 60 * (1 - y)).astype(numpy.uint8)
    img = Image.fromarray(rgb, "RGB")
    d = ImageDraw.Draw(img)
    d.rectangle([0, int(H * 0.72), W, H], fill=(70, 130, 60))
    d.ellipse([1000, 60, 1120, 180], fill=(250, 220, 90))
    img.save(path, format=fmt)


def character(path: str, fmt: str = "PNG") -> None:
    img = Image.new("RGBA", (160, 240), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse([45, 10, 115, 80], fill=(250, 210, 170, 255), outline=(60, 40, 30, 255), width=3)
    d.ellipse([62, 35, 72, 45], fill=(30, 30, 30, 255))
    d.ellipse([88, 35, 98, 45], fill=(30, 30, 30, 255))
    d.rectangle([50, 85, 110, 170], fill=(200, 40, 50, 255))
    d.rectangle([52, 170, 75, 235], fill=(40, 50, 120, 255))
    d.rectangle([85, 170, 108, 235], fill=(40, 50, 120, 255))
    d.line([50, 95, 15, 150], fill=(250, 210, 170, 255), width=12)
    d.line([110, 95, 145, 150], fill=(250, 210, 170, 255), width=12)
    img.save(path, format=fmt)


def spinner_gif(path: str, fmt: str = "GIF", frames: int = 12) -> None:
    pictures = []
    for k in range(frames):
        img = Image.new("RGBA", (120, 120), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        a = 2 * math.pi * k / frames
        for j in range(6):
            b = a + j * math.pi / 3
            x, y = 60 + 40 * math.cos(b), 60 + 40 * math.sin(b)
            shade = int(255 * j / 6)
            d.ellipse([x - 10, y - 10, x + 10, y + 10], fill=(shade, 80, 255 - shade, 255))
        pictures.append(img)
    # transparent background, so the spinner turns without a box around it
    pictures[0].save(path, format=fmt, save_all=True, append_images=pictures[1:], duration=80, loop=0,
                     disposal=2)


def ball_video(path: str, seconds: float = 6.4, fps: int = 25) -> None:
    from tazu.cli.encode import EncoderSettings, VideoEncoder

    w, h = 320, 180
    out = VideoEncoder(path, w, h, EncoderSettings(fps=fps, crf=18))
    n = int(seconds * fps)
    for i in range(n):
        frame = numpy.full((h, w, 3), (30, 30, 30), numpy.uint8)
        x = int(20 + (w - 40) * i / max(1, n - 1))
        y = int(h / 2 + 50 * math.sin(i / 4))
        cv2.circle(frame, (x, y), 18, (0, 200, 255), -1)
        cv2.putText(frame, f"{i:02d}", (8, 24), cv2.FONT_HERSHEY_SIMPLEX, 0.7, (255, 255, 255), 2)
        out.write(cv2.cvtColor(frame, cv2.COLOR_BGR2RGB))
    out.close()


MEDIA = {
    "背景.png": background,
    "人物.png": character,
    "旋转.gif": spinner_gif,
    "小球.mp4": ball_video,
}


def make_media(folder: str, force: bool = False) -> list[str]:
    """Writes the media that is missing in `folder`; returns their paths."""
    os.makedirs(folder, exist_ok=True)
    made = []
    for name, maker in MEDIA.items():
        path = os.path.join(folder, name)
        if force or not os.path.exists(path):
            if name.endswith(".mp4"):
                maker(path)  # the encoder writes under a temporary name itself
            else:
                # written beside the target, then renamed, so a stopped run leaves no half file
                tmp = files.temp_path(path)
                try:
                    maker(tmp, name.rsplit(".", 1)[1].upper().replace("JPG", "JPEG"))
                    files.commit_file(tmp, path)
                finally:
                    files.discard(tmp)
            made.append(path)
    return made


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "media"
    for p in make_media(target, force="--force" in sys.argv):
        print(p)

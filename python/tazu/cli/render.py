"""`tazu render`: a shot document to a video (and PNG frames on request);
and the clip of one storyboard line, the work unit of `tazu build`."""
from __future__ import annotations

import math
import os
import time
import types

from tazu.cli import files
from tazu.cli.encode import EncoderSettings, VideoEncoder
from tazu.cli.shots import Shot, load_shot, make_board, start_offscreen


def _pixels(surface):
    """The surface as a height x width x 3 RGB array."""
    import numpy
    import pygame

    w, h = surface.get_size()
    return numpy.frombuffer(pygame.image.tobytes(surface, "RGB"), numpy.uint8).reshape(h, w, 3)


class _Fit:
    """Scales a picture of another size into the output size, centred, with
    bars of the background colour."""

    def __init__(self, size, out_size, background) -> None:
        import pygame

        w, h = size
        ow, oh = out_size
        k = min(ow / w, oh / h)
        self.scaled = (max(1, round(w * k)), max(1, round(h * k)))
        self.at = ((ow - self.scaled[0]) // 2, (oh - self.scaled[1]) // 2)
        self.out = pygame.Surface(out_size)
        self.background = background

    def __call__(self, surface):
        import pygame

        self.out.fill(self.background)
        self.out.blit(pygame.transform.smoothscale(surface, self.scaled), self.at)
        return self.out


class TitleCard:
    """A storyboard line without a shot document: its text on a plain background."""

    def __init__(self, text: str, width: int, height: int, background, foreground, font_path: str,
                 duration: float) -> None:
        import pygame

        self.duration = duration
        self.background = background
        size = max(16, round(height * 0.075))
        font = pygame.font.Font(font_path, size)
        lines, current = [], ""
        for ch in text:
            if ch == "\n" or (current and font.size(current + ch)[0] > width * 0.8):
                lines.append(current)
                current = "" if ch == "\n" else ch
            else:
                current += ch
        if current:
            lines.append(current)
        self.pictures = [font.render(line, True, foreground) for line in lines]
        self.size = (width, height)

    def draw(self, target, moment: float) -> None:
        surface = target.screen
        surface.fill(self.background)
        w, h = self.size
        y = (h - sum(p.get_height() for p in self.pictures)) / 2
        for pic in self.pictures:
            surface.blit(pic, ((w - pic.get_width()) // 2, round(y)))
            y += pic.get_height()


def _save_png(rgb, path: str, shown: str) -> None:
    from PIL import Image

    try:
        Image.fromarray(rgb).save(path, format="PNG", compress_level=3)
    except OSError as e:
        raise files.write_failed(shown, e) from None


def play(drawable, target, moments, clip_times, encoder=None, frames_dir=None, burner=None,
         fit=None, on_frame=None, frames_name=None) -> int:
    """Draws `drawable` at each moment and hands every frame to the encoder
    and the frame folder (named `frames_name` in messages). Returns the
    number of frames."""
    count = 0
    for i, (moment, clip_time) in enumerate(zip(moments, clip_times)):
        drawable.draw(target, moment)
        surface = target.screen
        if fit is not None:
            surface = fit(surface)
        if burner is not None:
            burner.draw(surface, clip_time)
        rgb = _pixels(surface)
        if encoder is not None:
            encoder.write(rgb)
        if frames_dir is not None:
            name = f"{i:04d}.png"
            _save_png(rgb, os.path.join(frames_dir, name), os.path.join(frames_name or frames_dir, name))
        count += 1
        if on_frame is not None:
            on_frame()
    return count


def render(shot_path: str, out: str, fps: float = 25.0, frames_dir: str | None = None,
           settings: EncoderSettings | None = None, quiet: bool = False, on_frame=None) -> dict:
    """Renders a shot document to `{out}/{name}.mp4`, and its frames as PNG
    pictures into `frames_dir` when given. Both replace earlier output as a
    whole, and only when the whole render succeeded. `on_frame` is called
    after every frame (the editor shows progress with it)."""
    settings = settings or EncoderSettings(fps=fps)
    doc = load_shot(shot_path)
    width, height = int(doc.get("宽度", 1280)), int(doc.get("高度", 720))
    name = os.path.splitext(os.path.basename(shot_path))[0]
    try:
        os.makedirs(out, exist_ok=True)
    except OSError as e:
        raise files.write_failed(out, e) from None
    files.clean_stale(out, legacy=True)
    video_path = os.path.join(out, name + ".mp4")
    temp_board = files.temp_path(os.path.join(out, "board"))
    temp_frames = None
    if frames_dir is not None:
        frames_dir = os.path.abspath(frames_dir)
        parent = os.path.dirname(frames_dir)
        try:
            os.makedirs(parent, exist_ok=True)
            files.clean_stale(parent)
            files.clean_stale(frames_dir, legacy=True)
            temp_frames = files.temp_path(frames_dir)
            os.makedirs(temp_frames)
        except OSError as e:
            raise files.write_failed(frames_dir, e) from None
    encoder = None
    started = time.perf_counter()
    try:
        board = make_board(width, height, temp_board)
        shot = Shot(shot_path, board)
        count = int(math.floor(shot.duration * settings.fps + 1e-9)) + 1
        moments = [min(i / settings.fps, shot.duration) for i in range(count)]
        encoder = VideoEncoder(video_path, width, height, settings)
        play(shot, board.屏幕, moments, moments, encoder, temp_frames, frames_name=frames_dir,
             on_frame=on_frame)
        encoder.close()
        encoder = None
        if temp_frames is not None:
            try:
                files.commit_folder(temp_frames, frames_dir)
            except OSError as e:
                raise files.write_failed(frames_dir, e) from None
            temp_frames = None
    finally:
        if encoder is not None:
            encoder.abort()
        if temp_frames is not None:
            files.discard(temp_frames)
        files.discard(temp_board)
    elapsed = time.perf_counter() - started
    result = {"shot": shot_path, "frames": count, "folder": frames_dir, "video": video_path,
              "seconds": elapsed}
    if not quiet:
        print(f"rendered {count} frames of {shot_path} in {elapsed:.2f} s -> {video_path}"
              + (f", {frames_dir}" if frames_dir else ""))
    return result


def render_clip(task: dict, on_frame=None) -> dict:
    """Renders one storyboard line's clip, a pure function of `task`:

    kind "shot" (with "shot", a shot document) or "title" (with "text"),
    "duration" seconds, "width", "height", "fps", "crf", "preset",
    "background", "foreground", "font", "cues" to burn in ([start, end, text]
    in clip seconds, or empty), "out" (the clip's path) and "scratch" (a
    folder for the board's derived pictures). Writes only `out`, atomically."""
    started = time.perf_counter()
    try:
        count = _draw_clip(task, on_frame)
    finally:
        files.discard(task["scratch"])
    return {"out": task["out"], "frames": count, "seconds": time.perf_counter() - started}


def _draw_clip(task: dict, on_frame) -> int:
    import pygame

    from tazu.cli.subtitles import Burner, Cue

    start_offscreen()
    settings = EncoderSettings(fps=task["fps"], crf=task["crf"], preset=task["preset"])
    width, height = task["width"], task["height"]
    n = max(1, math.ceil(task["duration"] * settings.fps - 1e-9))
    clip_times = [k / settings.fps for k in range(n)]
    fit = None
    if task["kind"] == "shot":
        doc = load_shot(task["shot"])
        size = int(doc.get("宽度", width)), int(doc.get("高度", height))
        board = make_board(size[0], size[1], task["scratch"])
        drawable = Shot(task["shot"], board, duration=task["duration"])
        target = board.屏幕
        if size != (width, height):
            fit = _Fit(size, (width, height), tuple(task["background"]))
        # the shot's last frame shows its end pose
        moments = [drawable.duration * k / (n - 1) if n > 1 else 0.0 for k in range(n)]
    else:
        drawable = TitleCard(task["text"], width, height, tuple(task["background"]),
                             tuple(task["foreground"]), task["font"], task["duration"])
        target = types.SimpleNamespace(screen=pygame.Surface((width, height)))
        moments = clip_times
    burner = None
    if task["cues"]:
        burner = Burner([Cue(*c) for c in task["cues"]], width, height, task["font"])
    encoder = VideoEncoder(task["out"], width, height, settings)
    try:
        count = play(drawable, target, moments, clip_times, encoder, burner=burner, fit=fit,
                     on_frame=on_frame)
        encoder.close()
    except BaseException:
        encoder.abort()
        raise
    return count


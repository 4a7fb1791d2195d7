"""Video out through PyAV: H.264 in MP4 (yuv420p, BT.709, +faststart), AAC
sound at 48 kHz and a mov_text subtitle track.

Frames are encoded on a thread of their own fed through a bounded queue, so
drawing the next frame and encoding the last one use both cores. Clips made
with the same settings start on a keyframe and carry the same parameter sets,
so an episode joins them by copying their packets."""
from __future__ import annotations

import dataclasses
import queue
import struct
import threading
from fractions import Fraction

import numpy

from tazu.cli import files
from tazu.cli.errors import CommandError

AUDIO_RATE = 48000
# x264's output depends on its thread count: a fixed count makes a clip the
# same bytes on every machine, so caches and cluster workers agree.
X264_THREADS = 4
PRESETS = ("ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
           "veryslow")
# mov_text takes its default style from an ASS header.
_ASS_HEADER = (
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
    "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,Sans,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
)


@dataclasses.dataclass(frozen=True)
class EncoderSettings:
    fps: float = 25.0
    crf: int = 20
    preset: str = "veryfast"

    def __post_init__(self):
        if not (isinstance(self.fps, (int, float)) and 0.1 <= self.fps <= 240):
            raise CommandError(f"frame rate must be between 0.1 and 240 frames per second, not {self.fps}")
        if not (isinstance(self.crf, int) and 0 <= self.crf <= 51):
            raise CommandError(f"--crf must be a whole number from 0 to 51, not {self.crf}")
        if self.preset not in PRESETS:
            raise CommandError(f"--preset must be one of {', '.join(PRESETS)}, not {self.preset!r}")

    @property
    def rate(self) -> Fraction:
        return Fraction(self.fps).limit_denominator(1001)

    def key(self) -> dict:
        """What a clip's bytes depend on among the settings."""
        return {"fps": str(self.rate), "crf": self.crf, "preset": self.preset, "codec": "libx264",
                "threads": X264_THREADS, "pix_fmt": "yuv420p", "colorspace": "bt709"}


def _open(path: str, what: str):
    import av

    try:
        return av.open(path, "w", format="mp4", options={"movflags": "+faststart"})
    except OSError as e:
        raise files.write_failed(what, e) from None


def _tag_bt709(ctx) -> None:
    ctx.colorspace = 1  # BT.709 matrix, primaries and transfer, limited range
    ctx.color_primaries = 1
    ctx.color_trc = 1
    ctx.color_range = 1


class VideoEncoder:
    """Writes RGB frames (height x width x 3 uint8 arrays) to an MP4 file.

    The file appears under `path` only when `close()` succeeds; `abort()`
    or any error leaves the previous file (if any) untouched."""

    def __init__(self, path: str, width: int, height: int, settings: EncoderSettings,
                 queue_size: int = 8) -> None:
        import av

        self.path = path
        self.width, self.height = int(width), int(height)
        # yuv420p wants even sides: an odd side gets one more row or column.
        self.coded = (self.width + self.width % 2, self.height + self.height % 2)
        self.temp = files.temp_path(path)
        self._container = _open(self.temp, path)
        try:
            stream = self._container.add_stream(
                "libx264", rate=settings.rate,
                options={"crf": str(settings.crf), "preset": settings.preset,
                         "threads": str(X264_THREADS)})
        except av.FFmpegError as e:
            self._container.close()
            files.discard(self.temp)
            raise CommandError(f"cannot start the H.264 encoder: {e}") from None
        stream.width, stream.height = self.coded
        stream.pix_fmt = "yuv420p"
        _tag_bt709(stream.codec_context)
        self._stream = stream
        self._queue: queue.Queue = queue.Queue(maxsize=queue_size)
        self._error: BaseException | None = None
        self._count = 0
        self._thread = threading.Thread(target=self._run, name="tazu-encoder", daemon=True)
        self._thread.start()

    @property
    def frames(self) -> int:
        return self._count

    def _encode(self, rgb):
        import av

        if rgb is not None:
            frame = av.VideoFrame.from_ndarray(rgb, format="rgb24")
            frame = frame.reformat(format="yuv420p", dst_colorspace=av.video.reformatter.Colorspace.ITU709)
            frame.colorspace = 1
            frame.color_range = 1
            frame.pts = self._count
            self._count += 1
        else:
            frame = None
        for packet in self._stream.encode(frame):
            self._container.mux(packet)

    def _run(self) -> None:
        while True:
            item = self._queue.get()
            if item is _STOP:
                return
            if self._error is not None:
                continue
            try:
                self._encode(item)
            except BaseException as e:  # handed to the drawing thread
                self._error = e

    def _raise(self) -> None:
        e = self._error
        if e is None:
            return
        self._error = None
        self.abort()
        if isinstance(e, OSError):
            raise files.write_failed(self.path, e) from None
        raise CommandError(f"cannot encode {self.path}: {e}") from None

    def write(self, rgb: numpy.ndarray) -> None:
        self._raise()
        h, w = rgb.shape[:2]
        if (w, h) != self.coded:
            padded = numpy.zeros((self.coded[1], self.coded[0], 3), numpy.uint8)
            padded[:h, :w] = rgb[: self.coded[1], : self.coded[0]]
            if w < self.coded[0]:
                padded[:h, w:] = rgb[:, -1:]
            if h < self.coded[1]:
                padded[h:, :] = padded[h - 1: h]
            rgb = padded
        self._queue.put(rgb)

    def _finish_thread(self) -> None:
        if self._thread.is_alive():
            self._queue.put(_STOP)
            self._thread.join()

    def close(self) -> None:
        self._queue.put(None)  # flush the encoder
        self._finish_thread()
        self._raise()
        try:
            self._container.close()
        except OSError as e:
            files.discard(self.temp)
            raise files.write_failed(self.path, e) from None
        files.commit_file(self.temp, self.path)

    def abort(self) -> None:
        self._finish_thread()
        try:
            self._container.close()
        except Exception:  # noqa: BLE001 - the file is thrown away anyway
            pass
        files.discard(self.temp)


_STOP = object()


def _add_audio_stream(container):
    """A mono AAC stream at 48 kHz."""
    stream = container.add_stream("aac", rate=AUDIO_RATE, layout="mono")
    stream.bit_rate = 128000
    return stream


def _mux_audio(container, stream, samples: numpy.ndarray) -> None:
    import av

    block = 48000
    for start in range(0, len(samples), block):
        chunk = numpy.ascontiguousarray(samples[start: start + block], numpy.float32)
        frame = av.AudioFrame.from_ndarray(chunk[None, :], format="flt", layout="mono")
        frame.sample_rate = AUDIO_RATE
        frame.pts = start
        for packet in stream.encode(frame):
            container.mux(packet)
    for packet in stream.encode(None):
        container.mux(packet)


def _mov_text(text: str) -> bytes:
    data = text.encode("utf-8")[:65535]
    return struct.pack(">H", len(data)) + data


class DamagedClip(CommandError):
    """A clip that cannot be read whole; the caller may make it again."""

    def __init__(self, clip: str, why: str) -> None:
        super().__init__(f"{clip}: damaged clip ({why})")
        self.clip = clip


def join_clips(clips: list[str], path: str, samples: numpy.ndarray | None, cues=(),
               frames: list[int] | None = None) -> None:
    """Joins clips made with the same settings into one MP4 by copying their
    video packets, adds the sound track (mono float at 48 kHz, encoded once)
    and a mov_text subtitle track of (start, end, text) cues in seconds.
    `frames`, when given, is how many frames each clip must hold."""
    import av

    if not clips:
        raise CommandError(f"nothing to join into {path}")
    temp = files.temp_path(path)
    sources = []
    try:
        first = av.open(clips[0])
        sources.append(first)
        out = _open(temp, path)
        try:
            template = first.streams.video[0]
            video = out.add_stream_from_template(template)
            extradata = template.codec_context.extradata
            audio = _add_audio_stream(out) if samples is not None else None
            subtitles = None
            if cues:
                subtitles = out.add_stream("mov_text")
                subtitles.codec_context.subtitle_header = _ASS_HEADER.encode()
                subtitles.time_base = Fraction(1, 1000)
            offset = 0  # in the clips' time base
            for k, clip in enumerate(clips):
                src = first if k == 0 else av.open(clip)
                if k:
                    sources.append(src)
                stream = src.streams.video[0]
                if stream.codec_context.extradata != extradata or stream.time_base != template.time_base:
                    raise CommandError(f"{clip}: encoded with other settings than {clips[0]}; "
                                       "remove the cache folder and build again")
                end = offset
                count = 0
                for packet in src.demux(stream):
                    if packet.dts is None and packet.pts is None:
                        continue  # the demuxer's end marker
                    count += 1
                    last = (packet.pts or 0) + (packet.duration or 0)
                    end = max(end, offset + last)
                    packet.pts += offset
                    packet.dts += offset
                    packet.stream = video
                    out.mux(packet)
                if frames is not None and count != frames[k]:
                    raise DamagedClip(clip, f"{count} of {frames[k]} frames")
                held = stream.frames
                duration = int(round(held / stream.average_rate / stream.time_base)) if held else 0
                offset += max(duration, end - offset)
                if k:
                    src.close()
                    sources.pop()
            if audio is not None:
                _mux_audio(out, audio, samples)
            for start, stop, text in cues:
                t0, t1 = int(round(start * 1000)), int(round(stop * 1000))
                if t1 <= t0:
                    continue
                packet = av.Packet(_mov_text(text))
                packet.stream = subtitles
                packet.time_base = subtitles.time_base
                packet.pts = packet.dts = t0
                packet.duration = t1 - t0
                out.mux(packet)
        finally:
            out.close()
    except av.FFmpegError as e:
        files.discard(temp)
        if isinstance(e, OSError) and e.filename in (temp, None) and e.errno not in (None, 0):
            raise files.write_failed(path, e) from None
        clip = e.filename if e.filename in clips else None
        if clip:
            raise DamagedClip(clip, e.strerror or str(e)) from None
        raise CommandError(f"cannot make {path}: {e}") from None
    except OSError as e:
        files.discard(temp)
        raise files.write_failed(path, e) from None
    except BaseException:
        files.discard(temp)
        raise
    finally:
        for s in sources:
            s.close()
    files.commit_file(temp, path)

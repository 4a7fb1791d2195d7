"""Subtitle cues: reading a narration's WebVTT cue file, writing the
episode's SRT and WebVTT sidecars, and drawing cues into frames."""
from __future__ import annotations

import dataclasses
import re

from tazu.cli.errors import CommandError

_TIME = re.compile(r"^(?:(\d+):)?(\d{1,2}):(\d{2})[.,](\d{3})$")
_PAUSE = re.compile(r"<s>+")


@dataclasses.dataclass(frozen=True)
class Cue:
    start: float  # seconds
    end: float
    text: str


def plain_text(line: str) -> str:
    """A storyboard line as a subtitle: without its pause marks."""
    return "".join(part.strip() for part in _PAUSE.split(str(line)))


def _seconds(stamp: str, where: str) -> float:
    m = _TIME.match(stamp.strip())
    if not m:
        raise CommandError(f"{where}: bad cue time {stamp.strip()!r}")
    h, mnt, s, ms = m.groups()
    return int(h or 0) * 3600 + int(mnt) * 60 + int(s) + int(ms) / 1000


def read_vtt(path: str) -> list[Cue]:
    """The cues of a WebVTT file, in file order."""
    try:
        with open(path, encoding="utf-8-sig") as f:
            text = f.read()
    except UnicodeDecodeError:
        raise CommandError(f"{path}: not UTF-8 text") from None
    except OSError as e:
        raise CommandError(f"cannot read {path}: {e.strerror or e}") from None
    blocks = re.split(r"\n\s*\n", text.replace("\r\n", "\n").replace("\r", "\n").strip())
    if not blocks or not blocks[0].startswith("WEBVTT"):
        raise CommandError(f"{path}: not a WebVTT file (no WEBVTT header)")
    cues = []
    for block in blocks[1:]:
        lines = block.split("\n")
        if lines[0].startswith(("NOTE", "STYLE", "REGION")):
            continue
        if "-->" not in lines[0]:
            lines = lines[1:]  # cue identifier
        if not lines or "-->" not in lines[0]:
            raise CommandError(f"{path}: cue without a time line: {block[:40]!r}")
        start, _, rest = lines[0].partition("-->")
        end = rest.split()[0] if rest.split() else ""
        cues.append(Cue(_seconds(start, path), _seconds(end, path), "\n".join(lines[1:]).strip()))
    return cues


def _stamp(seconds: float, sep: str) -> str:
    ms = max(0, int(round(seconds * 1000)))
    h, ms = divmod(ms, 3600_000)
    m, ms = divmod(ms, 60_000)
    s, ms = divmod(ms, 1000)
    return f"{h:02d}:{m:02d}:{s:02d}{sep}{ms:03d}"


def vtt_text(cues: list[Cue]) -> str:
    out = ["WEBVTT", ""]
    for c in cues:
        out += [f"{_stamp(c.start, '.')} --> {_stamp(c.end, '.')}", c.text, ""]
    return "\n".join(out)


def srt_text(cues: list[Cue]) -> str:
    out = []
    for k, c in enumerate(cues, 1):
        out += [str(k), f"{_stamp(c.start, ',')} --> {_stamp(c.end, ',')}", c.text, ""]
    return "\n".join(out)


class Burner:
    """Draws the cue of the moment into a frame: the CJK font, white with a
    dark outline, centred inside the bottom of the title-safe area."""

    def __init__(self, cues: list[Cue], width: int, height: int, font_path: str) -> None:
        import pygame

        self.cues = cues
        self.width, self.height = width, height
        self.size = max(12, round(height * 0.055))
        self.outline = max(1, round(self.size / 12))
        self.font = pygame.font.Font(font_path, self.size)
        self._cache: dict[int, list] = {}

    def _wrap(self, text: str) -> list[str]:
        limit = self.width * 0.8
        lines = []
        for paragraph in text.split("\n"):
            current = ""
            for ch in paragraph:
                if current and self.font.size(current + ch)[0] > limit:
                    lines.append(current)
                    current = ch.lstrip()
                else:
                    current += ch
            if current:
                lines.append(current)
        return lines

    def _render(self, text: str):
        import pygame

        pictures = []
        for line in self._wrap(text):
            face = self.font.render(line, True, (255, 255, 255))
            edge = self.font.render(line, True, (0, 0, 0))
            o = self.outline
            pic = pygame.Surface((face.get_width() + 2 * o, face.get_height() + 2 * o), pygame.SRCALPHA)
            for dx in range(-o, o + 1):
                for dy in range(-o, o + 1):
                    if dx * dx + dy * dy <= o * o + o:
                        pic.blit(edge, (o + dx, o + dy))
            pic.blit(face, (o, o))
            pictures.append(pic)
        return pictures

    def draw(self, surface, moment: float) -> None:
        for k, cue in enumerate(self.cues):
            if cue.start <= moment < cue.end:
                if k not in self._cache:
                    self._cache[k] = self._render(cue.text)
                lines = self._cache[k]
                # bottom edge of the title-safe area (the inner 90% of the picture)
                y = self.height * 0.95 - sum(p.get_height() for p in lines)
                for pic in lines:
                    surface.blit(pic, ((self.width - pic.get_width()) // 2, round(y)))
                    y += pic.get_height()
                return

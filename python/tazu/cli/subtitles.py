"""Subtitle cues: reading a narration's WebVTT cue file, writing the
episode's SRT and WebVTT sidecars, and drawing cues into frames."""
from __future__ import annotations

from typing import NamedTuple

from tazu.cli.errors import CommandError


class Cue(NamedTuple):
    start: float  # seconds
    end: float
    text: str


def plain_text(line: str) -> str:
    """A storyboard line as a subtitle: without its pause marks."""
    from tazu import animation

    return animation._plain_text(str(line))


def title_text(line: str) -> str:
    """A storyboard line as a title card: a line per stretch between pauses."""
    from tazu import animation

    return animation._title_text(str(line))


def read_vtt(path: str) -> list[Cue]:
    """The cues of a WebVTT file, in file order."""
    from tazu import animation

    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise CommandError(f"cannot read {path}: {e.strerror or e}") from None
    try:
        return [Cue(*c) for c in animation._read_webvtt(data)]
    except ValueError as e:  # (what is wrong, the piece at fault if any)
        raise CommandError(" ".join([f"{path}: {e.args[0]}", *map(repr, e.args[1:])])) from None


def vtt_text(cues: list[Cue]) -> str:
    from tazu import animation

    return animation._webvtt(cues)


def srt_text(cues: list[Cue]) -> str:
    from tazu import animation

    return animation._srt(cues)


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

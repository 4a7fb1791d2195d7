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

        from tazu import animation

        self.cues = cues
        self.width, self.height = width, height
        self.size, self.outline, self._limit, self._offsets = animation._subtitle_style(width, height)
        self.font = pygame.font.Font(font_path, self.size)
        self._cache: dict[int, tuple] = {}

    def _wrap(self, text: str) -> list[str]:
        lines = []
        for paragraph in text.split("\n"):
            current = ""
            for ch in paragraph:
                if current and self.font.size(current + ch)[0] > self._limit:
                    lines.append(current)
                    current = ch.lstrip()
                else:
                    current += ch
            if current:
                lines.append(current)
        return lines

    def _render(self, text: str):
        """The pictures of a cue's lines and where each goes."""
        import pygame

        from tazu import animation

        pictures = []
        for line in self._wrap(text):
            face = self.font.render(line, True, (255, 255, 255))
            edge = self.font.render(line, True, (0, 0, 0))
            o = self.outline
            pic = pygame.Surface((face.get_width() + 2 * o, face.get_height() + 2 * o), pygame.SRCALPHA)
            for dx, dy in self._offsets:
                pic.blit(edge, (o + dx, o + dy))
            pic.blit(face, (o, o))
            pictures.append(pic)
        return pictures, animation._subtitle_places(self.width, self.height, [p.get_size() for p in pictures])

    def draw(self, surface, moment: float) -> None:
        for k, cue in enumerate(self.cues):
            if cue.start <= moment < cue.end:
                if k not in self._cache:
                    self._cache[k] = self._render(cue.text)
                for pic, place in zip(*self._cache[k]):
                    surface.blit(pic, place)
                return

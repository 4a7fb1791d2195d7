"""The `tazu` command line; `main` is its entry point."""
import os

# Headless by default: the command writes files, it opens no window.
os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

from tazu.cli.errors import CommandError  # noqa: E402
from tazu.cli.main import main  # noqa: E402
from tazu.cli.render import render, render_clip  # noqa: E402
from tazu.cli.shots import Shot, complete_record, load_shot, make_board  # noqa: E402
from tazu.cli.voice import load_config, voice  # noqa: E402

__all__ = ["CommandError", "Shot", "complete_record", "load_config",
           "load_shot", "main", "make_board", "render", "render_clip", "voice"]

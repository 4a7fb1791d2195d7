"""The `tazu` command line; `main` is its entry point."""
from tazu.cli.errors import CommandError
from tazu.cli.main import main
from tazu.cli.render import render, render_clip
from tazu.cli.shots import Shot, complete_record, load_shot, make_board
from tazu.cli.voice import load_config, voice

__all__ = ["CommandError", "Shot", "complete_record", "load_config",
           "load_shot", "main", "make_board", "render", "render_clip", "voice"]

"""The `tazu` command: renders storyboard shots and voices storyboards.

    tazu render SHOT.json [--out DIR] [--fps N] [--video]
    tazu voice CONFIG.json [--shot N]
    tazu demo [--out DIR]
"""
from __future__ import annotations

import argparse
import os
import sys

from tazu.cli.errors import CommandError
from tazu.cli.render import contact_sheet, render
from tazu.cli.shots import EXAMPLES
from tazu.cli.voice import voice

def demo(out: str, fps: float) -> None:
    sys.path.insert(0, EXAMPLES)
    from make_media import make_media

    make_media(os.path.join(EXAMPLES, "media"))
    os.makedirs(out, exist_ok=True)
    shots_dir = os.path.join(EXAMPLES, "shots")
    for name in sorted(os.listdir(shots_dir)):
        if name.endswith(".json"):
            r = render(os.path.join(shots_dir, name), out, fps, video=True)
            sheet = os.path.join(out, os.path.splitext(name)[0] + "-sheet.png")
            contact_sheet(r["folder"], sheet)
            print("contact sheet:", sheet)
    voice(os.path.join(EXAMPLES, "config.json"), sounds=os.path.join(out, "sounds"))


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(prog="tazu", description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("render", help="render a shot document to PNG frames (and a video)")
    p.add_argument("shot")
    p.add_argument("--out", default="out")
    p.add_argument("--fps", type=float, default=25.0)
    p.add_argument("--video", action="store_true", help="also write an MP4 video")
    p = sub.add_parser("voice", help="voice every shot of the storyboards, or one by number")
    p.add_argument("config")
    p.add_argument("--shot", help="shot number (序号) to voice")
    p.add_argument("--sounds", help="sound folder, instead of the configuration's")
    p = sub.add_parser("demo", help="render and voice the bundled example")
    p.add_argument("--out", default="out/demo")
    p.add_argument("--fps", type=float, default=12.0)
    args = parser.parse_args(argv)
    try:
        if args.command == "render":
            render(args.shot, args.out, args.fps, args.video)
        elif args.command == "voice":
            voice(args.config, args.shot, args.sounds)
        else:
            demo(args.out, args.fps)
    except CommandError as e:
        print(f"tazu: {e}", file=sys.stderr)
        return 2
    return 0

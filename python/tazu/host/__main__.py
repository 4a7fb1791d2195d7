"""Edit a shot document in a window: `python -m tazu.host [SHOT.json] [MEDIA...]`.

Without a document a new, untitled shot opens; media files given after it
(or alone) become layers. F1 in the window lists the gestures and keys.
--screenshot saves the window after --frames rounds and quits, which is how
the window is checked headless (SDL_VIDEODRIVER=dummy) or under Xvfb.
"""
from __future__ import annotations

import argparse
import os
import sys


def 参数(prog="python -m tazu.host"):
    parser = argparse.ArgumentParser(prog=prog, description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="*", metavar="FILE",
                        help="a shot document (.json) and/or media files to add as layers")
    parser.add_argument("--fit-ratio", type=float, default=None,
                        help="window pixels per pixel of the shot (default: fit the screen)")
    parser.add_argument("--config", help="build configuration that finds the shot's narration")
    parser.add_argument("--screenshot", metavar="PNG", help="save the window to this PNG and quit")
    parser.add_argument("--frames", type=int, default=3, help="rounds to run before the screenshot")
    parser.add_argument("--debug", action="store_true", help="show the traceback of every error")
    return parser


def main(argv=None, prog="python -m tazu.host", debug=False) -> int:
    """Opens the editor; errors end it as they end the `tazu` command: one line
    naming the file and the problem (with --debug, the traceback too)."""
    from tazu.cli import errors

    parser = 参数(prog)
    args = parser.parse_args(argv)
    debug = debug or args.debug
    shot = None
    media = []
    for path in args.files:
        if path.lower().endswith(".json"):
            if shot is not None:
                parser.error("only one shot document at a time")
            shot = path
        elif not os.path.isfile(path):
            parser.error(f"file not found: {path}")
        else:
            media.append(path)
    if args.fit_ratio is not None and not 0.1 <= args.fit_ratio <= 4:
        parser.error("--fit-ratio must be between 0.1 and 4")
    if args.frames < 1:
        parser.error("--frames must be at least 1")
    if args.config and not os.path.isfile(args.config):
        parser.error(f"configuration not found: {args.config}")

    if args.screenshot and not (os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY")):
        # A screenshot needs no screen: drawn off screen where there is none.
        os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
        os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    import pygame

    from .editor import 准备显示, 编辑器

    准备显示()
    ratio = args.fit_ratio
    if ratio is not None and ratio.is_integer():
        ratio = int(ratio)
    try:
        pygame.init()
        try:
            editor = 编辑器(shot, 适配比例=ratio, 配置=args.config)
        except pygame.error as e:
            print(f"{prog}: cannot open a window ({e}); without a display, use "
                  "--screenshot, or SDL_VIDEODRIVER=dummy", file=sys.stderr)
            return errors.EXIT_INPUT
        for path in media:
            editor.添加媒体(path)
        editor._提交()
        editor.运行(截图=args.screenshot, 帧数=args.frames)
    except KeyboardInterrupt:
        print(f"{prog}: stopped", file=sys.stderr)
        return 130
    except Exception as e:  # noqa: BLE001 - every error ends here, shown by its kind
        return errors.report(e, debug=debug)
    finally:
        pygame.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())

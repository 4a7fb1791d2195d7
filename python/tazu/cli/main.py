"""The `tazu` command: renders storyboard shots, voices storyboards and builds
narrated, subtitled episodes.

    tazu render SHOT.json [--out DIR] [--fps N] [--frames DIR] [--crf N] [--preset P]
    tazu voice CONFIG.json [--shot N] [--sounds DIR]
    tazu build CONFIG.json [--out DIR] [--jobs N] [--cluster ADDRESS] [--burn-subtitles]
    tazu demo [--out DIR] [--jobs N] [--burn-subtitles]
    tazu edit [SHOT.json] [MEDIA...] [--config CONFIG.json] [--screenshot PNG --frames N]

Errors in the files given (damaged media too) are one line naming the file
and the problem, exit status 2; when the system refuses a file operation the
status is 1; any other failure is a fault of the command and shows its
traceback (status 70). `tazu --debug ...` shows the traceback of every error.
"""
from __future__ import annotations

import argparse
import os
import shutil
import sys

from tazu.cli import errors, files
from tazu.cli.encode import PRESETS, EncoderSettings
from tazu.cli.render import render
from tazu.cli.voice import voice


def demo(out: str, jobs: int = 1, burn: bool = False, cluster: str | None = None) -> dict:
    """Builds the bundled example episode. The example's documents are copied
    to `{out}/example`, its media is drawn there, and everything the build
    makes stays inside `out`."""
    from tazu.cli.episode import build
    from tazu.examples import FOLDER
    from tazu.examples.make_media import make_media

    example = os.path.join(os.path.abspath(out), "example")
    try:
        for folder in ("storyboards", "characters", "shots"):
            os.makedirs(os.path.join(example, folder), exist_ok=True)
            files.clean_stale(os.path.join(example, folder))
            for name in os.listdir(os.path.join(FOLDER, folder)):
                src, dst = os.path.join(FOLDER, folder, name), os.path.join(example, folder, name)
                temp = files.temp_path(dst)
                shutil.copyfile(src, temp)
                files.commit_file(temp, dst)
        temp = files.temp_path(os.path.join(example, "config.json"))
        shutil.copyfile(os.path.join(FOLDER, "config.json"), temp)
        files.commit_file(temp, os.path.join(example, "config.json"))
        files.clean_stale(example)
        files.clean_stale(os.path.join(example, "media"))
        for path in make_media(os.path.join(example, "media")):
            print("example media:", path)
    except OSError as e:
        raise files.write_failed(example, e) from None
    return build(os.path.join(example, "config.json"), out, jobs=jobs, cluster=cluster, burn=burn)


def _positive_int(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, not {value}")
    return value


def _encoder_options(p) -> None:
    p.add_argument("--crf", type=int, default=20,
                   help="H.264 quality, 0 (lossless) to 51; lower is better (default 20)")
    p.add_argument("--preset", default="veryfast", choices=PRESETS,
                   help="H.264 speed/size trade-off (default veryfast)")


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="tazu", description=__doc__.splitlines()[0])
    parser.add_argument("--debug", action="store_true",
                        help="show the traceback of every error, also of errors in your files")
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("render", help="render a shot document to an H.264 video (and PNG frames)")
    p.add_argument("shot")
    p.add_argument("--out", default="out", help="folder of the video (default out)")
    p.add_argument("--fps", type=float, default=25.0)
    p.add_argument("--frames", metavar="DIR", help="also save every frame as a PNG picture in DIR")
    p.add_argument("--video", action="store_true", help=argparse.SUPPRESS)  # the video is always made
    _encoder_options(p)
    p = sub.add_parser("voice", help="voice every shot of the storyboards, or one by number")
    p.add_argument("config")
    p.add_argument("--shot", help="shot number (序号) to voice")
    p.add_argument("--sounds", help="sound folder, instead of the configuration's")
    for name, text in (("build", "build a narrated, subtitled episode per storyboard"),
                       ("demo", "build the bundled example episode")):
        p = sub.add_parser(name, help=text)
        if name == "build":
            p.add_argument("config")
        p.add_argument("--out", default="out/demo" if name == "demo" else "out",
                       help="output folder (default %(default)s)")
        p.add_argument("--jobs", type=_positive_int, default=1,
                       help="worker processes that voice and render shots (default 1)")
        p.add_argument("--cluster", metavar="ADDRESS",
                       help="run shots on a Dask distributed scheduler (tcp://host:8786)")
        p.add_argument("--burn-subtitles", action="store_true",
                       help="draw the subtitles into the picture instead of a subtitle track")
        if name == "build":
            _encoder_options(p)
    # Parsed by the editor itself (see edit); listed here for `tazu --help`.
    sub.add_parser("edit", help="edit a shot document in a window", add_help=False)
    return parser


def edit(argv, debug: bool = False) -> int:
    """`tazu edit`: the editor window, whose errors end as the command's do."""
    from tazu.host.__main__ import main as editor_main

    return editor_main(argv, prog="tazu edit", debug=debug)


def main(argv=None) -> int:
    argv = sys.argv[1:] if argv is None else list(argv)
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    # The editor has its own options, parsed by itself after the command's.
    debug = False
    while argv[:1] == ["--debug"]:
        debug, argv = True, argv[1:]
    if argv[:1] == ["edit"]:
        return edit(argv[1:], debug)
    # Every other command writes files and opens no window; its worker
    # processes inherit this.
    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    args = _parser().parse_args((["--debug"] if debug else []) + argv)
    try:
        if args.command == "render":
            render(args.shot, args.out, frames_dir=args.frames,
                   settings=EncoderSettings(fps=args.fps, crf=args.crf, preset=args.preset))
        elif args.command == "voice":
            voice(args.config, args.shot, args.sounds)
        elif args.command == "build":
            from tazu.cli.episode import build

            build(args.config, args.out, jobs=args.jobs, cluster=args.cluster,
                  burn=args.burn_subtitles, crf=args.crf, preset=args.preset)
        else:
            demo(args.out, jobs=args.jobs, burn=args.burn_subtitles, cluster=args.cluster)
    except KeyboardInterrupt:
        print("tazu: stopped", file=sys.stderr)
        return 130
    except Exception as e:  # noqa: BLE001 - every error ends here, shown by its kind
        return errors.report(e, debug=args.debug)
    return 0

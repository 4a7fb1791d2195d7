"""The errors of the `tazu` command and how they reach the user."""
from __future__ import annotations

import sys
import traceback

# Exit statuses: the user's input was refused (also a damaged media file); the
# system refused a file operation (disk full, no permission); the command
# itself failed (a bug).
EXIT_INPUT = 2
EXIT_SYSTEM = 1
EXIT_BUG = 70


class CommandError(Exception):
    """A problem with the user's input, reported without a traceback."""


def _input_error_types() -> tuple[type, ...]:
    """Errors that describe a file the user gave rather than a fault of the
    command: ours, and those of the readers that name the file (documents,
    speech, picture decoding). Only modules already loaded are asked."""
    found: list[type] = [CommandError]
    mix = sys.modules.get("tazu.mix")
    if mix is not None:
        found += [t for t in (getattr(mix, "文档格式错误", None), getattr(mix, "朗读失败", None)) if t]
    pil = sys.modules.get("PIL.Image")
    if pil is not None:
        found.append(pil.DecompressionBombError)
    return tuple(found)


def one_line(error: BaseException) -> str:
    from tazu._common import 写入失败

    if isinstance(error, 写入失败):
        text = f"cannot write {error.filename}: {error.strerror}"
    elif isinstance(error, OSError) and error.filename is not None and error.strerror:
        text = f"{error.filename}: {error.strerror}"
        if error.filename2 is not None:
            text += f" ({error.filename2})"
    else:
        text = str(error).strip() or type(error).__name__
    return " ".join(text.split())


def report(error: BaseException, debug: bool = False) -> int:
    """Shows an error and gives the exit status. Input and system errors are
    one line naming the file and the problem; anything else is a fault of the
    command and shows its traceback. `debug` shows the traceback always."""
    if isinstance(error, _input_error_types()):
        status = EXIT_INPUT
    elif isinstance(error, OSError):
        # The system's refusals carry an errno; readers of damaged files
        # (Pillow, the media loaders) raise OSError with a message alone.
        status = EXIT_SYSTEM if error.errno is not None else EXIT_INPUT
    else:
        status = EXIT_BUG
    if debug or status == EXIT_BUG:
        traceback.print_exception(error, file=sys.stderr)
    if status == EXIT_BUG:
        print(f"tazu: internal error ({type(error).__name__}): {one_line(error)}\n"
              "tazu: this is a fault of the command, not of your files; please report it "
              "with the traceback above", file=sys.stderr)
    else:
        print(f"tazu: {one_line(error)}", file=sys.stderr)
    return status

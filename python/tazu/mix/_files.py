"""File, path and output helpers."""
from __future__ import annotations

import hashlib
import os
import sys

from ._containers import 列表

_VIDEO_SUFFIXES = frozenset(
    (".mp4", ".m4v", ".mov", ".avi", ".mkv", ".webm", ".flv", ".wmv", ".mpg", ".mpeg", ".ts", ".3gp", ".ogv")
)


def 输出(*values, sep=" ", end="\n"):
    """Show a line to the user (standard output, flushed at once)."""
    print(*values, sep=sep, end=end, file=sys.stdout, flush=True)


def 报数(sequence) -> 列表:
    """(index from 0, item) pairs of a sequence."""
    return 列表(enumerate(sequence))


def _is_path(path):
    return isinstance(path, (str, bytes, os.PathLike))


def 是否存在(path) -> bool:
    return _is_path(path) and bool(path) and os.path.exists(path)


def 是否文件夹(path) -> bool:
    return _is_path(path) and bool(path) and os.path.isdir(path)


def 是否视频(path) -> bool:
    """True for a file whose name ends in a common video suffix (any case)."""
    if not _is_path(path) or not path:
        return False
    return os.path.splitext(os.fsdecode(path))[1].lower() in _VIDEO_SUFFIXES


def 删除(path) -> bool:
    """Remove a file. False when there was nothing to remove; folders are refused."""
    if not 是否存在(path) and not (_is_path(path) and os.path.islink(path)):
        return False
    if os.path.isdir(path) and not os.path.islink(path):
        raise IsADirectoryError(f"只能删除文件，这是文件夹：{os.fsdecode(path)}")
    os.remove(path)
    return True


def 路径(*parts) -> str:
    if not parts:
        raise TypeError("路径至少需要一个部分")
    if any(p is None for p in parts):
        raise TypeError(f"路径的部分不能为 None：{parts!r}")
    return os.path.join(*(os.fspath(p) if isinstance(p, os.PathLike) else str(p) for p in parts))


def 遍历文件夹(folder) -> 列表:
    """Names of the folder's entries, sorted so that results are repeatable.

    Hidden entries (names starting with ".", such as editor and system files)
    are left out.
    """
    if not 是否文件夹(folder):
        raise NotADirectoryError(f"不是文件夹：{folder}")
    return 列表(sorted(name for name in os.listdir(folder) if not name.startswith(".")))


def file_to_md5(path) -> str:
    """Hex MD5 digest of a file's content."""
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()

"""Output files of the command, through the package's one writer (see
tazu._common): temporary names beside the target, flushed and renamed into
place when complete, folders swapped as a whole, and the clean-up of what
killed runs left behind. Failed writes are 写入失败, an OSError naming the
file meant, which the command reports in one line with status 1."""
from __future__ import annotations

from tazu._common import 丢弃 as discard
from tazu._common import 临时路径 as temp_path
from tazu._common import 写入失败 as WriteError
from tazu._common import 写入文本 as write_text
from tazu._common import 提交文件 as commit_file
from tazu._common import 提交文件夹 as commit_folder
from tazu._common import 清理残留

__all__ = ["WriteError", "clean_stale", "commit_file", "commit_folder", "discard", "temp_path",
           "write_failed", "write_text"]


def clean_stale(folder: str, legacy: bool = False) -> list[str]:
    """Removes what killed runs left in `folder`; with `legacy` also the
    temporary files that earlier versions of the command left in their output
    folders under visible names."""
    return 清理残留(folder, 旧输出=legacy)


def write_failed(path: str, error: OSError) -> WriteError:
    """The error to raise when writing `path` failed with `error` (which may
    name a temporary file)."""
    return WriteError.因为(path, error)

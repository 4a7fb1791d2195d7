"""Helpers the platform layer and the reference host share.

One way to read a number, one way to read a pair, one way to write a file so
that a crash, a kill or a full disk never leaves half of it under the final
name. Light on purpose: it imports nothing heavier than the standard library.
"""
from __future__ import annotations

import contextlib
import ctypes
import errno
import math
import numbers
import os
import re
import shutil
import socket
import time
import uuid


class 数字错误(TypeError, ValueError):
    """A value that is not a number where one is needed.

    Both a TypeError and a ValueError, so callers that catch either (as
    Python's own int() and float() leave them to) keep working.
    """


def 数字(value, name="数值", *, 严格=False, 有限=True):
    """The number in `value`, or 数字错误 naming `name`.

    ints and floats (numpy's included) are returned as they are, since int and
    float results differ downstream. Anything else is converted with float();
    with 严格 only real numbers are taken (no text, no True/False). With
    有限, infinities and NaN raise ValueError.
    """
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        result = value
    elif 严格:
        if isinstance(value, bool) or not isinstance(value, numbers.Real):
            raise 数字错误(f"{name}必须是数字，得到 {value!r}")
        result = value
    else:
        try:
            result = float(value)
        except (TypeError, ValueError, OverflowError):
            raise 数字错误(f"{name}必须是数字，得到 {value!r}") from None
    # ints are always finite (and may be too large for isfinite's float).
    if 有限 and not isinstance(result, int) and not math.isfinite(result):
        raise ValueError(f"{name}必须是有限数，得到 {value!r}")
    return result


def 对(value, name="坐标", 转换=None):
    """Two numbers from a tuple, list or array, or from a record answering 获取(0) and 获取(1).

    Each item goes through 转换 when given (a screen's coordinate conversion,
    say), else through 数字.
    """
    if value is None:
        raise 数字错误(f"{name}不能为空")
    try:
        a, b = value[0], value[1]
    except (TypeError, KeyError, IndexError):
        getter = getattr(value, "获取", None)
        if getter is None:
            raise 数字错误(f"{name}必须是两个数字，得到 {value!r}") from None
        a, b = getter(0), getter(1)
    if 转换 is None:
        return 数字(a, name, 有限=False), 数字(b, name, 有限=False)
    return 转换(a), 转换(b)


# ---- writing files ---------------------------------------------------------------
#
# Everything the product writes is built under a temporary name beside its
# target and renamed into place when complete, so a reader never sees half a
# file under a finished name. The names are the core's own:
# ".tazu-{machine}-{process}-{unique}.tmp", hidden, short (espeak-ng and the
# file system's name limit take them beside a long target), never ending in a
# media extension that a folder scan would take for a result, and telling a
# later run whose they are. The clean-up follows the core's rules: this
# machine's when their process is gone, anyone's after a day.


def _machine_tag() -> str:
    # The core's tag: FNV-1a over the host name, low 32 bits in hex.
    h = 1469598103934665603
    for byte in os.uname().nodename.encode("utf-8", "surrogateescape"):
        h = ((h ^ byte) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return f"{h & 0xFFFFFFFF:08x}"


_MACHINE = _machine_tag()
_DAY = 24 * 3600
# (pattern, whether it names a machine). Besides today's names: the platform's
# earlier ".tazu-{process}-{unique}.tmp[.ext]", and the command's earlier
# ".tazu-{host}-{process}-{unique}-{name}.part", whose host is the host name
# with other characters than letters and digits as "_".
_TEMP_NAMES = (
    (re.compile(r"\.tazu-(?P<machine>[0-9a-f]{8})-(?P<pid>[0-9]{1,9})-[A-Za-z0-9]+"
                r"\.tmp(\.[A-Za-z0-9]{1,5})?"), True),
    (re.compile(r"\.tazu-(?P<pid>[0-9]{1,9})-[A-Za-z0-9]+\.tmp(\.[A-Za-z0-9]{1,5})?"), False),
    (re.compile(r"\.tazu-(?P<host>[A-Za-z0-9_]+)-(?P<pid>[0-9]{1,9})-[0-9a-f]+-.*\.part", re.S), True),
)
_OLD_HOST = re.sub(r"[^A-Za-z0-9]+", "_", socket.gethostname()) or "host"
# What the command left in its output folders before it used hidden names.
_OLD_OUTPUT = (re.compile(r"\d+\.png\.tmp\.png"), re.compile(r"\.tmp-.*\.mp4", re.S))
_swept: set[str] = set()


class 写入失败(OSError):
    """A file that could not be written: 写入失败(errno, why in words, the file
    meant), never naming the temporary file. 因为 makes one from the error
    that stopped the write."""

    @classmethod
    def 因为(cls, path, error: OSError) -> 写入失败:
        code = error.errno
        if code in (errno.ENOSPC, errno.EDQUOT):
            reason = "no space left on the disk"
        elif code == errno.EFBIG:
            reason = "file too large for the disk or the limit set for this process"
        else:
            reason = error.strerror or str(error) or type(error).__name__
        return cls(code, reason, os.fspath(path))

    def __str__(self):
        return f"{self.filename}: {self.strerror}"


def 清理一次(folder) -> None:
    """The first time a process writes into a folder, what killed runs left
    there is removed (see 清理残留)."""
    folder = os.path.abspath(os.fspath(folder) or ".")
    if folder not in _swept:
        _swept.add(folder)
        清理残留(folder)


def 临时路径(path) -> str:
    """A fresh temporary name in the folder of `path`."""
    folder = os.path.dirname(os.path.abspath(os.fspath(path)))
    清理一次(folder)
    return os.path.join(folder, f".tazu-{_MACHINE}-{os.getpid()}-{uuid.uuid4().hex[:12]}.tmp")


def _gone(pid: int) -> bool:
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return True
    except (PermissionError, OverflowError):
        return False
    return False


def 丢弃(path) -> None:
    """Removes a file or a folder, if there is one."""
    path = os.fspath(path)
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path, ignore_errors=True)
    else:
        with contextlib.suppress(FileNotFoundError, NotADirectoryError):
            os.remove(path)


def _stale(folder: str, name: str) -> bool:
    for pattern, tagged in _TEMP_NAMES:
        m = pattern.fullmatch(name)
        if m is None or int(m["pid"]) == 0:
            continue
        if not tagged:
            mine = True
        elif "machine" in pattern.groupindex:
            mine = m["machine"] == _MACHINE
        else:
            mine = m["host"] == _OLD_HOST
        if mine and _gone(int(m["pid"])):
            return True
        try:
            return time.time() - os.lstat(os.path.join(folder, name)).st_mtime > _DAY
        except OSError:
            return False
    return False


def 清理残留(folder, 旧输出=False) -> list[str]:
    """Removes the temporary files and folders in `folder` (not below it) that
    killed runs left: this machine's whose process is gone, and anyone's older
    than a day. With 旧输出 also what the command's earlier versions left in
    its output folders. Returns the removed paths; errors are left for the
    next run."""
    folder = os.fspath(folder)
    try:
        names = os.listdir(folder)
    except OSError:
        return []
    removed = []
    for name in names:
        if _stale(folder, name) or (旧输出 and any(p.fullmatch(name) for p in _OLD_OUTPUT)):
            path = os.path.join(folder, name)
            丢弃(path)
            removed.append(path)
    return removed


def 提交文件(tmp, path) -> None:
    """Moves a finished temporary file to `path`, flushed to the disk first so
    that a crash after the rename cannot leave an empty file there. On failure
    the temporary file is removed and 写入失败 names `path`."""
    try:
        fd = os.open(tmp, os.O_RDONLY)
        try:
            os.fsync(fd)
        finally:
            os.close(fd)
        os.replace(tmp, path)
    except OSError as e:
        丢弃(tmp)
        raise 写入失败.因为(path, e) from None


def _exchange(a: str, b: str) -> bool:
    """Swaps two paths in one step where the system can (Linux renameat2)."""
    try:
        renameat2 = ctypes.CDLL(None, use_errno=True).renameat2
    except (OSError, AttributeError):
        return False
    at_fdcwd, rename_exchange = -100, 2
    renameat2.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_uint]
    return renameat2(at_fdcwd, os.fsencode(a), at_fdcwd, os.fsencode(b), rename_exchange) == 0


def 提交文件夹(tmp, path) -> None:
    """Puts a finished temporary folder in place of `path` as a whole: a reader
    sees the old folder or the new one, never a mix. A file in the way is an
    error (写入失败); the temporary folder is the caller's to discard then."""
    tmp, path = os.fspath(tmp), os.fspath(path)
    try:
        if os.path.isdir(path) and not os.path.islink(path):
            if _exchange(tmp, path):
                丢弃(tmp)  # now holds the old folder
                return
            old = 临时路径(path)
            os.rename(path, old)
            os.rename(tmp, path)
            丢弃(old)
            return
        if os.path.lexists(path):
            raise FileExistsError(errno.EEXIST, "a file of that name is in the way")
        os.rename(tmp, path)
    except OSError as e:
        raise 写入失败.因为(path, e) from None


@contextlib.contextmanager
def 原子写入(path):
    """A temporary path beside `path` to write to; the folder must exist.

    When the block ends normally the file there is flushed and replaces
    `path`; when it raises, the file is removed. A write the system refuses
    (a full disk) becomes 写入失败 naming `path`. Writers that choose a format
    by the file's extension must be told the format: the temporary name has
    none.
    """
    path = os.fspath(path)
    tmp = 临时路径(path)
    try:
        yield tmp
    except OSError as e:
        丢弃(tmp)
        if e.errno is not None and e.filename in (None, tmp) and not isinstance(e, 写入失败):
            raise 写入失败.因为(path, e) from None
        raise
    except BaseException:
        丢弃(tmp)
        raise
    提交文件(tmp, path)


def 写入文本(path, text: str) -> None:
    """Writes `text` as UTF-8 with "\\n" line ends, whole or not at all."""
    with 原子写入(path) as tmp, open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)

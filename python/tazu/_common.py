"""Helpers the platform layer and the reference host share.

One way to read a number, one way to read a pair, one way to write a file so
that a crash never leaves half of it under the final name. Light on purpose:
it imports nothing heavier than the standard library.
"""
from __future__ import annotations

import contextlib
import math
import numbers
import os
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


@contextlib.contextmanager
def 原子写入(path, suffix=""):
    """A temporary path beside `path` to write to.

    When the block ends normally the file there replaces `path`; when it
    raises, the file is removed. The name is short and in the same folder, so
    the rename stays on one file system and tools that cut long paths
    (espeak-ng) still take it; `suffix` keeps the extension writers look at.
    The folder must exist.
    """
    folder = os.path.dirname(os.fspath(path))
    tmp = os.path.join(folder, f".tazu-{os.getpid()}-{uuid.uuid4().hex[:12]}.tmp{suffix}")
    try:
        yield tmp
        os.replace(tmp, path)
    finally:
        with contextlib.suppress(OSError):
            os.remove(tmp)

"""Small helpers the board's parts share: reading records, showing lines, colours."""
from __future__ import annotations

import re
import unicodedata

import pygame


def 取(记录, 键, 默认=None):
    """记录's value under 键 (a dict, or a record answering 获取); 默认 when absent."""
    if isinstance(记录, dict):
        return 记录.get(键, 默认)
    value = 记录.获取(键)
    return 默认 if value is None else value


def 有(记录, 键):
    if isinstance(记录, dict):
        return 键 in 记录
    return 记录.获取(键) is not None


# Callables that also get every line the board shows (a window's status line).
输出监听 = []


def 输出(*values):
    """Show a line through the platform's 输出, or print without a platform."""
    try:
        from tazu.mix import 输出 as platform_output
    except ImportError:  # a host running with another platform layer
        print(*values, flush=True)
    else:
        platform_output(*values)
    for listener in list(输出监听):
        listener(*values)


def 接上模块输出():
    """Let the listeners hear the animation module's lines too.

    The module looks 输出 up in its namespace at every call, so a wrapper put
    there is what it calls; it prints as before and then tells the listeners.
    """
    import tazu.animation as animation

    current = animation.输出
    if getattr(current, "_通知监听", False):
        return

    def 输出(*values, **kw):
        current(*values, **kw)
        for listener in list(输出监听):
            listener(*values)

    输出._通知监听 = True
    animation.输出 = 输出


def 文本化(value):
    """Text the user typed: numbers pass through, text is normalised and trimmed."""
    if isinstance(value, str):
        # Full-width digits and signs from a Chinese input method count too.
        return unicodedata.normalize("NFKC", value).strip()
    return value


def 组件基类(icon):
    """The platform's 游戏组件 among the icon's classes, or None."""
    for cls in type(icon).__mro__:
        if cls.__name__ == "游戏组件":
            return cls
    return None


def 解析颜色(colour):
    """pygame Color of a text colour ("#203080", "203080", a name, (r, g, b)); None if none."""
    if colour in ("", None):
        return None
    if isinstance(colour, str) and re.fullmatch(r"[0-9a-fA-F]{6}", colour):
        colour = "#" + colour
    try:
        return pygame.Color(colour)
    except (ValueError, TypeError):
        return None

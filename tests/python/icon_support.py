"""Helpers for the icon tests: a screen that counts conversions and the icon class."""
from tazu.host import 屏幕

def icon_class():
    from tazu import animation

    return animation.图标


class CountingScreen(屏幕):
    """A screen that records every conversion it is asked for."""

    def __init__(self, *a, **k):
        super().__init__(*a, **k)
        self.calls = []

    def 标准数据转实际画板(self, n):
        self.calls.append(("to_board", n))
        return super().标准数据转实际画板(n)

    def 实际画板转标准数据(self, n):
        self.calls.append(("to_standard", n))
        return super().实际画板转标准数据(n)

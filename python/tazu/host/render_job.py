"""Rendering from the window: the command line's render in a process of its
own, so the window stays responsive, reporting every frame it draws."""
from __future__ import annotations

import math
import multiprocessing
import os
import queue


def _渲染(shot_path, out, fps, messages):
    # A process of its own starts clean: headless, no window of the editor's.
    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    from tazu.cli.errors import CommandError
    from tazu.cli.render import render

    try:
        result = render(shot_path, out, fps=fps, quiet=True, on_frame=lambda: messages.put(("帧", 1)))
    except CommandError as e:
        messages.put(("错", str(e)))
    except Exception as e:  # noqa: BLE001 - reported to the window, which carries on
        messages.put(("错", f"{type(e).__name__}: {e}"))
    else:
        messages.put(("完", result.get("video") or result.get("folder")))


class 渲染任务:
    def __init__(self, 文档路径, 输出文件夹, 帧率, 时长):
        context = multiprocessing.get_context("spawn")
        self._消息 = context.Queue()
        self.总帧数 = int(math.floor(时长 * 帧率 + 1e-9)) + 1
        self.帧数 = 0
        self.结束 = False
        self.错误 = None
        self.结果 = None
        self._进程 = context.Process(target=_渲染, args=(文档路径, 输出文件夹, 帧率, self._消息),
                                   daemon=True)
        self._进程.start()

    @property
    def 进度(self) -> str:
        return f"{self.帧数}/{self.总帧数} 帧（{100 * self.帧数 // max(1, self.总帧数)}%）"

    def 查看(self) -> bool:
        """Take the news from the render; True when there was some."""
        news = self._读()
        if not self.结束 and not self._进程.is_alive():
            # Its last words may still be in the pipe.
            news = self._读(等=0.5) or news
            if not self.结束:
                # Gone without a word: killed, or it crashed before it could say.
                self.错误 = f"渲染进程意外结束（退出码 {self._进程.exitcode}）"
                self.结束 = news = True
        if self.结束:
            self._进程.join(timeout=1)
        return news

    def _读(self, 等=None) -> bool:
        news = False
        while not self.结束:
            try:
                kind, value = self._消息.get(timeout=等) if 等 else self._消息.get_nowait()
            except queue.Empty:
                break
            news = True
            if kind == "帧":
                self.帧数 += value
            elif kind == "错":
                self.错误, self.结束 = value, True
            else:
                self.结果, self.结束 = value, True
        return news

    def 停止(self):
        if self._进程.is_alive():
            self._进程.terminate()
            self._进程.join(timeout=2)
        self.结束 = True

"""Progress of long work: bars on a terminal, plain lines otherwise."""
from __future__ import annotations

import sys
import time


class Progress:
    """Counts shots (and their frames, when known) towards a total."""

    def __init__(self, what: str, total: int, frames: int = 0, quiet: bool = False,
                 stream=None) -> None:
        self.stream = stream or sys.stderr
        self.what, self.total, self.done = what, total, 0
        self.quiet = quiet
        self.started = time.perf_counter()
        self._bars = []
        if not quiet and total and getattr(self.stream, "isatty", lambda: False)():
            from tqdm import tqdm

            self._bars.append(tqdm(total=total, desc=what, unit="shot", file=self.stream,
                                   position=0, leave=False))
            if frames:
                self._bars.append(tqdm(total=frames, desc="frames", unit="frame", file=self.stream,
                                       position=1, leave=False))

    @property
    def terminal(self) -> bool:
        return bool(self._bars)

    def frame(self, count: int = 1) -> None:
        if len(self._bars) > 1:
            self._bars[1].update(count)

    def item(self, message: str, frames: int = 0, frames_seen: bool = False) -> None:
        """One shot finished; `frames` it counted unless they were reported one by one."""
        self.done += 1
        if self._bars:
            self._bars[0].update(1)
            if frames and not frames_seen:
                self.frame(frames)
        elif not self.quiet:
            print(f"[{self.done}/{self.total}] {message}", file=self.stream, flush=True)

    def note(self, message: str) -> None:
        if self.quiet:
            return
        if self._bars:
            from tqdm import tqdm

            tqdm.write(message, file=self.stream)
        else:
            print(message, file=self.stream, flush=True)

    def close(self) -> None:
        for bar in reversed(self._bars):
            bar.close()
        self._bars = []

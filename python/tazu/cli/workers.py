"""Where the work units of a build run: in this process, in a pool of worker
processes, or on a Dask distributed cluster. A work unit is a function of one
plain dict that writes one file and returns a plain dict."""
from __future__ import annotations

import contextlib
import io
import os
import types

from tazu.cli.errors import CommandError


def voice_line(task: dict) -> dict:
    """Voices one storyboard line into its narration file (kept when it
    exists), as the module's batch does for each shot. Returns the status
    lines the module showed."""
    from tazu import animation, mix

    config = types.SimpleNamespace(**task["config"])
    shown = io.StringIO()
    with contextlib.redirect_stdout(shown):
        animation.朗读声音(config, task["text"], task["base"], mix.字典(task["record"]))
    return {"out": task["out"], "lines": shown.getvalue().splitlines()}


def _call(fn, task, on_frame=None):
    return fn(task, on_frame) if on_frame is not None else fn(task)


def _as_completed(futures: dict, as_completed):
    """(index, result or exception) of {future: index} as they end, through the
    executor's own as_completed; what has not run is cancelled when the caller
    stops early."""
    try:
        for future in as_completed(futures):
            try:
                yield futures[future], future.result()
            except Exception as e:  # noqa: BLE001 - handed to the caller with its task
                yield futures[future], e
    finally:
        for future in futures:
            future.cancel()


class Runner:
    """Runs work units and yields (index, result or exception) as they end."""

    def __init__(self, jobs: int = 1, cluster: str | None = None) -> None:
        if not isinstance(jobs, int) or jobs < 1:
            raise CommandError(f"--jobs must be a whole number of at least 1, not {jobs}")
        self.jobs, self.cluster = jobs, cluster
        self._pool = None
        self._client = None

    @property
    def local(self) -> bool:
        return self.jobs == 1 and not self.cluster

    def _start(self):
        if self.cluster:
            if self._client is None:
                try:
                    from distributed import Client
                except ImportError:
                    raise CommandError("--cluster needs the cluster extra: pip install 'tazu[cluster]'") from None
                try:
                    self._client = Client(self.cluster, timeout="20s")
                except (OSError, TimeoutError) as e:
                    raise CommandError(f"cannot reach the Dask scheduler at {self.cluster}: {e}") from None
        elif self._pool is None:
            import concurrent.futures
            import multiprocessing

            # spawn: workers start clean, without this process's pygame or threads
            self._pool = concurrent.futures.ProcessPoolExecutor(
                max_workers=self.jobs, mp_context=multiprocessing.get_context("spawn"))

    def run(self, fn, tasks: list[dict], on_frame=None):
        if not tasks:
            return
        if self.local:
            for k, task in enumerate(tasks):
                try:
                    yield k, _call(fn, task, on_frame)
                except (KeyboardInterrupt, SystemExit):
                    raise
                except BaseException as e:  # noqa: BLE001 - handed to the caller with its task
                    yield k, e
            return
        self._start()
        if self._client is not None:
            from distributed import as_completed

            futures = {self._client.submit(fn, task, pure=False): k for k, task in enumerate(tasks)}
            yield from _as_completed(futures, as_completed)
            return
        import concurrent.futures

        futures = {self._pool.submit(fn, task): k for k, task in enumerate(tasks)}
        yield from _as_completed(futures, concurrent.futures.as_completed)

    def close(self) -> None:
        if self._pool is not None:
            self._pool.shutdown(wait=True, cancel_futures=True)
            self._pool = None
        if self._client is not None:
            self._client.close()
            self._client = None


def cpu_count() -> int:
    return len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else (os.cpu_count() or 1)

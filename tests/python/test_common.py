import errno
import math
import os
import re
import time
from pathlib import Path

import numpy as np
import pytest

from tazu import _common
from tazu._common import 临时路径, 写入失败, 原子写入, 对, 提交文件夹, 数字, 数字错误, 清理残留


@pytest.mark.parametrize("value, kwargs, expected", [
    (3, {}, 3),
    (2.5, {}, 2.5),
    (np.float64(1.5), {}, np.float64(1.5)),
    ("2.5", {}, 2.5),
    (True, {}, 1.0),
    (10**400, {}, 10**400),
    (np.int64(7), {"严格": True}, np.int64(7)),
    (math.inf, {"有限": False}, math.inf),
])
def test_number_accepts(value, kwargs, expected):
    result = 数字(value, "值", **kwargs)
    assert result == expected and type(result) is type(expected)


@pytest.mark.parametrize("value, kwargs, error", [
    ("abc", {}, 数字错误),
    (None, {}, 数字错误),
    ([1], {}, 数字错误),
    ("2", {"严格": True}, 数字错误),
    (True, {"严格": True}, 数字错误),
    (math.nan, {}, ValueError),
    ("inf", {}, ValueError),
])
def test_number_refuses_with_the_name(value, kwargs, error):
    with pytest.raises(error, match="宽度"):
        数字(value, "宽度", **kwargs)


def test_number_error_is_both_type_and_value_error():
    # Callers catch either, as they would around int() and float().
    for kind in (TypeError, ValueError):
        with pytest.raises(kind):
            数字("x")


class _Record:
    def __init__(self, a, b):
        self._items = {0: a, 1: b}

    def 获取(self, key):
        return self._items.get(key)


@pytest.mark.parametrize("value", [(1, 2), [1, 2], np.array([1.0, 2.0]), _Record(1, 2), (1, 2, 3)])
def test_pair_from_sequences_and_records(value):
    assert 对(value) == (1, 2)


def test_pair_converts_each_item():
    assert 对((3, 4), 转换=lambda n: n * 10) == (30, 40)


@pytest.mark.parametrize("value", [None, 5, (1,), (1, "x"), _Record(1, None)])
def test_pair_refuses_what_is_not_two_numbers(value):
    with pytest.raises(TypeError, match="中心"):
        对(value, "中心")


def test_atomic_write_replaces_only_when_done(tmp_path):
    path = tmp_path / "out.txt"
    path.write_text("old")
    with pytest.raises(RuntimeError):
        with 原子写入(path) as tmp:
            assert os.path.dirname(tmp) == str(tmp_path) and tmp.endswith(".tmp")
            with open(tmp, "w") as f:
                f.write("half")
            raise RuntimeError("crash")
    assert path.read_text() == "old" and os.listdir(tmp_path) == ["out.txt"]
    with 原子写入(str(path)) as tmp:
        with open(tmp, "w") as f:
            f.write("new")
    assert path.read_text() == "new" and os.listdir(tmp_path) == ["out.txt"]


def test_a_full_disk_names_the_file_meant_and_keeps_the_old_one(tmp_path):
    """A file size limit stands in for a full disk."""
    import resource
    import signal
    import subprocess
    import sys

    path = tmp_path / "a.json"
    path.write_text("old")

    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (1000, 1000))

    code = ("import sys; from tazu._common import 写入文本, 写入失败\n"
            "try:\n    写入文本(sys.argv[1], 'x' * 5000)\n"
            "except 写入失败 as e:\n    print(e.errno, e.filename, e.strerror)\n")
    done = subprocess.run([sys.executable, "-c", code, str(path)], preexec_fn=limit,
                          capture_output=True, text=True, timeout=60)
    assert done.stdout.split(" ", 2) == [str(errno.EFBIG), str(path), "file too large for the disk "
                                         "or the limit set for this process\n"], done.stderr
    assert path.read_text() == "old" and os.listdir(tmp_path) == ["a.json"]


def test_a_folder_is_swapped_as_a_whole(tmp_path):
    final = tmp_path / "frames"
    final.mkdir()
    (final / "old.png").write_bytes(b"old")
    new = 临时路径(final)
    os.mkdir(new)
    (Path(new) / "new.png").write_bytes(b"new")
    提交文件夹(new, final)
    assert os.listdir(final) == ["new.png"] and os.listdir(tmp_path) == ["frames"]
    blocked = tmp_path / "file"
    blocked.write_bytes(b"x")
    new = 临时路径(blocked)
    os.mkdir(new)
    with pytest.raises(写入失败, match="in the way"):
        提交文件夹(new, blocked)


def _dead_pid():
    import subprocess
    import sys

    p = subprocess.Popen([sys.executable, "-c", "pass"])
    p.wait()
    return p.pid  # free until something reuses it


def test_temporary_names_are_the_cores_and_both_clean_ups_agree(tmp_path):
    """Python's and the core's clean-ups take the same files of a folder: those
    of this machine whose process is gone, and anyone's after a day."""
    from tazu import _audio

    mine = os.path.basename(临时路径(tmp_path / "shot.mp4"))
    assert re.fullmatch(r"\.tazu-[0-9a-f]{8}-\d+-[0-9a-f]+\.tmp", mine)
    tag, me, dead = _common._MACHINE, os.getpid(), _dead_pid()
    other = "00000000" if tag != "00000000" else "11111111"
    stale = [f".tazu-{tag}-{dead}-00ab.tmp", f".tazu-{dead}-7e57a1b2c3d4.tmp.wav",
             f".tazu-{dead}-7e57a1b2c3d4.tmp", f".tazu-{tag}-{dead}-1.tmp.png",
             f".tazu-{other}-{me}-2.tmp"]  # the last one a day old
    kept = [mine, f".tazu-{tag}-{me}-1.tmp", f".tazu-{other}-{dead}-1.tmp", f".tazu-{tag}-0-1.tmp",
            "keep.wav", ".tazu-notes.txt", f".tazu-{tag}-{dead}-1.tmp.png.png"]
    for copy in ("python", "core"):
        folder = tmp_path / copy
        folder.mkdir()
        for name in stale + kept:
            (folder / name).write_bytes(b"x")
        day_ago = time.time() - 25 * 3600
        os.utime(folder / stale[-1], (day_ago, day_ago))
    removed = sorted(os.path.basename(p) for p in 清理残留(tmp_path / "python"))
    assert removed == sorted(stale)
    assert sorted(_audio.remove_stale_temp_files(str(tmp_path / "core"))) == sorted(stale)
    assert sorted(os.listdir(tmp_path / "python")) == sorted(os.listdir(tmp_path / "core")) == sorted(kept)


def test_the_clean_up_takes_earlier_names_and_folders(tmp_path):
    dead = _dead_pid()
    host = _common._OLD_HOST
    gone = [f".tazu-{host}-{dead}-0a1b2c3d-shot.mp4.part", f".tazu-{host}-{dead}-0a1b2c3d-frames.part",
            f".tazu-{_common._MACHINE}-{dead}-1a2b.tmp"]
    kept = [f".tazu-{host}-{os.getpid()}-0a1b2c3d-other.part", "0003.png.tmp.png", ".tmp-shot.mp4"]
    for name in gone + kept:
        if "frames" in name or name.endswith("1a2b.tmp"):
            (tmp_path / name).mkdir()
            (tmp_path / name / "0000.png").write_bytes(b"x")
        else:
            (tmp_path / name).write_bytes(b"x")
    assert sorted(os.path.basename(p) for p in 清理残留(tmp_path)) == sorted(gone)
    # The command's earlier visible names only where it asks for them.
    assert sorted(os.path.basename(p) for p in 清理残留(tmp_path, 旧输出=True)) == sorted(kept[1:])

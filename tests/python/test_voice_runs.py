"""`tazu voice` as a process: killed at random moments and run again, or out
of disk space, it ends with what an uninterrupted run makes, and never leaves a
half-written file under a finished name."""
import json
import os
import random
import resource
import signal
import subprocess
import sys
import time

import pytest

BOARD = [
    {"序号": 1, "文案": "清晨，小镇醒来了。<s>阳光洒在草地上。"},
    {"序号": 2, "文案": "今天<s>天气<s><s>很好！"},
    {"序号": 3, "文案": "这一镜没有声音。", "类型": "静音"},
    {"序号": 4, "文案": "我们去公园吧。<s>公园里有花。"},
    {"序号": 5, "文案": "<s>再见了，朋友们。"},
]
CONFIG = {"分镜文件夹": "分镜", "角色文件夹": "角色", "声音文件夹": "声音", "朗读音量": 100,
          "音色": "cmn", "音调": 50, "情感": "", "语速": 1, "单个停顿符秒数": 0.3}


def make_project(root):
    (root / "分镜").mkdir(parents=True)
    (root / "角色").mkdir()
    (root / "分镜" / "第1集.json").write_text(json.dumps(BOARD, ensure_ascii=False), encoding="utf-8")
    (root / "角色" / "角色.txt").write_text("[]", encoding="utf-8")
    (root / "config.json").write_text(json.dumps(CONFIG, ensure_ascii=False), encoding="utf-8")
    return root


def start(root, preexec_fn=None):
    return subprocess.Popen([sys.executable, "-m", "tazu.cli", "voice", "config.json"], cwd=root,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=preexec_fn)


def contents(folder):
    """Every file under the folder, by relative path, with its bytes."""
    out = {}
    for here, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(here, name)
            with open(path, "rb") as f:
                out[os.path.relpath(path, folder)] = f.read()
    return out


@pytest.fixture(scope="module")
def uninterrupted(tmp_path_factory):
    root = make_project(tmp_path_factory.mktemp("whole"))
    begun = time.monotonic()
    p = start(root)
    out, err = p.communicate(timeout=300)
    assert p.returncode == 0, err.decode()
    files = contents(root / "声音")
    assert sorted(n for n in files if "/" not in n) == sorted(
        f"{b}.{ext}" for b in ["1-清晨小镇醒来了s阳光洒在草地上", "2-今天s天气ss很好", "4-我们去公园吧s公园里有花",
                               "5-s再见了朋友们"] for ext in ("wav", "vtt"))
    return files, time.monotonic() - begun


def test_killed_runs_then_a_rerun_give_the_uninterrupted_result(tmp_path, uninterrupted):
    expected, seconds = uninterrupted
    root = make_project(tmp_path)
    rng = random.Random(20240611)
    moments = sorted(rng.uniform(0.3, seconds) for _ in range(6))
    for moment in moments:
        p = start(root)
        time.sleep(moment)
        p.send_signal(signal.SIGKILL)
        p.communicate()
        # Whatever the kill interrupted, a file under a finished name is whole.
        for name, data in contents(root / "声音").items():
            if not os.path.basename(name).startswith("."):
                assert data == expected[name], f"{name} after a kill at {moment:.2f} s"
    p = start(root)
    out, err = p.communicate(timeout=300)
    assert p.returncode == 0, err.decode()
    assert contents(root / "声音") == expected  # no temporary files either


def limit_file_size(limit):
    def apply():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

    return apply


@pytest.mark.parametrize("limit", [100_000])
@pytest.mark.parametrize("cached", [False, True])
def test_a_full_disk_is_a_clear_error_and_loses_nothing(tmp_path, uninterrupted, limit, cached):
    """A file size limit stands in for the disk filling up: every write past it
    fails, as it would on a full disk. (The speech engine stops at the limit
    too; with its clips cached, the run's own writes meet it.)"""
    expected, _ = uninterrupted
    root = make_project(tmp_path)
    if cached:
        for name, data in expected.items():
            if name.startswith("原始"):
                (root / "声音" / name).parent.mkdir(parents=True, exist_ok=True)
                (root / "声音" / name).write_bytes(data)
    p = start(root, preexec_fn=limit_file_size(limit))
    out, err = p.communicate(timeout=300)
    err = err.decode()
    assert p.returncode != 0
    assert err.startswith("tazu: ") and len(err.splitlines()) == 1 and "Traceback" not in err
    if cached:
        assert "File too large" in err
    for name, data in contents(root / "声音").items():
        assert data == expected[name]  # whole, or not there at all
    p = start(root)
    out, err = p.communicate(timeout=300)
    assert p.returncode == 0, err.decode()
    assert contents(root / "声音") == expected

import os

import pytest


def test_module_imports_mix_names_and_numpy():
    import numpy
    from tazu import animation, mix

    assert animation.numpy is numpy
    assert animation.游戏组件 is mix.游戏组件


def test_relative_path_uses_directory_at_import(tmp_path, monkeypatch):
    from tazu import animation

    start = animation.tazu_current_directory
    inside = os.path.join(start, "a", "b.png")
    assert animation.转相对路径(inside) == os.path.join("a", "b.png")
    monkeypatch.chdir(tmp_path)
    assert animation.tazu_current_directory == start
    assert animation.转相对路径(inside) == os.path.join("a", "b.png")
    outside = str(tmp_path / "c.png")
    assert animation.转相对路径(outside) == os.path.relpath(outside, start)

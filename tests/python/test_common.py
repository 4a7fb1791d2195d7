import math
import os

import numpy as np
import pytest

from tazu._common import 原子写入, 对, 数字, 数字错误


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
        with 原子写入(path, ".txt") as tmp:
            assert os.path.dirname(tmp) == str(tmp_path) and tmp.endswith(".txt")
            with open(tmp, "w") as f:
                f.write("half")
            raise RuntimeError("crash")
    assert path.read_text() == "old" and os.listdir(tmp_path) == ["out.txt"]
    with 原子写入(str(path)) as tmp:
        with open(tmp, "w") as f:
            f.write("new")
    assert path.read_text() == "new" and os.listdir(tmp_path) == ["out.txt"]

import json

import pygame
import pytest

from tazu import mix
from tazu.mix import 列表, 字典, 文本, 游戏矩形


def test_exports_are_declared_and_present():
    for name in mix.__all__:
        assert hasattr(mix, name), name
    assert mix.Image.__name__ == "PIL.Image"
    assert mix.UISelectionList.__name__ == "UISelectionList"


def test_list_operations():
    xs = 列表()
    assert not xs and xs.长 == 0
    xs.添加("a")
    xs.添加("c")
    xs.插入(1, "b")
    xs.插入(xs.长, "d")  # index equal to the length appends
    assert list(xs) == ["a", "b", "c", "d"] and xs
    assert xs.获取(-1) == "d" and xs.获取(0) == "a"
    xs.替换(0, "A")
    xs.删除序号(1)
    assert xs.弹出() == "d"
    assert xs.main_list == ["A", "c"]
    assert xs.索引("c") == 1 and xs.索引("zz") < 0
    assert 列表([1, 2, 3]).连文("-") == "1-2-3"
    with pytest.raises(IndexError, match="超出范围"):
        列表().获取(0)


def test_dict_keeps_order_and_behaves_as_mapping():
    d = 字典({"b": 1})
    d.填写("a", 2)
    d.填写("b", 3)
    assert list(d.所有键()) == ["b", "a"]
    assert d.获取("a") == 2 and d.获取("zz") is None and d.获取("zz", 7) == 7
    assert "a" in d and len(d) == 2 and list(d) == ["b", "a"]
    assert d == {"b": 3, "a": 2} and d == 字典({"a": 2, "b": 3})
    assert json.loads(json.dumps(d)) == {"b": 3, "a": 2}
    assert not 字典() and "字典" in repr(d)
    copy = 字典(d)
    copy.填写("a", 0)
    assert d.获取("a") == 2


@pytest.mark.parametrize(
    "text, sep, pieces",
    [("镜头1_走路_2", "_", ["镜头1", "走路", "2"]), ("走路", "_", ["走路"]), ("a b  c", None, ["a", "b", "c"])],
)
def test_text_split(text, sep, pieces):
    parts = 文本(text).拆分(sep)
    assert isinstance(parts, 列表) and list(parts) == pieces
    assert parts.获取(-1) == pieces[-1]


def test_rect_attributes_and_non_compounding_scale():
    r = 游戏矩形(10, 30, 5, 45)
    assert (r.左, r.右, r.上, r.下, r.宽, r.高, r.面积) == (10, 30, 5, 45, 20, 40, 800)
    r.set_scale_ratio(2)
    r.set_scale_ratio(2)
    assert (r.左, r.上, r.宽, r.高) == (20, 10, 40, 80)
    assert r.to_rect() == pygame.Rect(20, 10, 40, 80)
    r.set_scale_ratio(0.5)
    assert (r.左, r.上, r.宽, r.高) == (5, 2.5, 10, 20)
    kw = 游戏矩形(左=1, 右=4, 上=2, 下=8)
    assert kw.to_rect() == pygame.Rect(1, 2, 3, 6)
    with pytest.raises(TypeError):
        游戏矩形("a", 1, 2, 3)

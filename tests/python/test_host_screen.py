import pygame
import pytest
from PIL import Image

from tazu.host import 事件, 屏幕, 解析混合模式
from tazu.mix import 游戏矩形


@pytest.mark.parametrize("value", [7, 7.5, -3, 0])
def test_ratio_one_hands_values_back_unchanged(screen, value):
    for convert in (screen.标准数据转实际画板, screen.实际画板转标准数据):
        out = convert(value)
        assert out == value and type(out) is type(value)


def test_ratio_two_converts_both_ways():
    s = 屏幕(100, 100, 适配比例=2)
    assert s.标准数据转实际画板(10) == 20
    assert s.实际画板转标准数据(20) == 10
    assert s.实际画板转标准数据(s.标准数据转实际画板(3.25)) == 3.25
    assert s._fit_ratio == 2
    assert 屏幕(10, 10, 适配比例=2, 显示比例=1.5)._fit_ratio == 1.5


@pytest.mark.parametrize("bad", [None, "12", True, (1, 2)])
def test_conversion_refuses_non_numbers(screen, bad):
    with pytest.raises(TypeError):
        screen.标准数据转实际画板(bad)


@pytest.mark.parametrize("ratio", [0, -1, float("nan"), "2"])
def test_fit_ratio_must_be_positive(ratio):
    with pytest.raises(ValueError):
        屏幕(10, 10, 适配比例=ratio)


def _solid(colour, size=(4, 4), alpha=False):
    s = pygame.Surface(size, pygame.SRCALPHA if alpha else 0)
    s.fill(colour)
    return s


@pytest.mark.parametrize("rect", [游戏矩形(10, 14, 20, 24), pygame.Rect(10, 20, 4, 4), (10, 20)])
def test_paste_puts_picture_at_rect_top_left(screen, rect):
    screen.screen.fill((0, 0, 0))
    screen.粘贴(_solid((0, 255, 0)), rect)
    assert screen.screen.get_at((10, 20))[:3] == (0, 255, 0)
    assert screen.screen.get_at((13, 23))[:3] == (0, 255, 0)
    assert screen.screen.get_at((9, 20))[:3] == (0, 0, 0)
    assert screen.screen.get_at((14, 24))[:3] == (0, 0, 0)


def test_paste_takes_a_component_image(screen):
    class Holder:
        image = _solid((1, 2, 3))

    screen.粘贴(Holder(), (0, 0))
    assert screen.screen.get_at((1, 1))[:3] == (1, 2, 3)
    with pytest.raises(TypeError):
        screen.粘贴(object(), (0, 0))


# destination (200, 100, 50) under source (100, 200, 0)
@pytest.mark.parametrize("mode, expected", [
    ("正常", (100, 200, 0)),
    (0, (100, 200, 0)),
    ("正片叠底", (78, 78, 0)),
    ("multiply", (78, 78, 0)),
    ("叠加", (255, 255, 50)),
    ("减去", (100, 0, 50)),
    ("变暗", (100, 100, 0)),
    ("变亮", (200, 200, 50)),
    ("滤色", (222, 222, 50)),
    (pygame.BLEND_RGB_ADD, (255, 255, 50)),
])
def test_blend_modes(screen, mode, expected):
    screen.screen.fill((200, 100, 50))
    screen.粘贴(_solid((100, 200, 0)), (5, 5), mode=mode)
    got = screen.screen.get_at((6, 6))[:3]
    assert all(abs(a - b) <= 2 for a, b in zip(got, expected)), got
    assert screen.screen.get_at((0, 0))[:3] == (200, 100, 50)


@pytest.mark.parametrize("mode", ["正片叠底", "叠加", "减去", "变暗", "变亮", "滤色"])
def test_blend_leaves_transparent_parts_alone(screen, mode):
    screen.screen.fill((200, 100, 50))
    picture = _solid((0, 0, 0, 0), alpha=True)
    picture.fill((255, 255, 255, 255), pygame.Rect(0, 0, 2, 4))
    screen.粘贴(picture, (0, 0), mode=mode)
    assert screen.screen.get_at((3, 1))[:3] == (200, 100, 50)


def test_screen_blend_is_clipped_at_the_edge(screen):
    screen.screen.fill((100, 100, 100))
    screen.粘贴(_solid((100, 100, 100), (10, 10)), (1275, 715), mode="滤色")
    assert screen.screen.get_at((1279, 719))[:3] == (161, 161, 161)


@pytest.mark.parametrize("mode", ["溶解", "", 12345, 1.5])
def test_unknown_blend_mode_is_refused(screen, mode):
    if mode == "":  # empty text is the plain paste
        assert 解析混合模式(mode) is None
        return
    with pytest.raises(ValueError, match="混合模式"):
        screen.粘贴(_solid((1, 1, 1)), (0, 0), mode=mode)


def test_rectangle_filled_and_outlined(screen):
    screen.screen.fill((0, 0, 0))
    screen.长方形((255, 0, 0), 游戏矩形(10, 30, 10, 30), 0)
    assert screen.screen.get_at((20, 20))[:3] == (255, 0, 0)
    screen.screen.fill((0, 0, 0))
    screen.长方形((255, 0, 0), 游戏矩形(10, 30, 10, 30), 2)
    assert screen.screen.get_at((10, 20))[:3] == (255, 0, 0)
    assert screen.screen.get_at((20, 20))[:3] == (0, 0, 0)


def test_circle(screen):
    screen.screen.fill((0, 0, 0))
    screen.圆形((0, 255, 0), (50, 50), 半径=10, 线条宽度=0)
    assert screen.screen.get_at((50, 50))[:3] == (0, 255, 0)
    screen.screen.fill((0, 0, 0))
    screen.圆形((0, 255, 0), (50, 50), 半径=10, 线条宽度=2)
    assert screen.screen.get_at((50, 50))[:3] == (0, 0, 0)
    assert screen.screen.get_at((59, 50))[:3] == (0, 255, 0)


@pytest.mark.parametrize("mode, pixel, expected", [
    ("RGB", (10, 20, 30), (10, 20, 30, 255)),
    ("RGBA", (10, 20, 30, 40), (10, 20, 30, 40)),
    ("L", 90, (90, 90, 90, 255)),
])
def test_pillow_to_image(screen, mode, pixel, expected):
    surface = screen.pillow_to_image(Image.new(mode, (3, 2), pixel))
    assert surface.get_size() == (3, 2)
    assert tuple(surface.get_at((2, 1))) == expected


def test_ui_manager_fits_the_screen_and_pumps_events(screen):
    assert screen.ui_manager.window_resolution == (1280, 720)
    click = pygame.event.Event(pygame.MOUSEBUTTONUP, pos=(5, 6), button=3)
    (e,) = screen.处理事件([click])
    assert (e.坐标, e.按钮, e.原始) == ((5, 6), 3, click)
    screen.更新界面(0.016)


@pytest.mark.parametrize("event, fields", [
    (pygame.event.Event(pygame.MOUSEBUTTONDOWN, pos=(1, 2), button=1), {"坐标": (1, 2), "按钮": 1}),
    (pygame.event.Event(pygame.MOUSEMOTION, pos=(3, 4), rel=(0, 0), buttons=(0, 0, 1)),
     {"坐标": (3, 4), "按钮": 3}),
    (pygame.event.Event(pygame.MOUSEWHEEL, x=0, y=-2), {"纵坐标": -2}),
    (pygame.event.Event(pygame.KEYDOWN, key=pygame.K_LEFT, mod=0), {"键盘": pygame.K_LEFT}),
])
def test_event_wrapping(event, fields):
    e = 事件.来自(event)
    for name, value in fields.items():
        assert getattr(e, name) == value

import numpy
import pygame
import pytest

from tazu.mix import rotate_vector, 游戏组件, 游戏矩形

RED, BLUE = (255, 0, 0, 255), (0, 0, 255, 255)


def two_colour_picture(w=40, h=20):
    """Left half red, right half blue."""
    s = pygame.Surface((w, h), pygame.SRCALPHA)
    s.fill(RED, pygame.Rect(0, 0, w // 2, h))
    s.fill(BLUE, pygame.Rect(w // 2, 0, w - w // 2, h))
    return s


def shown(c, size=(300, 300)):
    """The component pasted at its rectangle, as a user would see it."""
    canvas = pygame.Surface(size, pygame.SRCALPHA)
    canvas.blit(c.image, (round(c.矩形.左), round(c.矩形.上)))
    return canvas


def colour_at(canvas, x, y):
    return tuple(canvas.get_at((round(x), round(y))))


def test_rotate_vector_turns_clockwise_on_screen():
    v = rotate_vector((1, 0), 90)
    assert isinstance(v, numpy.ndarray)
    assert v == pytest.approx((0, 1))


def test_construction_from_surface_path_and_rect(tmp_path):
    c = 游戏组件(two_colour_picture())
    assert (c.x, c.y, c.宽, c.高, c.w, c.h) == (0, 0, 40, 20, 40, 20)
    path = tmp_path / "p.png"
    pygame.image.save(two_colour_picture(), str(path))
    c = 游戏组件(str(path), 矩形=游戏矩形(5, 85, 10, 50))
    assert (c.x, c.y, c.w, c.h) == (5, 10, 80, 40) and c.origin_image.get_size() == (80, 40)
    assert (c.origin_x, c.origin_y, c.scale_ratio, c.rotate_angle) == (5, 10, 1, 0)
    empty = 游戏组件(None)
    assert empty.image.get_at((0, 0)).a == 0
    with pytest.raises(FileNotFoundError, match="nope.png"):
        游戏组件(str(tmp_path / "nope.png"))


def test_move_keeps_size_and_carries_origin():
    c = 游戏组件(two_colour_picture())
    c.移动(150, 40, 初始=True)
    assert (c.x, c.y, c.横坐标, c.纵坐标, c.origin_x, c.origin_y) == (150, 40, 150, 40, 150, 40)
    assert (c.矩形.左, c.矩形.上, c.矩形.宽, c.矩形.高) == (150, 40, 40, 20)
    assert c.是否在矩形内((150, 40), c.矩形) and not c.是否在矩形内((190, 40), c.矩形)


def test_quarter_turn_about_a_pivot_lands_where_expected():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100)
    c.旋转(90, 旋转轴位置=(100, 100))  # about the top-left corner
    canvas = shown(c)
    # A picture point p (relative to the pivot) shows at pivot + rotate_vector(p, -90).
    for point, colour in (((10, 10), RED), ((30, 10), BLUE)):
        x, y = numpy.array((100, 100)) + rotate_vector(point, -90)
        assert colour_at(canvas, x, y) == colour
    assert (c.w, c.h) == (20, 40) and (c.x, c.y) == (100, 60)
    assert c.rotate_angle == 90 and c.rotate_pivot == (100, 100)


def test_rotation_matches_pygame_direction_and_is_absolute():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100)
    c.旋转(90)
    c.旋转(90)  # still a quarter turn
    canvas = shown(c)
    # The centre (120, 110) stays; the blue right half is now on top.
    assert colour_at(canvas, 120, 110 - 15) == BLUE
    assert colour_at(canvas, 120, 110 + 15) == RED
    c.旋转(0)
    assert (c.x, c.y, c.w, c.h) == (100, 100, 40, 20)


def test_scale_keeps_centre_and_is_absolute():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100)
    c.缩放(2)
    c.缩放(2)
    assert (c.w, c.h) == (80, 40)
    assert (c.x + c.w / 2, c.y + c.h / 2) == (120, 110)
    canvas = shown(c)
    assert colour_at(canvas, 85, 110) == RED and colour_at(canvas, 155, 110) == BLUE
    c.缩放(1, 缩放中心=(0, 0))
    assert (c.x, c.y, c.w, c.h) == (100, 100, 40, 20)


def test_scale_about_a_point_and_from_the_origin():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100, 初始=True)
    c.缩放(0.5, 缩放中心=(100, 100))  # top-left stays
    assert (c.x, c.y, c.w, c.h) == (100, 100, 20, 10)
    # From the origin, about the own centre: the unscaled picture's centre is kept.
    c.origin_x, c.origin_y = 200, 200
    c.缩放(2, 初始=True)
    assert (c.x, c.y, c.w, c.h) == (180, 190, 80, 40)
    c.缩放(2, 初始=True, 缩放中心=(200, 200))
    assert (c.x, c.y) == (200, 200)


def test_scale_keeps_rotation_about_pivot():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100)
    c.旋转(90, 旋转轴位置=(120, 110))
    c.缩放(2)
    assert c.rotate_angle == 90 and (c.w, c.h) == (40, 80)
    assert (c.x + c.w / 2, c.y + c.h / 2) == (120, 110)


def test_passive_scaling_places_centre_on_group_vector():
    c = 游戏组件(two_colour_picture())
    c.移动(0, 0)
    c.被动缩放(缩放比例=2, 大盘中心=(200, 100), 大盘向量=(10, -5), 原始缩放比例=1)
    assert (c.w, c.h) == (80, 40)
    assert (c.x + c.w / 2, c.y + c.h / 2) == (220, 90)
    c.被动缩放(缩放比例=1, 大盘中心=(200, 100), 大盘向量=(10, -5), 原始缩放比例=1)
    assert (c.x + c.w / 2, c.y + c.h / 2) == (210, 95) and c.w == 40


def test_replace_and_refresh_keep_placement(tmp_path):
    path = tmp_path / "p.png"
    pygame.image.save(two_colour_picture(), str(path))
    c = 游戏组件(str(path))
    c.移动(50, 60)
    c.缩放(2, 缩放中心=(50, 60))
    green = pygame.Surface((40, 20))
    green.fill((0, 255, 0))
    pygame.image.save(green, str(path))
    assert c.替换图片(str(path)) is True  # same path: kept as is
    assert tuple(c.image.get_at((0, 0)))[:3] == (255, 0, 0)
    assert c.刷新图片(str(path)) is True
    assert tuple(c.image.get_at((0, 0)))[:3] == (0, 255, 0)
    assert (c.x, c.y, c.w, c.h, c.scale_ratio) == (50, 60, 80, 40, 2)
    assert c.替换图片(None) is False


# A picture too large to hold, or a place beyond what pygame can draw at, is
# refused before anything changes rather than failing at every later draw.
@pytest.mark.parametrize("call", [
    lambda c: c.缩放(-1),
    lambda c: c.缩放(float("nan")),
    lambda c: c.缩放("x"),
    lambda c: c.缩放(100000),
    lambda c: c.缩放(1e308, 初始=True),
    lambda c: c.被动缩放(5000, (0, 0), (1, 1), 1),
    lambda c: c.移动(10**20, 5),
    lambda c: c.移动(5, -(2**31)),
])
def test_bad_scale_or_place_is_refused_and_changes_nothing(call):
    c = 游戏组件(two_colour_picture())
    c.移动(3, 4)
    with pytest.raises((ValueError, TypeError)):
        call(c)
    assert (c.x, c.y, c.w, c.h, c.scale_ratio) == (3, 4, 40, 20, 1)
    assert c.image.get_size() == (40, 20)


@pytest.mark.parametrize("angle", [0, 15, 45.5, 90, -90, 180, 270.0, 333, -721.3])
@pytest.mark.parametrize("size", [(40, 20), (7, 13), (1, 1)])
def test_picture_and_rectangle_agree_after_any_turn(size, angle):
    c = 游戏组件(two_colour_picture(*size))
    c.移动(30, 40)
    c.缩放(1.5)
    c.旋转(angle, 旋转轴位置=(31, 41))
    predicted = (c.w, c.h)
    assert c.image.get_size() == predicted == (c.矩形.宽, c.矩形.高)


def test_written_picture_shows_until_next_transform():
    c = 游戏组件(two_colour_picture())
    frame = pygame.Surface((40, 20))
    c.origin_image = frame
    c.image = frame
    assert c.image is frame
    c.缩放(2)
    assert c.image.get_size() == (80, 40) and c.image is not frame


def test_empty_pivot_means_own_centre():
    c = 游戏组件(two_colour_picture())
    c.移动(100, 100)
    c.旋转(90, 旋转轴位置="")
    assert (c.x + c.w / 2, c.y + c.h / 2) == (120, 110) and c.rotate_pivot == ""
    c.移动(0, 0)
    assert c.rotate_pivot == ""


def test_player_sequence_origin_scale_about_pivot_then_turn():
    # Set the origin, scale from it about a pivot, turn about the same pivot:
    # the picture point under the pivot stays there, the rest scales and turns.
    c = 游戏组件(two_colour_picture())
    c.移动(500, 500)  # somewhere else first; the origin written below decides
    c.origin_x, c.origin_y = 100, 100
    pivot = (110, 105)  # picture point (10, 5), red half
    c.缩放(2, 初始=True, 缩放中心=pivot)
    assert (c.x, c.y, c.w, c.h) == (90, 95, 80, 40)
    c.旋转(90, 旋转轴位置=pivot)
    canvas = shown(c)
    # Picture point (30, 5) is 20 px right of the pivot before scaling: 40 px after.
    for offset, colour in (((-10, 0), RED), ((40, 0), BLUE), ((5, 0), RED)):
        x, y = numpy.array(pivot) + rotate_vector(offset, -90)
        assert colour_at(canvas, x, y) == colour
    assert c.origin_x == 100 and c.scale_ratio == 2

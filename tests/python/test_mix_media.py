import os

import cv2
import numpy
import pygame
import pytest
from PIL import Image

from tazu.mix import draw_bar_heights, file_to_md5, font_file, get_image_bit_depth, 抓取图片, 抓取视频, 游戏字体
from tazu.mix import 删除, 是否存在, 是否文件夹, 是否视频, 路径, 遍历文件夹, 报数


@pytest.mark.parametrize("mode, bits", [("RGB", 24), ("RGBA", 32), ("P", 8), ("L", 8)])
def test_bit_depth(tmp_path, mode, bits):
    path = tmp_path / f"{mode}.png"
    Image.new(mode, (4, 3)).save(path)
    assert get_image_bit_depth(str(path)) == bits


def test_font_draws_chinese():
    path = font_file()
    assert os.path.isfile(path)
    font = pygame.font.Font(path, 24)
    glyph = font.render("中文", True, (255, 255, 255))
    assert glyph.get_width() > 24 and pygame.transform.average_color(glyph)[:3] != (0, 0, 0)


def test_bars_are_drawn_centred_and_scaled():
    s = draw_bar_heights([1.0, 0.0, 0.5], 30, 20, 3)
    assert s.get_size() == (30, 20)

    def column(x):
        return [s.get_at((x, y)).a > 0 for y in range(20)]

    assert all(column(4))  # full-scale bar fills the height
    assert not any(column(14))  # silent slot stays empty
    assert column(24) == [5 <= y < 15 for y in range(20)]  # half bar, centred
    # Integer-sample peaks are scaled to the largest bar.
    loud = draw_bar_heights([32767, 16000], 20.6, 10.2, 2)
    assert loud.get_size() == (21, 10) and loud.get_at((2, 0)).a > 0
    assert draw_bar_heights([], 10, 10, 0).get_size() == (10, 10)


def test_grab_picture_and_video(tmp_path):
    pic = tmp_path / "p.png"
    Image.new("RGBA", (7, 5), (10, 20, 30, 255)).save(pic)
    p = 抓取图片(str(pic))
    assert (p.宽, p.高) == (7, 5) and p.surface.get_size() == (7, 5)

    video = tmp_path / "v.avi"
    writer = cv2.VideoWriter(str(video), cv2.VideoWriter_fourcc(*"MJPG"), 10, (32, 24))
    for i in range(6):
        writer.write(numpy.full((24, 32, 3), i * 40, numpy.uint8))
    writer.release()
    v = 抓取视频(str(video))
    assert v.尺寸 == (32, 24) and v.fps == pytest.approx(10) and v.帧数 == 6
    assert v.时长 == pytest.approx(0.6)
    assert v.读取帧(2).get_size() == (32, 24) and v.读取帧(99) is None
    v.关闭()

    with pytest.raises(FileNotFoundError):
        抓取视频(str(tmp_path / "none.mp4"))
    junk = tmp_path / "junk.mp4"
    junk.write_bytes(b"not a video at all" * 10)
    with pytest.raises(OSError, match="无法打开视频|没有画面"):
        抓取视频(str(junk))


def test_file_helpers(tmp_path):
    f = tmp_path / "a.MP4"
    f.write_bytes(b"abc")
    assert 是否存在(str(f)) and not 是否存在(None) and not 是否存在("")
    assert 是否文件夹(str(tmp_path)) and not 是否文件夹(str(f))
    assert 是否视频(str(f)) and not 是否视频("a.png") and not 是否视频(None)
    assert file_to_md5(str(f)) == "900150983cd24fb0d6963f7d28e17f72"
    assert 路径(str(tmp_path), "a.MP4") == str(f)
    (tmp_path / "b.txt").write_text("x")
    (tmp_path / ".DS_Store").write_text("x")
    assert list(遍历文件夹(str(tmp_path))) == ["a.MP4", "b.txt"]
    assert 删除(str(f)) is True and not f.exists() and 删除(str(f)) is False
    with pytest.raises(IsADirectoryError):
        删除(str(tmp_path))
    assert list(报数("ab")) == [(0, "a"), (1, "b")]


# A missing folder setting must not become a folder named "None".
@pytest.mark.parametrize("parts", [("folder", None), (None, "a.wav"), ("a", "b", None)])
def test_path_refuses_missing_parts(parts):
    with pytest.raises(TypeError, match="路径"):
        路径(*parts)


def test_path_joins_numbers_and_path_objects(tmp_path):
    assert 路径(tmp_path, 3, "a.wav") == os.path.join(str(tmp_path), "3", "a.wav")


def test_font_renders_a_placeable_component():
    text = 游戏字体(大小=20).渲染("第一行\n二")
    assert text.宽 > 40 and text.高 > 40  # two lines
    text.移动(10, 20)
    assert (text.x, text.y) == (10, 20) and text.矩形.宽 == text.宽
    with pytest.raises(ValueError):
        游戏字体(大小=0)


# ----- pictures as image viewers show them -------------------------------------------------

from tazu.mix import load_picture, pillow_to_surface  # noqa: E402
from tazu.mix import 游戏组件  # noqa: E402

QUADRANTS = ((255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0))


def upright_reference():
    """40 × 20, a different colour in each quarter: any turn or flip shows."""
    image = Image.new("RGB", (40, 20))
    for i, colour in enumerate(QUADRANTS):
        image.paste(colour, ((i % 2) * 20, (i // 2) * 10, (i % 2) * 20 + 20, (i // 2) * 10 + 10))
    return image


# What a camera stores for each EXIF orientation: the upright picture undone.
STORED = {
    1: None,
    2: Image.Transpose.FLIP_LEFT_RIGHT,
    3: Image.Transpose.ROTATE_180,
    4: Image.Transpose.FLIP_TOP_BOTTOM,
    5: Image.Transpose.TRANSPOSE,
    6: Image.Transpose.ROTATE_90,
    7: Image.Transpose.TRANSVERSE,
    8: Image.Transpose.ROTATE_270,
}


def surface_colour(surface, x, y):
    return tuple(surface.get_at((x, y)))


@pytest.mark.parametrize("orientation", range(1, 9))
@pytest.mark.parametrize("ext", ["png", "jpg"])
def test_exif_orientation_is_applied(tmp_path, orientation, ext):
    upright = upright_reference()
    stored = upright if STORED[orientation] is None else upright.transpose(STORED[orientation])
    exif = Image.Exif()
    exif[0x0112] = orientation
    path = str(tmp_path / f"o{orientation}.{ext}")
    stored.save(path, exif=exif, **({"quality": 95} if ext == "jpg" else {}))
    surface = load_picture(path)
    assert surface.get_size() == (40, 20)
    assert 抓取图片(path).尺寸 == (40, 20)
    tol = 0 if ext == "png" else 40
    for i, colour in enumerate(QUADRANTS):
        got = surface_colour(surface, (i % 2) * 20 + 10, (i // 2) * 10 + 5)
        assert all(abs(a - b) <= tol for a, b in zip(got, colour + (255,))), (i, got)


def grey16_ramp():
    # 0 … 65535 across 256 columns: a viewer shows a ramp from black to white.
    values = (numpy.arange(256, dtype=numpy.uint16) * 257)[None, :].repeat(4, 0)
    return Image.fromarray(values)


def palette_with_hole():
    image = Image.new("P", (8, 8), 1)
    image.putpalette([0, 0, 0, 200, 30, 40] + [0] * 762)
    image.paste(0, (0, 0, 4, 8))
    image.info["transparency"] = 0
    return image


@pytest.mark.parametrize("make, ext, at, expected, tol", [
    (lambda: Image.new("RGB", (8, 8), (220, 20, 30)).convert("CMYK"), "jpg", (4, 4), (220, 20, 30, 255), 12),
    (lambda: Image.new("RGB", (8, 8), (220, 20, 30)).convert("CMYK"), "tif", (4, 4), (220, 20, 30, 255), 2),
    (grey16_ramp, "png", (128, 1), (128, 128, 128, 255), 1),
    (grey16_ramp, "png", (255, 1), (255, 255, 255, 255), 0),
    (grey16_ramp, "tif", (64, 1), (64, 64, 64, 255), 1),
    (lambda: Image.new("L", (8, 8), 77), "png", (1, 1), (77, 77, 77, 255), 0),
    (lambda: Image.new("LA", (8, 8), (77, 100)), "png", (1, 1), (77, 77, 77, 100), 0),
    (lambda: Image.new("1", (8, 8), 1), "png", (1, 1), (255, 255, 255, 255), 0),
    (palette_with_hole, "png", (1, 1), (0, 0, 0, 0), 0),
    (palette_with_hole, "png", (6, 1), (200, 30, 40, 255), 0),
    (palette_with_hole, "gif", (1, 1), (0, 0, 0, 0), 0),
    (lambda: Image.new("RGBA", (8, 8), (1, 2, 3, 4)), "png", (1, 1), (1, 2, 3, 4), 0),
])
def test_picture_modes_show_their_colours(tmp_path, make, ext, at, expected, tol):
    path = str(tmp_path / f"picture.{ext}")
    make().save(path)
    surface = load_picture(path)
    got = surface_colour(surface, *at)
    if expected[3] == 0:
        assert got[3] == 0
    else:
        assert all(abs(a - b) <= tol for a, b in zip(got, expected)), got
    assert surface.get_flags() & pygame.SRCALPHA


@pytest.mark.parametrize("mode", ["RGB", "P", "L", "RGBA", "I;16", "CMYK"])
def test_every_converted_frame_carries_alpha(mode):
    surface = pillow_to_surface(Image.new(mode, (5, 4)))
    assert surface.get_size() == (5, 4) and surface.get_flags() & pygame.SRCALPHA


def test_a_turned_picture_without_alpha_keeps_transparent_corners():
    opaque = pygame.Surface((40, 20))
    opaque.fill((255, 0, 0))
    part = 游戏组件(opaque)
    part.旋转(45)
    assert part.image.get_at((0, 0)).a == 0
    assert tuple(part.image.get_at((part.w // 2, part.h // 2))) == (255, 0, 0, 255)


@pytest.fixture
def bad_pictures(tmp_path):
    good = tmp_path / "good.png"
    Image.effect_noise((64, 64), 40).save(good)
    data = good.read_bytes()
    jpeg = tmp_path / "good.jpg"
    Image.effect_noise((64, 64), 40).convert("RGB").save(jpeg)
    files = {
        "empty.png": b"",
        "cut.png": data[: len(data) // 2],
        "cut.jpg": jpeg.read_bytes()[:400],
        "text.png": b"hello, not a picture\n" * 5,
    }
    for name, content in files.items():
        (tmp_path / name).write_bytes(content)
    (tmp_path / "folder.png").mkdir()
    return tmp_path


@pytest.mark.parametrize("name, error", [
    ("empty.png", OSError), ("cut.png", OSError), ("cut.jpg", OSError), ("text.png", OSError),
    ("folder.png", IsADirectoryError), ("missing.png", FileNotFoundError)])
@pytest.mark.parametrize("read", [
    load_picture, 游戏组件, lambda p: 抓取图片(p).surface,
    # Reads the header only: a cut picture passes until it is decoded.
    lambda p: get_image_bit_depth(p) if "cut" not in p else load_picture(p)])
def test_unreadable_pictures_name_the_file(bad_pictures, name, error, read):
    path = str(bad_pictures / name)
    with pytest.raises(error) as e:
        read(path)
    assert path in str(e.value)


def test_pictures_over_the_pixel_limit_are_refused_by_name(tmp_path, monkeypatch):
    path = str(tmp_path / "bomb.png")
    Image.new("RGB", (100, 100)).save(path)
    monkeypatch.setattr(Image, "MAX_IMAGE_PIXELS", 5000)
    for read in (load_picture, 抓取图片, get_image_bit_depth):
        with pytest.raises(Image.DecompressionBombError, match="bomb.png"):
            read(path)


def test_a_real_decompression_bomb_is_refused_before_it_is_decoded(tmp_path):
    # A header claiming 20000 × 20000 (1.6 GB decoded); the data is never reached.
    path = tmp_path / "bomb.png"
    import struct
    import zlib

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    side = 20000
    raw = zlib.compress(b"\0" * (side * 3 + 1) * 4)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
                     + chunk(b"IDAT", raw) + chunk(b"IEND", b""))
    with pytest.raises(Image.DecompressionBombError, match="bomb.png"):
        load_picture(str(path))


def test_a_folder_named_like_a_video_is_called_a_folder(tmp_path):
    folder = tmp_path / "x.mp4"
    folder.mkdir()
    with pytest.raises(IsADirectoryError) as e:
        抓取视频(str(folder))
    assert "文件夹" in str(e.value) and "不存在" not in str(e.value)


@pytest.mark.parametrize("mode, ext", [
    ("RGB", "png"), ("RGBA", "png"), ("P", "png"), ("L", "png"), ("LA", "png"), ("1", "png"),
    ("RGB", "jpg"), ("L", "jpg")])
def test_pictures_pygame_decodes_look_as_pillow_decodes_them(tmp_path, mode, ext):
    from tazu.mix import open_picture

    noise = Image.effect_noise((40, 30), 60).convert("RGB")
    noise.putalpha(Image.effect_noise((40, 30), 90).convert("L"))
    path = str(tmp_path / f"p.{ext}")
    (noise.convert(mode) if mode != "P" else noise.convert("RGB").quantize(64)).save(path)
    quick = pygame.surfarray.pixels3d(load_picture(path)).astype(int)
    slow = pygame.surfarray.pixels3d(pillow_to_surface(open_picture(path))).astype(int)
    alpha = (pygame.surfarray.pixels_alpha(load_picture(path)).astype(int),
             pygame.surfarray.pixels_alpha(pillow_to_surface(open_picture(path))).astype(int))
    assert numpy.abs(quick - slow).max() <= (6 if ext == "jpg" else 0)
    assert numpy.array_equal(*alpha)

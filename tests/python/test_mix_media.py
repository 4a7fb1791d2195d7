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
    column = lambda x: [s.get_at((x, y)).a > 0 for y in range(20)]
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

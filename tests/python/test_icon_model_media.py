"""Canvas icon media: pictures, GIFs and videos, derived files and playback frames."""
import os

import cv2
import numpy
import pytest
from PIL import Image

from icon_support import icon_class


@pytest.fixture
def Icon():
    return icon_class()


@pytest.fixture
def said(monkeypatch):
    from tazu import animation

    lines = []
    monkeypatch.setattr(animation, "输出", lambda *v: lines.append(" ".join(map(str, v))))
    return lines


@pytest.fixture
def new(Icon, board):
    from tazu.mix import 字典

    return lambda path, **k: Icon(字典({"文件": path}), board, **k)


def frame_colour(i):
    # Distinct, flat colours survive lossy video coding well enough to tell apart.
    return ((i * 37) % 256, 255 - (i * 23) % 256, (80 + i * 51) % 256)


def close(a, b, tol=14):
    return all(abs(int(x) - int(y)) <= tol for x, y in zip(a, b))


@pytest.fixture
def make_video(tmp_path):
    def make(frames, name="clip.avi", size=(64, 48), fps=25):
        path = str(tmp_path / name)
        writer = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"MJPG"), fps, size)
        for i in range(frames):
            rgb = frame_colour(i)
            writer.write(numpy.full((size[1], size[0], 3), rgb[::-1], numpy.uint8))
        writer.release()
        return path

    return make


@pytest.fixture
def make_gif(tmp_path):
    def make(frames, name="anim.gif", offset=0):
        images = [Image.new("RGB", (30, 20), frame_colour(i + offset)) for i in range(frames)]
        path = str(tmp_path / name)
        images[0].save(path, save_all=frames > 1, append_images=images[1:], duration=50, loop=0)
        return path

    return make


def noise_png(path, size=300):
    rng = numpy.random.default_rng(1)
    Image.fromarray(rng.integers(0, 256, (size, size, 3), numpy.uint8)).save(path)
    return str(path)


def leftovers(board):
    # Files being written have hidden temporary names (earlier: "….part….png").
    found = []
    for _root, _, files in os.walk(board.临时文件夹):
        found += [f for f in files if f.startswith(".tazu-") or ".part" in f]
    return found


# ----- pictures --------------------------------------------------------------------------


@pytest.mark.parametrize("alpha, smooth", [(False, False), (True, True)])
def test_small_pictures_are_used_as_they_are(new, make_png, alpha, smooth):
    path = make_png(30, 20, alpha=alpha)
    icon = new(path)
    assert icon.type == "photo" and icon.smooth is smooth
    assert icon.get_optimize_file(path) == path


def test_large_pictures_are_swapped_for_a_quantised_copy_once(new, board, tmp_path, said):
    from tazu.mix import file_to_md5

    path = noise_png(tmp_path / "big.png")
    assert os.path.getsize(path) >= 200 * 1024
    icon = new(path)
    target = os.path.join(board.临时文件夹, "optimize_png", file_to_md5(path) + ".png")
    assert said == ["正在优化图片文件：" + path]
    assert icon.smooth is False and os.path.exists(target)
    with Image.open(target) as image:
        assert image.mode == "P" and image.size == (300, 300)
    assert new(path).get_optimize_file(path) == target and len(said) == 1
    assert new(path, 系统=True).smooth is True  # a system icon is never optimised
    assert leftovers(board) == []


def test_a_killed_writers_half_picture_is_cleared_by_the_next_write(new, board, tmp_path):
    """Derived pictures are written under a hidden name ending in .png (the
    encoder picks the format by it); one left by a killed process goes when
    the folder is next written, a live writer's stays."""
    import subprocess
    import sys

    from tazu import _common

    dead = subprocess.Popen([sys.executable, "-c", "pass"])
    dead.wait()
    folder = os.path.join(board.临时文件夹, "optimize_png")
    os.makedirs(folder, exist_ok=True)
    stale = f".tazu-{_common._MACHINE}-{dead.pid}-0a1b.tmp.png"
    live = f".tazu-{_common._MACHINE}-{os.getpid()}-0a1b.tmp.png"
    for name in (stale, live):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"half")
    new(noise_png(tmp_path / "big.png"))
    assert sorted(f for f in os.listdir(folder) if f.startswith(".")) == [live]


def test_preview_and_force_always_optimise(new, board, make_png):
    path = make_png(10, 10)
    icon = new(path, 预览=True)
    assert os.path.dirname(icon.get_optimize_file(path, force=True)).endswith("optimize_png")
    assert icon.smooth is False


@pytest.mark.parametrize("kind, message", [("missing", "文件不存在："), ("folder", "该图层路径是文件夹：")])
def test_unusable_sources_are_reported(new, tmp_path, said, kind, message):
    path = str(tmp_path / "nothing.png") if kind == "missing" else str(tmp_path)
    icon = new(path)
    assert said == [message + path] and icon.type is None
    assert icon.处理文件(path, False) is None


# ----- GIFs --------------------------------------------------------------------------------


def test_animated_gif_shows_its_frames_at_ten_per_second(new, board, make_gif):
    from tazu.mix import file_to_md5

    path = make_gif(5)
    icon = new(path)
    first = os.path.join(board.临时文件夹, file_to_md5(path) + ".png")
    assert icon.type == "gif" and os.path.exists(first)
    assert close(icon.image.get_at((5, 5)), frame_colour(0))
    conversions = []
    original = board.屏幕.pillow_to_image
    board.屏幕.pillow_to_image = lambda im: conversions.append(1) or original(im)
    for t, frame in [(0.35, 3), (0.4, 4), (9.0, 4), (0.0, 0), (0.35, 3), (0.12, 1)]:
        assert icon.更新内容(0, t) is True
        assert close(icon.image.get_at((5, 5)), frame_colour(frame)), t
        assert icon.origin_image is icon.image
    assert len(conversions) == 4  # each frame converted once


def test_still_gif_keeps_its_picture(new, make_gif, tmp_path):
    still = make_gif(1, "still.gif")
    other = make_gif(1, "other.gif", offset=3)
    icon = new(still)
    assert icon.type == "gif" and icon.gif_frames is None
    assert icon.获取gif首帧(other) == other
    picture = icon.image
    assert icon.更新内容(0, 1.0) is True and icon.image is picture


def test_switching_to_another_gif_plays_that_gif(new, make_gif):
    icon = new(make_gif(3, "a.gif"))
    icon.处理文件(make_gif(4, "b.gif", offset=10), False)
    icon.更新内容(0, 0.2)
    assert close(icon.image.get_at((5, 5)), frame_colour(12))


def test_upper_case_gif_extension_is_a_photo(new, make_gif):
    assert new(make_gif(3, "A.GIF")).type == "photo"


# ----- videos -------------------------------------------------------------------------------


@pytest.mark.parametrize("frames, middle", [(1, 0), (10, 4), (11, 5)])
def test_video_shows_its_middle_frame(new, make_video, frames, middle):
    icon = new(make_video(frames))
    assert icon.type == "video" and icon.video_frame_num == frames
    assert (icon.video_fps, icon.video_w, icon.video_h) == (25.0, 64, 48)
    assert close(icon.image.get_at((5, 5)), frame_colour(middle))


def test_video_playback_picks_time_times_fps(new, make_video):
    icon = new(make_video(12))
    for t in [0.0, 0.04, 0.08, 0.12, 0.2, 0.44, 0.08, 0.0]:
        assert icon.更新内容(0, t) is True
        assert close(icon.image.get_at((5, 5)), frame_colour(int(t * 25))), t
        assert icon.origin_image is icon.image and icon.image.get_size() == (64, 48)
    shown = icon.image
    assert icon.更新内容(0, 0.6) is False and icon.image is shown  # frame 15 of 12
    assert icon.更新内容(0, 0.48) is False  # frame 12 does not exist
    assert icon.更新内容(0, 0.12) is True
    assert close(icon.image.get_at((5, 5)), frame_colour(3))


def test_replaced_video_plays_the_new_file(new, make_video):
    icon = new(make_video(6, "first.avi"))
    icon.更新内容(0, 0.04)
    second = make_video(20, "second.avi", size=(32, 16))
    assert icon.替换图片(second) is True
    assert (icon.video_frame_num, icon.video_w, icon.video_h) == (20, 32, 16)
    assert icon.更新内容(0, 0.6) is True
    assert close(icon.image.get_at((5, 5)), frame_colour(15))


@pytest.mark.parametrize("kind", ["broken", "empty"])
def test_unreadable_or_empty_video_shows_a_placeholder(new, tmp_path, make_video, said, kind):
    if kind == "broken":
        path = tmp_path / "broken.mp4"
        path.write_bytes(b"not a video at all" * 10)
    else:
        path = make_video(0, "empty.avi")
    icon = new(str(path))
    assert icon.type == "video" and icon.video_frame_num <= 0
    assert said == ["视频损坏：" + str(path)]
    assert icon.image.get_size() == (200, 200) and tuple(icon.image.get_at((9, 9)))[:3] == (255,) * 3
    assert icon.更新内容(0, 0.0) is False


def test_refresh_takes_the_raw_path(new, make_png, make_gif):
    icon = new(make_png(8, 8))
    gif = make_gif(3)
    assert icon.刷新图片(gif) is True
    assert icon._文件 == gif and icon.type == "photo"


@pytest.mark.parametrize("mode", ["LA", "CMYK", "I;16"])
def test_pictures_of_any_mode_can_be_optimised(new, board, tmp_path, mode):
    path = str(tmp_path / "odd.tif" if mode == "CMYK" else tmp_path / "odd.png")
    Image.new(mode, (16, 16)).save(path)
    icon = new(path, 预览=True)
    assert os.path.dirname(icon.get_optimize_file(path, force=True)).endswith("optimize_png")


@pytest.mark.parametrize("kind, t, result, frame", [
    ("gif", 1e20, True, 4), ("gif", 1e17, True, 4), ("video", 1e20, False, None)])
def test_far_playback_times_end_like_any_time_past_the_end(new, make_gif, make_video, kind, t,
                                                          result, frame):
    icon = new(make_gif(5) if kind == "gif" else make_video(5))
    shown = icon.image
    assert icon.更新内容(0, t) is result
    if frame is None:
        assert icon.image is shown
    else:
        assert close(icon.image.get_at((5, 5)), frame_colour(frame))


@pytest.mark.parametrize("missing", ["gone.png", "gone.avi", "folder"])
def test_replacing_with_an_unusable_file_keeps_the_layer(new, make_video, tmp_path, said, missing):
    source = make_video(3)
    icon = new(source)
    shown, kind = icon.image, icon.type
    path = str(tmp_path if missing == "folder" else tmp_path / missing)
    assert icon.替换图片(path) is False
    assert said[-1].endswith(path) and icon.image is shown
    assert (icon._文件, icon.type) == (source, kind)
    assert icon.更新内容(0, 0.04) is True


@pytest.mark.parametrize("kind", ["gif", "video"])
def test_a_playback_time_given_as_text_fails_as_arithmetic_does(new, make_gif, make_video, kind):
    icon = new(make_gif(5) if kind == "gif" else make_video(5))
    with pytest.raises(TypeError):
        icon.更新内容(0, "0.1")


# ----- frames and pictures as viewers show them --------------------------------------------


def corner_alpha(icon):
    return icon.image.get_at((0, 0)).a, icon.image.get_at((icon.image.get_width() // 2,
                                                           icon.image.get_height() // 2)).a


@pytest.mark.parametrize("kind, t", [("gif", 0.0), ("gif", 0.25), ("video", 0.0), ("video", 0.2)])
def test_turned_frames_keep_transparent_corners(new, make_gif, make_video, kind, t):
    icon = new(make_gif(5) if kind == "gif" else make_video(8), 系统=True)
    assert icon.更新内容(0, t) is True
    icon.旋转(30)
    assert corner_alpha(icon) == (0, 255)


def orientation_jpeg(tmp_path, orientation, size=(60, 20)):
    # Stored lying on its side; EXIF says how to stand it up: left half red.
    upright = Image.new("RGB", size, (0, 0, 255))
    upright.paste((255, 0, 0), (0, 0, size[0] // 2, size[1]))
    undo = {6: Image.Transpose.ROTATE_90, 8: Image.Transpose.ROTATE_270, 3: Image.Transpose.ROTATE_180}
    exif = Image.Exif()
    exif[0x0112] = orientation
    path = str(tmp_path / f"photo{orientation}.jpg")
    upright.transpose(undo[orientation]).save(path, exif=exif, quality=95)
    return path


@pytest.mark.parametrize("orientation", [3, 6, 8])
@pytest.mark.parametrize("preview", [False, True])
def test_photos_stand_upright(new, tmp_path, orientation, preview):
    icon = new(orientation_jpeg(tmp_path, orientation), 预览=preview)
    assert icon.image.get_size() == (60, 20)
    assert close(icon.image.get_at((5, 10)), (255, 0, 0), tol=40)
    assert close(icon.image.get_at((55, 10)), (0, 0, 255), tol=40)


@pytest.mark.parametrize("make, expected", [
    (lambda: Image.new("RGB", (16, 16), (220, 20, 30)).convert("CMYK"), (220, 20, 30)),
    (lambda: Image.fromarray(numpy.full((16, 16), 32896, numpy.uint16)), (128, 128, 128)),
])
def test_optimised_copies_keep_the_colours(new, tmp_path, make, expected):
    path = str(tmp_path / "odd.tif")
    make().save(path)
    for icon in (new(path, 预览=True), new(path)):
        assert close(icon.image.get_at((8, 8)), expected, tol=12)


def test_big_gifs_keep_a_bounded_number_of_frames(new, tmp_path):
    # Frames of 2000 × 2000 (16 MB converted): only a few are kept at once.
    path = str(tmp_path / "big.gif")
    frames = []
    for i in range(12):
        frame = Image.new("P", (2000, 2000), i)
        frame.putpalette([c for k in range(256) for c in frame_colour(k)])
        frames.append(frame)
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=100, loop=0)
    icon = new(path, 系统=True)
    for frame in list(range(12)) + [3, 0, 11]:
        icon.更新内容(0, frame / 10)
        assert close(icon.image.get_at((1000, 1000)), frame_colour(frame), tol=0), frame
        assert len(icon._tazu_gif_surfaces) <= 4


@pytest.fixture
def cut_gif(make_gif, tmp_path):
    data = open(make_gif(6), "rb").read()
    path = tmp_path / "cut.gif"
    path.write_bytes(data[: len(data) - 20])
    return str(path)


def test_a_cut_gif_is_refused_when_opened(new, cut_gif):
    with pytest.raises(OSError, match="GIF 文件不完整：" + cut_gif):
        new(cut_gif)


@pytest.mark.parametrize("name, content, error", [
    ("empty.png", b"", OSError), ("empty.gif", b"", OSError), ("text.jpg", b"plain text" * 9, OSError),
    ("cut.png", "cut", OSError)])
@pytest.mark.parametrize("preview", [False, True])
def test_unreadable_pictures_name_the_file(new, tmp_path, name, content, error, preview):
    path = tmp_path / name
    if content == "cut":
        data = open(noise_png(tmp_path / "whole.png", size=64), "rb").read()
        content = data[: len(data) // 2]
    path.write_bytes(content)
    with pytest.raises(error, match=str(path)):
        new(str(path), 预览=preview)


@pytest.mark.parametrize("name", ["picture.png", "anim.gif", "clip.avi"])
@pytest.mark.parametrize("preview", [False, True])
def test_pictures_over_the_pixel_limit_are_refused_by_name(new, make_gif, make_video, tmp_path,
                                                           monkeypatch, name, preview):
    if name.endswith("png"):
        path = noise_png(tmp_path / name, size=80)
    else:
        path = make_gif(3, name) if name.endswith("gif") else make_video(3, name)
    monkeypatch.setattr(Image, "MAX_IMAGE_PIXELS", 500)
    with pytest.raises(Image.DecompressionBombError, match=path):
        new(path, 预览=preview)


@pytest.mark.parametrize("name", ["empty.mp4", "text.avi"])
def test_empty_and_undecodable_videos_show_the_placeholder(new, tmp_path, said, name):
    path = tmp_path / name
    path.write_bytes(b"" if name.startswith("empty") else b"no video here " * 50)
    icon = new(str(path))
    assert said == ["视频损坏：" + str(path)]
    assert icon.image.get_size() == (200, 200) and icon.更新内容(0, 0.5) is False


def test_a_folder_named_like_a_video_is_a_folder(new, tmp_path, said):
    folder = tmp_path / "x.mp4"
    folder.mkdir()
    new(str(folder))
    assert said == ["该图层路径是文件夹：" + str(folder)]


def test_a_video_rate_that_is_no_number_shows_the_first_frame(new, make_video):
    icon = new(make_video(6), 系统=True)
    icon.video_fps = float("nan")
    assert icon.更新内容(0, 0.2) is True
    assert close(icon.image.get_at((5, 5)), frame_colour(0))


def test_a_gif_frame_that_cannot_be_decoded_names_the_file(new, make_gif, tmp_path):
    data = bytearray(open(make_gif(5), "rb").read())
    # The last frame's LZW code size, past its control extension and descriptor.
    descriptor = data.rfind(b"\x21\xf9\x04") + 8
    table = 3 * (1 << ((data[descriptor + 9] & 7) + 1)) if data[descriptor + 9] & 0x80 else 0
    data[descriptor + 10 + table] = 12
    path = tmp_path / "broken.gif"
    path.write_bytes(bytes(data))
    icon = new(str(path), 系统=True)
    assert icon.更新内容(0, 0.3) is True
    with pytest.raises(OSError, match=str(path)):
        icon.更新内容(0, 0.4)


@pytest.mark.parametrize("mode", ["P", "L", "RGB"])
def test_optimised_copies_keep_key_colour_transparency(new, tmp_path, mode):
    image = Image.new(mode, (16, 16), 1 if mode != "RGB" else (1, 1, 1))
    image.paste(0 if mode != "RGB" else (0, 0, 0), (0, 0, 8, 16))
    if mode == "P":
        image.putpalette([0, 0, 0, 200, 30, 40] + [0] * 762)
    path = str(tmp_path / "keyed.png")
    image.save(path, transparency=0 if mode != "RGB" else (0, 0, 0))
    icon = new(path, 预览=True)
    assert icon.image.get_at((2, 2)).a == 0 and icon.image.get_at((12, 2)).a == 255


def test_a_frame_that_cannot_be_written_names_the_file(new, make_video, board, monkeypatch):
    from tazu import animation

    class Failing:
        def __getattr__(self, name):
            return getattr(cv2, name)

        def imwrite(self, path, frame):
            return False

    monkeypatch.setattr(animation, "cv2", Failing())
    with pytest.raises(OSError, match="^无法写入图片：" + board.临时文件夹):
        new(make_video(3))
    assert leftovers(board) == []

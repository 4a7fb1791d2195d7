import numpy as np
import pytest

from tazu import animation

from bar_reference import reference


@pytest.fixture(scope="module")
def noise():
    rng = np.random.default_rng(7)
    return rng.uniform(-1, 1, 10007)


@pytest.mark.parametrize("dtype, scale", [
    (np.int16, 32767), (np.int32, 2**31 - 1), (np.float32, 1.0), (np.float64, 1.0),
])
@pytest.mark.parametrize("start, end, n", [
    (0.0, 1.0, 50),        # whole second, uneven split
    (0.25, 0.5, 7),        # remainder left out
    (0.1, 0.1003, 20),     # shorter than the bar count
    (0.9, 5.0, 13),        # end past the data
])
def test_bars_match_the_rule(noise, dtype, scale, start, end, n):
    data = (noise * scale).astype(dtype)
    got = animation.calc_audio_bar_heights(data, 10000, start, end, n)
    assert got == reference(data, 10000, start, end, n)
    assert len(got) == n
    kind = float if np.dtype(dtype).kind == "f" else int
    # Plain Python numbers; empty bars are the integer 0.
    assert all(type(v) is kind or (v == 0 and type(v) is int) for v in got)


def test_short_segment_fills_one_sample_per_bar():
    data = np.array([0.5, -0.25, 0.125], dtype=np.float64)
    assert animation.calc_audio_bar_heights(data, 1, 0, 3, 5) == [0.5, 0.25, 0.12, 0, 0]


def test_uneven_division_drops_the_tail():
    data = np.array([1, 2, 3, 4, 5, 6, 100], dtype=np.int16)
    assert animation.calc_audio_bar_heights(data, 1, 0, 7, 3) == [2, 4, 6]


@pytest.mark.parametrize("start, end", [(2.0, 1.0), (1.0, 1.0), (20.0, 30.0), (-5.0, -1.0)])
def test_empty_segment_gives_none(start, end):
    data = np.ones(10, dtype=np.int16)
    assert animation.calc_audio_bar_heights(data, 1, start, end, 4) is None


def test_empty_segment_gives_none_even_with_zero_bars():
    assert animation.calc_audio_bar_heights(np.ones(4), 1, 3, 1, 0) is None


def test_zero_bars_divides_by_zero():
    with pytest.raises(ZeroDivisionError):
        animation.calc_audio_bar_heights(np.ones(4), 1, 0, 4, 0)


@pytest.mark.parametrize("n, error", [(-1, ValueError), (2.0, TypeError), ("3", TypeError)])
def test_bad_bar_counts_are_refused(n, error):
    with pytest.raises(error):
        animation.calc_audio_bar_heights(np.ones(4), 1, 0, 4, n)


def test_negative_start_reads_from_the_beginning():
    data = np.arange(10, dtype=np.int16)
    assert animation.calc_audio_bar_heights(data, 1, -3, 4, 2) == [1, 3]


def test_most_negative_int16_is_full_scale():
    data = np.array([-32768, 100], dtype=np.int16)
    assert animation.calc_audio_bar_heights(data, 1, 0, 2, 1) == [32768]


def test_non_contiguous_and_byte_swapped_arrays(noise):
    base = (noise * 30000).astype(np.int16)
    for view in (base[::3], base[::-2], base.astype(">i2")[5:], np.asfortranarray(base)):
        assert animation.calc_audio_bar_heights(view, 100, 1, 20, 17) == reference(
            np.asarray(view, dtype=np.int16), 100, 1, 20, 17)


def test_stereo_frames_take_the_peak_of_both_channels():
    data = np.array([[0.1, -0.9], [0.2, 0.3], [-0.5, 0.4], [0.0, 0.0]], dtype=np.float32)
    assert animation.calc_audio_bar_heights(data, 1, 0, 4, 2) == [0.9, 0.5]
    assert animation.calc_audio_bar_heights(data[:, 1], 1, 0, 4, 2) == [0.9, 0.4]


@pytest.mark.parametrize("view", [slice(None), slice(None, None, 2)])
def test_array_is_read_in_place_not_copied(view):
    import tracemalloc

    data = np.random.default_rng(1).uniform(-1, 1, 2_000_000)[view]  # 16 MB base
    tracemalloc.start()
    try:
        animation.calc_audio_bar_heights(data, 1000, 0, 2000, 100)
        _, peak = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    assert peak < 1_000_000  # numpy reports its buffers to tracemalloc


def test_lists_and_other_dtypes():
    assert animation.calc_audio_bar_heights([1, -7, 3, 2], 2, 0, 2, 2) == [7, 3]
    assert animation.calc_audio_bar_heights(np.array([0.5, -0.75], np.float16), 1, 0, 2, 1) == [0.75]
    assert animation.calc_audio_bar_heights(np.array([200, 3], np.uint8), 1, 0, 2, 1) == [200]
    with pytest.raises(TypeError):
        animation.calc_audio_bar_heights(np.array(["a", "b"]), 1, 0, 2, 1)
    with pytest.raises(TypeError):
        animation.calc_audio_bar_heights(np.float32(1.0), 1, 0, 2, 1)


def test_nan_times_raise_like_int_conversion():
    with pytest.raises(ValueError):
        animation.calc_audio_bar_heights(np.ones(4), 1, float("nan"), 4, 2)

import os

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import pygame  # noqa: E402
import pytest  # noqa: E402


@pytest.fixture(scope="session", autouse=True)
def _pygame_display():
    # convert_alpha and fonts need an initialised display, even a dummy one.
    pygame.init()
    pygame.display.set_mode((800, 600))
    yield
    pygame.quit()


# ----- reference host ------------------------------------------------------------


@pytest.fixture
def screen():
    """A 1280×720 offscreen screen with fit ratio 1 (standard data = actual board)."""
    from tazu.host import 屏幕

    return 屏幕(1280, 720)


@pytest.fixture
def board(screen, tmp_path):
    """A board on `screen` with its temporary folder under tmp_path."""
    from tazu.host import 画板

    return 画板(screen, 临时文件夹=tmp_path / "tmp")


@pytest.fixture
def board2(tmp_path):
    """A 1280×720 board with fit ratio 2: actual = 2 × standard (640×360 standard)."""
    from tazu.host import 屏幕, 画板

    return 画板(屏幕(1280, 720, 适配比例=2), 临时文件夹=tmp_path / "tmp2")


@pytest.fixture
def make_png(tmp_path):
    """make_png(w, h, colour=(255, 0, 0), name=None, alpha=False) -> path of a new PNG.

    With alpha=True (or a 4-item colour) the file is RGBA; `colour` may also be
    a callable (x, y) -> colour for patterned pictures.
    """
    from PIL import Image

    counter = [0]

    def make(w, h, colour=(255, 0, 0), name=None, alpha=False):
        counter[0] += 1
        mode = "RGBA" if alpha or (not callable(colour) and len(colour) == 4) else "RGB"
        def fit(c):
            c = tuple(c)[: len(mode)]
            return c + (255,) * (len(mode) - len(c))

        if callable(colour):
            image = Image.new(mode, (w, h))
            image.putdata([fit(colour(x, y)) for y in range(h) for x in range(w)])
        else:
            image = Image.new(mode, (w, h), fit(colour))
        path = tmp_path / (name or f"media_{counter[0]}.png")
        image.save(path)
        return str(path)

    return make


# ----- editor window ----------------------------------------------------------------


@pytest.fixture
def editor_of():
    """editor_of(path) -> a Driver (editor_support) of an editor window on that
    document at fit ratio 1; closed afterwards, and the test display restored."""
    from editor_support import Driver
    from tazu.host.editor import 编辑器

    made = []

    def make(path=None, **kw):
        editor = 编辑器(path, 适配比例=kw.pop("适配比例", 1), **kw)
        made.append(editor)
        return Driver(editor)

    yield make
    for editor in made:
        editor.关闭()
    pygame.display.set_mode((800, 600))

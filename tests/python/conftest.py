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

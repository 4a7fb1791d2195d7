import pygame
import pygame_gui
import pytest

from tazu.mix import 创建界面管理器, 游戏按钮, 游戏文本, 游戏输入框, 游戏面板


class FakeScreen:
    """The members of the host's screen that widgets use."""

    def __init__(self, ratio=1):
        self.screen = pygame.display.get_surface()
        self.适配比例 = ratio
        self.ui_manager = 创建界面管理器(self.screen.get_size())

    def 标准数据转实际画板(self, v):
        return v * self.适配比例


def click(screen, widget, button=1):
    pos = widget.element.rect.center
    for kind in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP):
        screen.ui_manager.process_events(pygame.event.Event(kind, pos=pos, button=button))
    screen.ui_manager.update(0.01)


@pytest.fixture
def screen():
    return FakeScreen()


def test_button_click_runs_action_once_and_only_when_enabled(screen):
    calls = []
    panel = 游戏面板(screen, 横坐标=50, 纵坐标=50, 宽度=400, 高度=300, 层级=6)
    button = 游戏按钮(screen, lambda: calls.append(1), "确定", 父节点=panel, 横坐标=210, 纵坐标=200, 宽度=150, 高度=80)
    inner = panel.clip.get_container().rect  # children sit inside the panel's border
    assert button.element.rect == pygame.Rect(inner.left + 210, inner.top + 200, 150, 80)
    click(screen, button)
    assert calls == [1]
    button.失效()
    click(screen, button)
    assert calls == [1] and not button.可用
    button.生效()
    panel.隐藏()
    click(screen, button)
    assert calls == [1]
    panel.展现()
    click(screen, button)
    assert calls == [1, 1]
    button.设置文本("修改颜色(#ff0000)")
    assert button.element.text == "修改颜色(#ff0000)"


def test_button_without_action_and_bad_action(screen):
    button = 游戏按钮(screen, None, "空")
    click(screen, button)  # nothing to run, nothing fails
    with pytest.raises(TypeError):
        游戏按钮(screen, "not callable", "x")


def test_panel_hides_and_shows_its_children(screen):
    panel = 游戏面板(screen, 横坐标=0, 纵坐标=0, 宽度=200, 高度=100, 层级=50)
    box = 游戏输入框(屏幕=screen, 提示="X: 5", 父节点=panel, 横坐标=10, 纵坐标=10, 宽度=100, 高度=40)
    assert panel.可见 and box.可见
    panel.隐藏()
    assert not panel.可见 and not box.可见
    panel.展现()
    assert panel.可见 and box.可见


def test_input_text_round_trip_and_hint(screen):
    box = 游戏输入框(屏幕=screen, 提示="Y: 7", 横坐标=0, 纵坐标=0, 宽度=150, 高度=100)
    assert box.获取文本() == "" and box.element.placeholder_text == "Y: 7"
    box.设置文本(3)
    assert box.获取文本() == "3"
    box.设置文本("12\n")
    assert box.获取文本() == "12"
    box.清理()
    assert box.获取文本() == ""


def test_sizes_follow_the_screen_conversion_and_dropdown_fits_in_panel():
    screen = FakeScreen(ratio=0.5)
    panel = 游戏面板(screen, 横坐标=100, 纵坐标=40, 宽度=400, 高度=400, 层级=6)
    assert panel.element.rect == pygame.Rect(50, 20, 200, 200)
    text = 游戏文本(screen, "请选择\n第二行 <b>", 父节点=panel, 横坐标=20, 纵坐标=30, 宽度=360, 高度=60)
    inner = panel.clip.get_container().rect
    assert text.element.rect.topleft == (inner.left + 10, inner.top + 15) and text.element.rect.width == 180
    menu = pygame_gui.elements.UIDropDownMenu(
        container=panel.clip,
        options_list=["甲", "乙"],
        starting_option="甲",
        relative_rect=pygame.Rect(25, 75, 150, 35),
        manager=screen.ui_manager,
    )
    assert panel.element.rect.contains(menu.rect)
    panel.隐藏()
    assert not menu.visible


def test_centred_panel_and_widgets_need_a_ui_manager():
    screen = FakeScreen()
    w, h = screen.screen.get_size()
    panel = 游戏面板(screen, 宽度=200, 高度=100)
    assert panel.element.rect.center == (w // 2, h // 2)
    with pytest.raises(TypeError, match="ui_manager"):
        游戏面板(object(), 横坐标=0, 纵坐标=0)

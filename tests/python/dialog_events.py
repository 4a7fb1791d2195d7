"""Driving pygame_gui widgets with posted events, as a user's clicks and typing do."""
import pygame


def 点击(screen, widget, button=1):
    pos = widget.element.rect.center
    for kind in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP):
        screen.ui_manager.process_events(pygame.event.Event(kind, pos=pos, button=button))
    screen.ui_manager.update(0.01)


def 输入(screen, widget, text):
    点击(screen, widget)
    screen.ui_manager.process_events(pygame.event.Event(pygame.TEXTINPUT, text=text))
    screen.ui_manager.update(0.01)

"""The bundled example: a storyboard of four lines, its characters, its shot
documents and the configuration that builds it. Its media is drawn by
`make_media` into whatever folder is asked for."""
import os

FOLDER = os.path.dirname(os.path.abspath(__file__))

"""tazu: storyboard animation editor extension and its reference platform.

Kept light on purpose: importing the package imports neither the platform layer
(`tazu.mix`) nor the extension module (`tazu.animation`).
"""

__version__ = "0.1.0"

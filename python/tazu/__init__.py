"""tazu: storyboard animation editor extension and its reference platform.

Kept light on purpose: importing the package imports neither the platform layer
(`tazu.mix`) nor the extension module (`tazu.animation`).
"""


def __getattr__(name):
    # The version is written once, in pyproject.toml, and reaches Python through
    # the installed metadata; it is looked up when first asked for, since
    # importlib.metadata costs more than the rest of this package's import.
    if name != "__version__":
        raise AttributeError(f"module 'tazu' has no attribute {name!r}")
    from importlib.metadata import PackageNotFoundError, version

    try:
        value = version("tazu")
    except PackageNotFoundError:  # a source tree put on sys.path by hand, never installed
        value = "0+unknown"
    globals()["__version__"] = value
    return value

"""The error type of the `tazu` command."""


class CommandError(Exception):
    """A problem with the user's input, reported without a traceback."""

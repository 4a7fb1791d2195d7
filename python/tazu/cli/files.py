"""Output files of the command: temporary names, swaps into place, and the
clean-up of what killed runs left behind.

Everything the command writes is built under a temporary name beside its
target and renamed into place when it is complete, so a reader never sees a
half-written file under a finished name. Temporary names start with ".tazu-",
carry the host and process that own them, and end in ".part": a folder scan
for pictures or videos never takes one for a result."""
from __future__ import annotations

import contextlib
import ctypes
import errno
import os
import re
import shutil
import socket
import uuid

from tazu.cli.errors import CommandError

_HOST = re.sub(r"[^A-Za-z0-9]+", "_", socket.gethostname()) or "host"
_TEMP = re.compile(r"^\.tazu-(?P<host>[A-Za-z0-9_]+)-(?P<pid>\d+)-[0-9a-f]+-.*\.part$")
# The platform's own writer names its temporary files .tazu-PID-HEX.tmp[.ext].
_PLATFORM = re.compile(r"^\.tazu-(?P<pid>\d+)-[0-9a-f]{12}\.tmp(\.\w+)?$")
# Left by earlier versions of the command: frames as NNNN.png.tmp.png, videos as .tmp-NAME.mp4.
_LEGACY = (re.compile(r"^\d+\.png\.tmp\.png$"), re.compile(r"^\.tmp-.*\.mp4$"))


def temp_path(final: str) -> str:
    """A fresh temporary name in the folder of `final`."""
    folder, name = os.path.split(os.path.abspath(final))
    return os.path.join(folder, f".tazu-{_HOST}-{os.getpid()}-{uuid.uuid4().hex[:8]}-{name}.part")


def _alive(pid: int) -> bool:
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def _remove(path: str) -> None:
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path, ignore_errors=True)
    else:
        with contextlib.suppress(FileNotFoundError):
            os.remove(path)


def clean_stale(folder: str, legacy: bool = False) -> list[str]:
    """Removes the temporary files and folders in `folder` whose process has
    ended (on this host), and with `legacy` those that earlier versions of the
    command left in their output folders. Returns their paths."""
    removed = []
    try:
        names = os.listdir(folder)
    except (FileNotFoundError, NotADirectoryError):
        return removed
    for name in names:
        m = _TEMP.match(name)
        mp = _PLATFORM.match(name)
        stale = False
        if m:
            stale = m["host"] == _HOST and int(m["pid"]) != os.getpid() and not _alive(int(m["pid"]))
        elif mp:
            stale = int(mp["pid"]) != os.getpid() and not _alive(int(mp["pid"]))
        elif legacy and any(p.match(name) for p in _LEGACY):
            stale = True
        if stale:
            path = os.path.join(folder, name)
            _remove(path)
            removed.append(path)
    return removed


def write_failed(path: str, error: OSError) -> CommandError:
    reason = error.strerror or str(error)
    if error.errno in (errno.ENOSPC, errno.EDQUOT):
        reason = "no space left on the disk"
    elif error.errno == errno.EFBIG:
        reason = "file too large for the disk or the limit set for this process"
    return CommandError(f"cannot write {path}: {reason}")


def fsync_file(path: str) -> None:
    fd = os.open(path, os.O_RDONLY)
    try:
        os.fsync(fd)
    finally:
        os.close(fd)


def commit_file(temp: str, final: str) -> None:
    """Moves a finished temporary file to its name, replacing what was there."""
    try:
        fsync_file(temp)
        os.replace(temp, final)
    except OSError as e:
        _remove(temp)
        raise write_failed(final, e) from None


def write_text(final: str, text: str) -> None:
    temp = temp_path(final)
    try:
        with open(temp, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    except OSError as e:
        _remove(temp)
        raise write_failed(final, e) from None
    commit_file(temp, final)


def _exchange(a: str, b: str) -> bool:
    """Swaps two paths in one step where the system can (Linux renameat2)."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        renameat2 = libc.renameat2
    except (OSError, AttributeError):
        return False
    at_fdcwd, rename_exchange = -100, 2
    renameat2.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_uint]
    ok = renameat2(at_fdcwd, os.fsencode(a), at_fdcwd, os.fsencode(b), rename_exchange) == 0
    return ok


def commit_folder(temp: str, final: str) -> None:
    """Puts a finished temporary folder in place of `final` as a whole: a
    reader sees the old folder or the new one, never a mix."""
    if os.path.isdir(final) and not os.path.islink(final):
        if _exchange(temp, final):
            _remove(temp)  # now holds the old folder
            return
        old = temp_path(final)
        os.rename(final, old)
        os.rename(temp, final)
        _remove(old)
        return
    if os.path.lexists(final):
        raise CommandError(f"cannot write {final}: a file of that name is in the way")
    os.rename(temp, final)


def discard(path: str) -> None:
    _remove(path)

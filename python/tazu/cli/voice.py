"""`tazu voice`: narration files for the shots of the storyboards.

Everything the run needs is checked before the first shot is voiced, so a
mistake in the configuration, a storyboard or the character file is one line
naming the file, and no half-done batch."""
from __future__ import annotations

import math
import os
import sys
import types

from tazu.cli.errors import CommandError
from tazu.cli.shots import read_json

FOLDER_KEYS = ("分镜文件夹", "角色文件夹", "声音文件夹")
VOICE_KEYS = ("音色", "音调", "情感", "语速")
REQUIRED_KEYS = FOLDER_KEYS + ("朗读音量",) + VOICE_KEYS


def _number(value) -> bool:
    return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)


def _speech_problem(voice, volume, speed, pitch, emotion):
    """What the speech engine would refuse in these settings, or None."""
    from tazu.mix import audio

    try:
        audio.espeak_arguments("", "x", voice, volume, speed, pitch, emotion, 200)
    except ValueError as e:
        return str(e)
    return None


def load_config(path: str) -> types.SimpleNamespace:
    """Reads a narration configuration; folders are taken relative to the file."""
    data = read_json(path, "configuration file")
    if not isinstance(data, dict):
        raise CommandError(f"{path}: expected a JSON object")
    missing = [key for key in REQUIRED_KEYS if key not in data]
    if missing:
        listed = ", ".join(f'"{key}"' for key in missing)
        hint = ""
        if set(missing) & set(VOICE_KEYS):
            hint = " (the default voice is 音色, 音调, 情感 and 语速; 情感 may be \"\")"
        raise CommandError(f"{path}: missing {listed}{hint}")
    base = os.path.dirname(os.path.abspath(path))
    for key in FOLDER_KEYS:
        if not isinstance(data[key], str) or not data[key].strip():
            raise CommandError(f"{path}: \"{key}\" must be a folder name, not {data[key]!r}")
        if not os.path.isabs(data[key]):
            data[key] = os.path.normpath(os.path.join(base, data[key]))
    for key in ("分镜文件夹", "角色文件夹"):
        if not os.path.isdir(data[key]):
            raise CommandError(f"{path}: \"{key}\" is not a folder: {data[key]}")
    pause = data.get("单个停顿符秒数", 0.5)
    if not _number(pause) or pause < 0:
        raise CommandError(f"{path}: \"单个停顿符秒数\" must be a number of seconds, not {pause!r}")
    problem = _speech_problem(*(data[k] for k in ("音色", "朗读音量", "语速", "音调", "情感")))
    if problem:
        raise CommandError(f"{path}: {problem}")
    return types.SimpleNamespace(**data)


def _sound_folder(config, sounds):
    if sounds:
        config.声音文件夹 = os.path.abspath(sounds)
    folder = config.声音文件夹
    if os.path.exists(folder) and not os.path.isdir(folder):
        raise CommandError(f"sound folder is not a folder: {folder}")
    try:
        os.makedirs(os.path.join(folder, "原始"), exist_ok=True)
    except OSError as e:
        raise CommandError(f"cannot make the sound folder {folder}: {e.strerror}") from None
    # Temporary files of killed runs go before anything is counted.
    from tazu._common import 清理残留

    for sub in (folder, os.path.join(folder, "原始")):
        清理残留(sub)


def _read(path, what):
    from tazu import mix

    try:
        return mix.阅读结构化文档(path)
    except mix.文档格式错误 as e:
        raise CommandError(str(e)) from None
    except OSError as e:
        raise CommandError(f"cannot read {what} {path}: {e.strerror}") from None


def _check_characters(config):
    """The character file exists, reads, and gives voices the engine takes."""
    from tazu import mix

    path = mix.路径(config.角色文件夹, "角色.txt")
    if os.path.isdir(path):
        raise CommandError(f"{path} is a folder, not the character file")
    if not os.path.isfile(path):
        raise CommandError(f"no character file 角色.txt in {config.角色文件夹} (it may hold no characters)")
    for n, person in enumerate(_read(path, "character file"), 1):
        settings = {key: person.获取(key) or getattr(config, key) for key in VOICE_KEYS}
        problem = _speech_problem(settings["音色"], config.朗读音量, settings["语速"],
                                  settings["音调"], settings["情感"])
        if problem:
            raise CommandError(f"{path}: character {person.获取('角色') or n}: {problem}")


def _storyboard_shots(config):
    """(document name, shot) of every storyboard, in the order they are voiced."""
    from tazu import mix

    folder = config.分镜文件夹
    shots, documents = [], 0
    for name in mix.遍历文件夹(folder):
        path = mix.路径(folder, name)
        if os.path.isdir(path):
            print(f"skipping sub-folder {path} (not a storyboard document)")
            continue
        documents += 1
        records = _read(path, "storyboard")
        if len(records) and not any("文案" in record.所有键() for record in records):
            columns = ", ".join(str(k) for k in records.获取(0).所有键())
            raise CommandError(f"{path}: no \"文案\" column, so no shot has a line to voice"
                               f" (its columns: {columns})")
        for n, shot in enumerate(records, 1):
            number = shot.获取("序号")
            if number is None or str(number).strip() == "":
                raise CommandError(f"{path}: shot {n} has no \"序号\"")
            line = shot.获取("文案")
            if line is not None and not isinstance(line, str) and not _number(line):
                raise CommandError(f"{path}: shot {number}: \"文案\" must be text, not {line!r}")
            shots.append((name, shot))
    if not documents:
        raise CommandError(f"no storyboard documents in {folder}")
    if not shots:
        raise CommandError(f"no shots in the storyboards of {folder}")
    return shots


def narration_files(folder: str, base: str) -> tuple[str, str]:
    """The paths of a shot's narration and of its cue file, from the shot's
    media base name: the module's own names, which make a title with "/" or
    one too long for a file name safe."""
    from tazu import _audio

    sound, cues = _audio.narration_file_names(str(base))
    return os.path.join(folder, sound), os.path.join(folder, cues)


def _chosen(shots, wanted):
    if wanted is None:
        return [(doc, shot) for doc, shot in shots if shot.获取("类型") != "静音"]
    # CSV documents hold numbers as text and JSON ones as numbers.
    return [(doc, shot) for doc, shot in shots if str(shot.获取("序号")).strip() == str(wanted).strip()]


def voice(config_path: str, shot_number=None, sounds=None) -> list[str]:
    """Voices every non-silent shot (or the shots numbered `shot_number`) and
    returns the names of the narration files made. Shots whose narration exists
    are kept. A shot whose narration file name another shot with a different
    line already holds is reported and left out; the run then ends in an error
    after voicing the others."""
    from tazu import animation

    config = load_config(config_path)
    _check_characters(config)
    every = _storyboard_shots(config)
    shots = _chosen(every, shot_number)
    if not shots and shot_number is None:
        print(f"nothing to voice: all {len(every)} shot(s) in the storyboards of "
              f"{config.分镜文件夹} are silent (类型 \"静音\")")
        return []
    if not shots:
        raise CommandError(f"no shot numbered {shot_number} in {config.分镜文件夹}")
    _sound_folder(config, sounds)

    before = set(os.listdir(config.声音文件夹))
    left_out, owners = 0, {}
    for document, shot in shots:
        number, line = shot.获取("序号"), shot.获取("文案")
        base = animation.获得媒体纯文件名(shot)
        sound = os.path.basename(narration_files(config.声音文件夹, base)[0])
        mine = (line, shot.获取("角色"))
        owner = owners.setdefault(sound, (document, number, mine))
        if owner[2] != mine:
            left_out += 1
            print(f"tazu: {document}, shot {number}: not voiced: its narration file \"{sound}\""
                  f" belongs to shot {owner[1]} of {owner[0]}, whose line or characters differ;"
                  " give one of them another 序号", file=sys.stderr)
            continue
        try:
            animation.朗读声音(config, line, base, shot)
        except (OSError, ValueError, TypeError, RuntimeError) as e:
            raise CommandError(f"{document}, shot {number}: {_reason(e)}") from None
    made = sorted(n for n in set(os.listdir(config.声音文件夹)) - before if n.endswith(".wav"))
    for name in made:
        print("narration:", os.path.join(config.声音文件夹, name))
    if not made:
        print("no new narration files (existing ones are kept)")
    if left_out:
        raise CommandError(f"{left_out} shot(s) not voiced: their narration file names are taken (see above)")
    return made


def _reason(error: Exception) -> str:
    if isinstance(error, OSError) and error.strerror:
        where = f": {error.filename}" if error.filename else ""
        return f"{error.strerror}{where}"
    return str(error) or type(error).__name__

"""`tazu voice`: narration files for the shots of the storyboards."""
from __future__ import annotations

import os
import types

from tazu.cli.errors import CommandError
from tazu.cli.shots import read_json

def load_config(path: str) -> types.SimpleNamespace:
    """Reads a narration configuration; folders are taken relative to the file."""
    data = read_json(path, "configuration file")
    if not isinstance(data, dict):
        raise CommandError(f"{path}: expected a JSON object")
    for key in ("分镜文件夹", "角色文件夹", "声音文件夹", "朗读音量"):
        if key not in data:
            raise CommandError(f"{path}: missing \"{key}\"")
    base = os.path.dirname(os.path.abspath(path))
    for key in ("分镜文件夹", "角色文件夹", "声音文件夹"):
        if not os.path.isabs(data[key]):
            data[key] = os.path.normpath(os.path.join(base, data[key]))
    for key in ("分镜文件夹", "角色文件夹"):
        if not os.path.isdir(data[key]):
            raise CommandError(f"{path}: \"{key}\" is not a folder: {data[key]}")
    return types.SimpleNamespace(**data)


def _shot_numbers(config, wanted) -> list:
    """The values of 序号 in the storyboards that read as `wanted`, one per spelling."""
    from tazu import mix

    found = []
    for name in mix.遍历文件夹(config.分镜文件夹):
        for shot in mix.阅读结构化文档(mix.路径(config.分镜文件夹, name)):
            number = shot.获取("序号")
            if str(number).strip() == str(wanted).strip() and number not in found:
                found.append(number)
    return found


def voice(config_path: str, shot_number=None, sounds=None) -> list[str]:
    from tazu import animation, mix

    config = load_config(config_path)
    if sounds:
        config.声音文件夹 = os.path.abspath(sounds)
    os.makedirs(os.path.join(config.声音文件夹, "原始"), exist_ok=True)
    before = set(os.listdir(config.声音文件夹))
    if shot_number is None:
        animation.生成全部声音(config)
    else:
        numbers = _shot_numbers(config, shot_number)
        if not numbers:
            raise CommandError(f"no shot numbered {shot_number} in {config.分镜文件夹}")
        # CSV documents hold numbers as text and JSON ones as numbers: ask for
        # the number as each document spells it.
        for number in numbers:
            animation.生成指定声音(config, mix.字典({"序号": number}))
    made = sorted(n for n in set(os.listdir(config.声音文件夹)) - before if n.endswith(".wav"))
    for name in made:
        print("narration:", os.path.join(config.声音文件夹, name))
    if not made:
        print("no new narration files (existing ones are kept)")
    return made



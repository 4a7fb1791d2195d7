"""The narration of the shot being edited, found as `tazu build` finds it.

A build configuration names the folder of shot documents (镜头文件夹). The
editor uses the one given with --config, or else the first configuration
in the document's folder or the folder above whose 镜头文件夹 is the
document's folder. The document belongs to the storyboard line whose 序号
it carries (a "序号" key inside, else its file name "{序号}.json" or
"{序号}-anything.json"); that line's narration file is the one the build
plays under the shot. No configuration, no line or no file: no narration.
"""
from __future__ import annotations

import json
import os
import re

# Configurations are small; anything bigger in those folders is no configuration.
_最大配置字节 = 1 << 20


def 找配置(文档路径):
    """A build configuration whose shot folder holds the document, or None."""
    if not 文档路径:
        return None
    folder = os.path.dirname(os.path.abspath(文档路径))
    for where in (folder, os.path.dirname(folder)):
        try:
            names = sorted(os.listdir(where))
        except OSError:
            continue
        for name in names:
            path = os.path.join(where, name)
            if not name.endswith(".json") or os.path.abspath(path) == os.path.abspath(文档路径):
                continue
            try:
                if os.path.getsize(path) > _最大配置字节:
                    continue
                with open(path, encoding="utf-8") as f:
                    data = json.load(f)
            except (OSError, ValueError):
                continue
            shots = data.get("镜头文件夹") if isinstance(data, dict) else None
            if isinstance(shots, str) and shots:
                target = os.path.normpath(os.path.join(where, shots))
                if os.path.isdir(target) and os.path.samefile(target, folder):
                    return path
    return None


def 镜头序号(文档路径):
    """The 序号 a shot document carries, as the build reads it."""
    from tazu.cli.episode import number_key

    with open(文档路径, encoding="utf-8") as f:
        data = json.load(f)
    inner = data.get("序号") if isinstance(data, dict) else None
    if inner is not None:
        return number_key(inner)
    stem = os.path.splitext(os.path.basename(文档路径))[0]
    return re.split(r"-", stem, maxsplit=1)[0].strip()


def 找旁白(文档路径, 配置路径=None):
    """The 旁白 of the document, or None; a bad configuration raises CommandError."""
    config_path = 配置路径 or 找配置(文档路径)
    if not config_path or not 文档路径:
        return None
    from tazu import animation, mix
    from tazu.cli.episode import load_episode_config, number_key
    from tazu.cli.voice import narration_files

    from .playback import 旁白
    config = load_episode_config(config_path)
    wanted = 镜头序号(文档路径)
    for name in sorted(mix.遍历文件夹(config.分镜文件夹)):
        path = mix.路径(config.分镜文件夹, name)
        if name.startswith(".") or not os.path.isfile(path):
            continue
        for record in mix.阅读结构化文档(path):
            number = record.获取("序号")
            if number is None or number_key(number) != wanted:
                continue
            plain = {key: record.获取(key) for key in ("序号", "文案", "角色", "类型")}
            base = str(animation.获得媒体纯文件名(mix.字典(plain)))
            wav = narration_files(config.声音文件夹, base)[0]
            if not os.path.isfile(wav):
                return None
            found = 旁白(wav, 留白=config.旁白后留白秒数)
            found.帧率 = config.帧率
            return found
    return None

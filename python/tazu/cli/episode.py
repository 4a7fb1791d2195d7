"""`tazu build`: a storyboard becomes one narrated, subtitled video.

Every line is voiced (existing narration files are kept), its shot rendered
to a clip lasting as long as its narration needs, and the clips joined by
stream copy with the sound track, encoded once, and the subtitles. Clips are
cached under the output folder by a digest of all they depend on, so a
rebuild renders only what changed."""
from __future__ import annotations

import dataclasses
import hashlib
import json
import math
import os
import re
import time

import tazu
from tazu.cli import files
from tazu.cli.encode import AUDIO_RATE, DamagedClip, EncoderSettings, join_clips
from tazu.cli.errors import CommandError
from tazu.cli.progress import Progress
from tazu.cli.render import render_clip
from tazu.cli.shots import colour, load_shot, read_json
from tazu.cli.subtitles import Cue, read_vtt, srt_text, title_text, vtt_text
from tazu.cli.voice import load_config, narration_files
from tazu.cli.workers import Runner, voice_line

# Bumped whenever a clip or an episode made from the same inputs would come out different.
CLIP_FORMAT = 2
CACHE = "cache"

# Episode keys of the configuration, with their defaults.
EPISODE_DEFAULTS = {
    "宽度": 1280,
    "高度": 720,
    "帧率": 25,
    "背景颜色": [0, 0, 0],
    "文字颜色": [255, 255, 255],
    "旁白后留白秒数": 0.5,
    "无旁白镜头秒数": 3.0,
}


@dataclasses.dataclass
class Line:
    storyboard: str  # path of the storyboard document
    number: object  # 序号 as the document writes it
    text: str
    silent: bool
    record: dict
    base: str = ""  # the narration's base name
    shot: str | None = None  # shot document
    narration: str | None = None  # narration file, when the line is voiced
    length: float = 0.0  # narration seconds
    cues: list = dataclasses.field(default_factory=list)
    duration: float = 0.0
    frames: int = 0
    clip: str = ""
    task: dict | None = None

    @property
    def where(self) -> str:
        return f"{self.storyboard}: line {self.number}"


def number_key(value) -> str:
    """序号 compared as text: 3, 3.0 and "3" are one number."""
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    return str(value).strip()


def _number(data: dict, key: str, low: float, high: float, where: str, whole: bool = False):
    value = data[key]
    ok = isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)
    if ok and whole:
        ok = float(value).is_integer()
    if not ok or not low <= value <= high:
        kind = "a whole number" if whole else "a number"
        raise CommandError(f"{where}: \"{key}\" must be {kind} from {low:g} to {high:g}, not {value!r}")
    return int(value) if whole else float(value)


def load_episode_config(path: str):
    config = load_config(path)
    raw = read_json(path, "configuration file")
    data = dict(EPISODE_DEFAULTS)
    data.update({k: raw[k] for k in EPISODE_DEFAULTS if k in raw})
    if "镜头文件夹" not in raw:
        raise CommandError(f"{path}: missing \"镜头文件夹\" (the folder of shot documents)")
    shots = raw["镜头文件夹"]
    if not isinstance(shots, str) or not shots:
        raise CommandError(f"{path}: \"镜头文件夹\" must be a folder name")
    if not os.path.isabs(shots):
        shots = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(path)), shots))
    if not os.path.isdir(shots):
        raise CommandError(f"{path}: \"镜头文件夹\" is not a folder: {shots}")
    config.镜头文件夹 = shots
    config.宽度 = _number(data, "宽度", 16, 7680, path, whole=True)
    config.高度 = _number(data, "高度", 16, 4320, path, whole=True)
    config.帧率 = _number(data, "帧率", 1, 120, path)
    config.旁白后留白秒数 = _number(data, "旁白后留白秒数", 0, 60, path)
    config.无旁白镜头秒数 = _number(data, "无旁白镜头秒数", 0.1, 3600, path)
    config.背景颜色 = colour(data["背景颜色"], f"{path}: \"背景颜色\"")
    config.文字颜色 = colour(data["文字颜色"], f"{path}: \"文字颜色\"")
    return config


def _storyboards(config, progress: Progress) -> dict[str, list[Line]]:
    from tazu import mix

    folder = config.分镜文件夹
    boards = {}
    for name in sorted(mix.遍历文件夹(folder)):
        path = mix.路径(folder, name)
        if name.startswith(".") or not os.path.isfile(path):
            if not name.startswith("."):
                progress.note(f"skipped {path}: not a storyboard document")
            continue
        try:
            records = list(mix.阅读结构化文档(path))
        except CommandError:
            raise
        except Exception as e:  # noqa: BLE001 - any reader failure is the document's
            raise CommandError(f"{path}: cannot read the storyboard: {e}") from None
        lines = []
        for k, rec in enumerate(records):
            number = rec.获取("序号")
            if number is None or number_key(number) == "":
                raise CommandError(f"{path}: line {k + 1} has no \"序号\"")
            text = rec.获取("文案") or ""
            if isinstance(text, (int, float)) and not isinstance(text, bool) and math.isfinite(text):
                text = number_key(text)  # a line that is only a number is read as written
            if not isinstance(text, str):
                raise CommandError(f"{path}: line {number}: \"文案\" must be text, not {text!r}")
            plain = {key: rec.获取(key) for key in ("序号", "文案", "角色", "类型")}
            lines.append(Line(path, number, text, rec.获取("类型") == "静音", plain))
        if not lines:
            raise CommandError(f"{path}: the storyboard has no lines")
        boards[path] = lines
    if not boards:
        raise CommandError(f"{folder}: no storyboard documents")
    return boards


def _shot_documents(folder: str, numbers: set[str]) -> dict[str, str]:
    """序号 → shot document. A "序号" key inside the document wins over its
    file name ("{序号}.json" or "{序号}-anything.json")."""
    found: dict[str, str] = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not name.endswith(".json") or name.startswith(".") or not os.path.isfile(path):
            continue
        doc = read_json(path, "shot file")
        inner = doc.get("序号") if isinstance(doc, dict) else None
        key = number_key(inner) if inner is not None else re.split(r"-", name[:-5], maxsplit=1)[0].strip()
        if key not in numbers:
            raise CommandError(f"{path}: shot document for 序号 {key}, which no storyboard line has")
        if key in found:
            raise CommandError(f"{path}: a second shot document for 序号 {key} (the first is {found[key]})")
        found[key] = path
    return found


def _digest_file(path: str, memo: dict) -> str:
    if path not in memo:
        h = hashlib.sha256()
        try:
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    h.update(block)
        except OSError as e:
            raise CommandError(f"cannot read {path}: {e.strerror or e}") from None
        memo[path] = h.hexdigest()
    return memo[path]


def _media_of(doc, base: str, where: str, memo: dict) -> list:
    """(file as written, digest of its content) for every layer file of a shot."""
    found = []

    def walk(value):
        if isinstance(value, dict):
            for k, v in value.items():
                if k == "文件" and isinstance(v, str):
                    path = v if os.path.isabs(v) else os.path.normpath(os.path.join(base, v))
                    if not os.path.isfile(path):
                        raise CommandError(f"{where}: media file not found: {path}")
                    found.append((v, _digest_file(path, memo)))
                else:
                    walk(v)
        elif isinstance(value, list):
            for v in value:
                walk(v)

    walk(doc)
    return sorted(set(found))


def _narration(line: Line) -> None:
    from tazu import animation, mix

    if not line.narration or not os.path.isfile(line.narration):
        line.narration = None
        return
    try:
        line.length = float(mix.抓取音频(line.narration).时长)
    except Exception as e:  # noqa: BLE001 - a damaged narration is named, not traced
        raise CommandError(f"{line.narration}: cannot read the narration: {e}") from None
    vtt = narration_files(os.path.dirname(line.narration), line.base)[1]
    cues = read_vtt(vtt) if os.path.isfile(vtt) else []
    line.cues = [Cue(*c) for c in animation._shot_cues(cues, line.length, line.text)]


def _settings(config, crf, preset) -> EncoderSettings:
    return EncoderSettings(fps=config.帧率, crf=crf, preset=preset)


def _voice_config(config) -> dict:
    return {k: v for k, v in vars(config).items() if isinstance(v, (str, int, float, bool, type(None)))}


def _clip_task(line: Line, config, settings, burn: bool, font: str, cache: str, memo: dict) -> dict:
    from tazu import animation

    fps = settings.fps
    own = None
    if line.shot:
        doc = load_shot(line.shot)
        own = doc.get("时长", 1.0)
        if not math.isfinite(own):
            raise CommandError(f"{line.shot}: \"时长\" must be a positive number of seconds")
    duration, line.frames, line.duration = animation._shot_length(
        own, line.length if line.narration else None, config.旁白后留白秒数, config.无旁白镜头秒数, fps)
    cues = [[c.start, c.end, c.text] for c in line.cues] if burn else []
    task = {
        "kind": "shot" if line.shot else "title",
        "shot": line.shot,
        # a title card breaks its line where the narration pauses
        "text": title_text(line.text) if not line.shot else "",
        "duration": duration,
        "width": config.宽度,
        "height": config.高度,
        "fps": fps,
        "crf": settings.crf,
        "preset": settings.preset,
        "background": list(config.背景颜色),
        "foreground": list(config.文字颜色),
        "font": font,
        "cues": cues,
    }
    key = {k: v for k, v in task.items() if k not in ("shot", "font")}
    key.update(format=CLIP_FORMAT, version=tazu.__version__, settings=settings.key(),
               font=_digest_file(font, memo))
    if line.shot:
        with open(line.shot, "rb") as f:
            key["document"] = hashlib.sha256(f.read()).hexdigest()
        key["media"] = _media_of(doc, os.path.dirname(os.path.abspath(line.shot)), line.shot, memo)
    digest = hashlib.sha256(json.dumps(key, sort_keys=True, ensure_ascii=False).encode()).hexdigest()[:40]
    task["out"] = os.path.join(cache, digest + ".mp4")
    task["scratch"] = files.temp_path(os.path.join(cache, digest + "-board"))
    return task


def _check(result, where: str):
    if isinstance(result, CommandError):
        raise CommandError(str(result))  # names its file already
    if isinstance(result, files.WriteError):
        raise files.WriteError(result.errno, result.strerror, result.filename)  # so does this
    if isinstance(result, BaseException):
        raise CommandError(f"{where}: {type(result).__name__}: {result}") from result
    return result


def _sound_track(lines: list[Line], fps: float):
    import numpy

    from tazu import animation, mix

    total, spans = animation._sound_track([line.frames for line in lines], fps, AUDIO_RATE)
    samples = numpy.zeros(total, numpy.float32)
    for line, (at, end) in zip(lines, spans):
        if line.narration:
            audio = mix.抓取音频(line.narration).转换(采样率=AUDIO_RATE, 声道数=1)
            data = numpy.asarray(audio.样本(), numpy.float32).reshape(-1)[: end - at]
            samples[at : at + len(data)] = data
    # AAC rebuilds peaks a little higher than they were: leave 1 dB below full scale
    peak = float(numpy.abs(samples).max()) if len(samples) else 0.0
    ceiling = 10 ** (-1 / 20)
    if peak > ceiling:
        samples *= ceiling / peak
    return samples


def _episode_cues(lines: list[Line], fps: float) -> list[Cue]:
    from tazu import animation

    return [Cue(*c) for c in animation._episode_cues([(line.frames, line.cues) for line in lines], fps)]


def _episode_stamp(lines: list[Line], cues: list[Cue], burn: bool, memo: dict) -> str:
    key = {"format": CLIP_FORMAT, "burn": burn, "clips": [line.clip for line in lines],
           "narration": [_digest_file(line.narration, memo) if line.narration else None for line in lines],
           "cues": [[c.start, c.end, c.text] for c in cues]}
    return hashlib.sha256(json.dumps(key, ensure_ascii=False).encode()).hexdigest()


def build(config_path: str, out: str = "out", jobs: int = 1, cluster: str | None = None,
          burn: bool = False, crf: int = 20, preset: str = "veryfast", quiet: bool = False) -> dict:
    """Builds one episode per storyboard document of the configuration."""
    from tazu import animation, mix

    started = time.perf_counter()
    config = load_episode_config(config_path)
    settings = _settings(config, crf, preset)
    runner = Runner(jobs, cluster)
    out = os.path.abspath(out)
    cache = os.path.join(out, CACHE, "clips")
    try:
        os.makedirs(cache, exist_ok=True)
    except OSError as e:
        raise files.write_failed(cache, e) from None
    for folder in (out, cache):
        files.clean_stale(folder)
    note = Progress("", 0, quiet=quiet)
    boards = _storyboards(config, note)
    all_lines = [line for lines in boards.values() for line in lines]
    shots = _shot_documents(config.镜头文件夹, {number_key(line.number) for line in all_lines})
    for line in all_lines:
        line.shot = shots.get(number_key(line.number))
        line.base = str(animation.获得媒体纯文件名(mix.字典(line.record)))
        if line.text and not line.silent:
            line.narration = narration_files(config.声音文件夹, line.base)[0]
    font = mix.font_file()
    memo: dict = {}
    result = {"episodes": [], "rendered": 0, "reused": 0, "voiced": 0}
    try:
        # narration first: it sets each shot's length
        wanted = {}
        for line in all_lines:
            if line.narration and not os.path.isfile(line.narration) and line.narration not in wanted:
                wanted[line.narration] = line
        todo = list(wanted.values())
        voice_config = _voice_config(config)
        progress = Progress("voicing", len(todo), quiet=quiet)
        try:
            tasks = [{"config": voice_config, "text": line.text, "base": line.base,
                      "record": line.record, "out": line.narration} for line in todo]
            for k, res in runner.run(voice_line, tasks):
                res = _check(res, todo[k].where)
                for shown in res["lines"]:
                    progress.note(shown)
                progress.item(f"voiced {todo[k].where} -> {todo[k].narration}")
                result["voiced"] += 1
        finally:
            progress.close()
        for line in all_lines:
            _narration(line)
        tasks, missing = [], []
        for line in all_lines:
            task = _clip_task(line, config, settings, burn, font, cache, memo)
            line.clip, line.task = task["out"], task
            if os.path.isfile(task["out"]) or task["out"] in (t["out"] for t in tasks):
                continue
            tasks.append(task)
            missing.append(line)
        result["rendered"] = len(tasks)
        result["reused"] = len(all_lines) - len(tasks)
        progress = Progress("rendering", len(tasks), frames=sum(line.frames for line in missing),
                            quiet=quiet)
        try:
            on_frame = progress.frame if runner.local and progress.terminal else None
            for k, res in runner.run(render_clip, tasks, on_frame=on_frame):
                res = _check(res, missing[k].shot or missing[k].where)
                progress.item(f"rendered {missing[k].where}: {res['frames']} frames in "
                              f"{res['seconds']:.1f} s", frames=res["frames"],
                              frames_seen=on_frame is not None)
        finally:
            progress.close()
        for path, lines in boards.items():
            name = os.path.splitext(os.path.basename(path))[0]
            video = os.path.join(out, name + ".mp4")
            total = sum(line.frames for line in lines)
            cues = _episode_cues(lines, settings.fps)
            # the episode is made again only when its clips, narration or cues changed
            stamp = _episode_stamp(lines, cues, burn, memo)
            manifest = os.path.join(out, CACHE, name + ".episode")
            sidecars = [os.path.join(out, name + ext) for ext in (".srt", ".vtt")]
            current = all(os.path.isfile(p) for p in [video, manifest] + sidecars)
            if current:
                with open(manifest, encoding="utf-8") as f:
                    current = f.read().strip() == stamp
            if not current:
                samples = _sound_track(lines, settings.fps)
                for attempt in range(len(lines) + 1):
                    try:
                        join_clips([line.clip for line in lines], video, samples,
                                   [] if burn else [(c.start, c.end, c.text) for c in cues],
                                   frames=[line.frames for line in lines])
                        break
                    except DamagedClip as e:
                        # spoilt after it was made (this program writes clips whole): make it again
                        files.discard(e.clip)
                        if attempt == len(lines):
                            raise
                        note.note(f"{e}; rendering it again")
                        task = next(line.task for line in lines if line.clip == e.clip)
                        for _, res in Runner().run(render_clip, [task]):
                            _check(res, e.clip)
                        result["rendered"] += 1
                        result["reused"] -= 1
                files.write_text(sidecars[0], srt_text(cues))
                files.write_text(sidecars[1], vtt_text(cues))
                files.write_text(manifest, stamp + "\n")
            result["episodes"].append({"video": video, "seconds": total / settings.fps,
                                       "bytes": os.path.getsize(video), "shots": len(lines),
                                       "cues": len(cues)})
    finally:
        runner.close()
    result["time"] = time.perf_counter() - started
    if not quiet:
        for ep in result["episodes"]:
            print(f"built {ep['video']}: {ep['shots']} shots, {ep['seconds']:.2f} s, "
                  f"{ep['bytes'] / 1e6:.2f} MB")
        print(f"{result['rendered']} shots rendered, {result['reused']} reused, "
              f"{result['voiced']} narrations made, in {result['time']:.1f} s")
    return result

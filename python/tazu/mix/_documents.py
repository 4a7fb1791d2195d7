"""Structured documents (storyboards, the character file) and text splitting."""
from __future__ import annotations

import csv
import io
import json
import os
import re

from ._containers import 列表, 字典


class 文档格式错误(ValueError):
    """A structured document that cannot be read; names the file and the line."""

    def __init__(self, 文件, 行, 原因):
        self.文件 = os.fspath(文件)
        self.行 = 行
        self.原因 = 原因
        super().__init__(f"{self.文件} 第 {行} 行：{原因}")


def _line_of(text, index):
    return text.count("\n", 0, index) + 1


def _decode(path, data):
    try:
        return data.decode("utf-8-sig")
    except UnicodeDecodeError as utf8_error:
        try:
            # Spreadsheets and editors on Chinese Windows often save in GBK.
            return data.decode("gb18030")
        except UnicodeDecodeError:
            line = data.count(b"\n", 0, utf8_error.start) + 1
            raise 文档格式错误(path, line, "无法识别的文字编码（请存为 UTF-8）") from None


_SURROGATE = re.compile("[\ud800-\udfff]")
_SURROGATE_ESCAPE = re.compile(r"\\u[dD][89a-fA-F]")


def _without_surrogates(value):
    # A JSON escape such as "\ud800" without its other half decodes to a lone
    # surrogate: not a character, and text holding one cannot be written out.
    if isinstance(value, str):
        return _SURROGATE.sub("", value)
    if isinstance(value, list):
        return [_without_surrogates(v) for v in value]
    if isinstance(value, dict):
        return {_without_surrogates(k): _without_surrogates(v) for k, v in value.items()}
    return value


def _record(path, line, value, surrogates):
    if not isinstance(value, dict):
        raise 文档格式错误(path, line, f"记录必须是对象（键值对），得到 {type(value).__name__}")
    if surrogates:
        value = _without_surrogates(value)
    return 字典(value)


def _skip_space(text, i):
    while i < len(text) and text[i] in " \t\r\n":
        i += 1
    return i


def _json_error(path, text, start, e):
    # A record cut off by the end of the file is reported where it begins.
    line = _line_of(text, start) if e.pos >= len(text.rstrip()) else e.lineno
    return 文档格式错误(path, line, f"JSON 格式错误：{e.msg}")


def _decode_at(decoder, path, text, i, surrogates):
    """The record whose JSON starts at text[i], and where its JSON ends."""
    try:
        value, end = decoder.raw_decode(text, i)
    except json.JSONDecodeError as e:
        raise _json_error(path, text, i, e) from None
    except RecursionError:
        raise 文档格式错误(path, _line_of(text, i), "JSON 嵌套层数太多") from None
    return _record(path, _line_of(text, i), value, surrogates), end


def _read_json_array(path, text):
    decoder = json.JSONDecoder()
    records = 列表()
    surrogates = _SURROGATE_ESCAPE.search(text) is not None
    i = _skip_space(text, text.index("[") + 1)
    if i < len(text) and text[i] == "]":
        i += 1
    else:
        while True:
            record, end = _decode_at(decoder, path, text, i, surrogates)
            records.添加(record)
            i = _skip_space(text, end)
            if i < len(text) and text[i] == ",":
                i = _skip_space(text, i + 1)
                continue
            if i < len(text) and text[i] == "]":
                i += 1
                break
            raise 文档格式错误(path, _line_of(text, i), "JSON 数组中缺少“,”或“]”")
    i = _skip_space(text, i)
    if i < len(text):
        raise 文档格式错误(path, _line_of(text, i), "JSON 数组之后还有多余内容")
    return records


def _read_json_objects(path, text):
    # JSON Lines, and also objects written over several lines one after another.
    decoder = json.JSONDecoder()
    records = 列表()
    surrogates = _SURROGATE_ESCAPE.search(text) is not None
    i = _skip_space(text, 0)
    while i < len(text):
        record, end = _decode_at(decoder, path, text, i, surrogates)
        records.添加(record)
        i = _skip_space(text, end)
    return records


def _read_table(path, text):
    # Only \r and \n end a row: str.splitlines would also cut cells at
    # characters such as U+2028 that narration text may hold.
    lines = io.StringIO(text, newline="").readlines()
    header_at = next((n for n, line in enumerate(lines) if line.strip()), None)
    if header_at is None:
        return 列表()
    delimiter = "\t" if "\t" in lines[header_at] else ","
    reader = csv.reader(lines, delimiter=delimiter, strict=True)
    records = 列表()
    header = None
    try:
        for row in reader:
            if not any(cell.strip() for cell in row):
                continue
            if header is None:
                header = [cell.strip() for cell in row]
                for n, name in enumerate(header):
                    if not name:
                        raise 文档格式错误(path, reader.line_num, f"表头第 {n + 1} 列没有名字")
                    if name in header[:n]:
                        raise 文档格式错误(path, reader.line_num, f"表头的列名重复：{name}")
                continue
            if len(row) > len(header):
                raise 文档格式错误(
                    path, reader.line_num, f"这一行有 {len(row)} 列，表头只有 {len(header)} 列"
                )
            # A short row leaves its last columns absent, as spreadsheets write them.
            records.添加(字典(zip(header, row)))
    except csv.Error as e:
        raise 文档格式错误(path, reader.line_num, f"表格格式错误：{e}") from None
    return records


def 阅读结构化文档(path) -> 列表:
    """Read a storyboard or character document into a 列表 of 字典 records.

    The format is told by the content: a JSON array of objects, JSON objects
    one after another (JSON Lines), or a CSV/TSV table whose first row names
    the columns (tab-separated when the header holds a tab). Text is UTF-8,
    with GB18030 accepted as well. An empty document has no records.
    """
    with open(path, "rb") as f:
        text = _decode(path, f.read())
    start = _skip_space(text, 0)
    if start == len(text):
        return 列表()
    if text[start] == "[":
        return _read_json_array(path, text)
    if text[start] == "{":
        return _read_json_objects(path, text)
    return _read_table(path, text)


# White space and punctuation, Chinese and ASCII. Characters that occur inside
# names ("·", "-", "_", "'", "&") are not separators, nor is a point between digits.
_PIECE_SEPARATORS = re.compile(
    r"(?:[\s,;:!?\"()\[\]{}<>/\\|`~*@#$%^=+"
    r"，。、；：？！…—–“”‘’（）《》〈〉【】〔〕「」『』～﹏．｜／＼]"
    r"|(?<!\d)\.|\.(?!\d))+"
)


def 自动断句(text) -> 列表:
    """Cut a text into its non-empty pieces at white space and punctuation."""
    if text is None:
        return 列表()
    return 列表(piece for piece in _PIECE_SEPARATORS.split(str(text)) if piece)

import pytest

from tazu.mix import 列表, 字典, 文档格式错误, 自动断句, 阅读结构化文档

EXPECTED = [{"序号": 1, "文案": "你好，世界"}, {"序号": 2, "文案": "再见"}]

FORMATS = {
    "array": '[\n  {"序号": 1, "文案": "你好，世界"},\n  {"序号": 2, "文案": "再见"}\n]\n',
    "lines": '{"序号": 1, "文案": "你好，世界"}\n\n{"序号": 2, "文案": "再见"}\n',
    "csv": '序号,文案\n1,"你好，世界"\n2,再见\n',
    "tsv": "序号\t文案\n1\t你好，世界\n\n2\t再见\n",
}


@pytest.mark.parametrize("kind", FORMATS)
def test_every_format_gives_dict_records(tmp_path, kind):
    path = tmp_path / "分镜.txt"
    path.write_text(FORMATS[kind], encoding="utf-8")
    records = 阅读结构化文档(str(path))
    assert isinstance(records, 列表) and all(isinstance(r, 字典) for r in records)
    as_text = [{k: str(v) for k, v in r.items()} for r in records]
    assert as_text == [{k: str(v) for k, v in e.items()} for e in EXPECTED]
    assert records.获取(0).获取("角色") is None and records.获取(0).获取("角色", "旁白") == "旁白"


def test_bom_gbk_empty_and_short_rows(tmp_path):
    bom = tmp_path / "bom.csv"
    bom.write_bytes("\ufeff角色,别名\n张三,小张 阿三\n".encode("utf-8"))
    assert 阅读结构化文档(str(bom)) == [{"角色": "张三", "别名": "小张 阿三"}]
    gbk = tmp_path / "gbk.csv"
    gbk.write_bytes("角色,音色\n李四\n".encode("gb18030"))
    # A short row leaves the missing column absent.
    assert 阅读结构化文档(str(gbk)) == [{"角色": "李四"}]
    empty = tmp_path / "empty.txt"
    empty.write_text("  \n", encoding="utf-8")
    assert 阅读结构化文档(str(empty)) == []


@pytest.mark.parametrize("odd", ["\u2028", "\u2029", "\x0c", "\x1c", "\x85"])
@pytest.mark.parametrize("sep", [",", "\t"])
def test_table_rows_end_only_at_line_breaks(tmp_path, odd, sep):
    path = tmp_path / "分镜.csv"
    path.write_text(f"序号{sep}文案\r\n1{sep}甲{odd}乙\r\n2{sep}\"丙{odd}丁\"\n", encoding="utf-8")
    assert 阅读结构化文档(str(path)) == [{"序号": "1", "文案": f"甲{odd}乙"},
                                         {"序号": "2", "文案": f"丙{odd}丁"}]


@pytest.mark.parametrize(
    "content, line, reason",
    [
        ('[\n {"a": 1},\n {"a": 2\n]\n', 4, "JSON"),
        ('[\n {"a": 1},\n 5\n]', 3, "对象"),
        ('[{"a": 1}] x', 1, "多余"),
        ('{"a": 1}\n{"a": 2}\n{"a": \n', 3, "JSON"),
        ('{"a": 1}\n[1, 2]\n', 2, "对象"),
        ("a,b\n1,2\n1,2,3\n", 3, "3 列"),
        ("a,a\n1,2\n", 1, "重复"),
        ('a,b\n1,"x\n', 2, "表格"),
    ],
)
def test_malformed_documents_name_file_and_line(tmp_path, content, line, reason):
    path = tmp_path / "坏文档.txt"
    path.write_text(content, encoding="utf-8")
    with pytest.raises(文档格式错误) as info:
        阅读结构化文档(str(path))
    err = info.value
    assert err.行 == line and err.文件 == str(path)
    assert str(path) in str(err) and f"第 {line} 行" in str(err) and reason in str(err)


def test_missing_document_raises():
    with pytest.raises(FileNotFoundError):
        阅读结构化文档("/no/such/分镜.txt")


@pytest.mark.parametrize(
    "text, pieces",
    [
        ("张三，李四 王五", ["张三", "李四", "王五"]),
        ("你好，世界！今天。", ["你好", "世界", "今天"]),
        ("克里斯·保罗、Jean-Luc", ["克里斯·保罗", "Jean-Luc"]),
        ("a,b;c:d!e?f", ["a", "b", "c", "d", "e", "f"]),
        ("价格是3.5元. 好", ["价格是3.5元", "好"]),
        ("路径/不能\\出现", ["路径", "不能", "出现"]),
        ("  ，。 ", []),
        ("", []),
        (None, []),
        (12, ["12"]),
    ],
)
def test_sentence_splitting(text, pieces):
    result = 自动断句(text)
    assert isinstance(result, 列表) and list(result) == pieces

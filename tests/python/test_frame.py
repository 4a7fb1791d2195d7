import os

import pytest


def test_module_imports_mix_names_and_numpy():
    import numpy
    from tazu import animation, mix

    assert animation.numpy is numpy
    assert animation.游戏组件 is mix.游戏组件


def test_relative_path_uses_directory_at_import(tmp_path, monkeypatch):
    from tazu import animation

    start = animation.tazu_current_directory
    inside = os.path.join(start, "a", "b.png")
    assert animation.转相对路径(inside) == os.path.join("a", "b.png")
    monkeypatch.chdir(tmp_path)
    assert animation.tazu_current_directory == start
    assert animation.转相对路径(inside) == os.path.join("a", "b.png")
    outside = str(tmp_path / "c.png")
    assert animation.转相对路径(outside) == os.path.relpath(outside, start)


CLASSES = {
    "联合按钮": ["__init__", "设置波形图", "设置文本", "选中", "是否选中", "取消选中", "绘制",
                 "鼠标按下", "切割或缝合", "激活", "鼠标弹起"],
    "游戏列表": ["__init__", "设置位置", "设置列表", "设置选项", "获取当前选项", "清理", "关闭", "展现"],
    "右键菜单": ["__init__", "绘制", "获取点击项"],
    "图标状态": ["__init__", "绘制", "横坐标", "纵坐标", "检查", "获取点击项"],
    "图标": ["__init__", "__str__", "设置相对坐标", "导出", "是否循环", "设置文本", "选中", "编辑文本",
             "上浮", "下浮", "融合", "修改动作", "锁定", "解锁", "组合", "取消组合", "导入模板", "复制",
             "循环播放", "替换", "重置", "删除", "镜像", "添加动画", "删除动画", "循环动画", "设置坐标",
             "设置比例", "成功设置比例", "植入循环次数", "成功设置坐标", "展现图标状态", "保存状态",
             "切换状态", "弹出菜单", "移动", "旋转", "获取gif首帧", "获取视频首帧", "中心",
             "推算大盘中心", "缩放", "恢复缩放备份", "被动缩放", "处理文件", "get_optimize_file",
             "替换图片", "刷新图片", "文件", "报告", "报告当下", "面积", "左上角", "旋转中心",
             "取消激活", "处理图标状态", "处理图标菜单", "鼠标弹起", "旋转角度", "绘制", "更新内容",
             "系统绘制", "检查", "取消菜单", "鼠标移动", "键盘微调", "上移", "下移", "左移", "右移",
             "移动至目标", "鼠标旋转", "鼠标缩放", "__eq__"],
    "坐标输入框": ["__init__", "隐藏", "展现", "可见", "获得文本"],
    "通用输入框": ["__init__", "隐藏", "展现", "可见", "获得文本"],
    "下拉选项输入框": ["__init__", "设置选项", "隐藏", "展现", "可见"],
    "字体输入框": ["__init__", "关闭调色板", "color_to_hex", "color_to_tuple", "开启选色", "隐藏",
                   "展现", "确定"],
    "图层精灵": ["__init__", "塑造", "塑造单个状态", "处理视频", "检测是否终结", "是否为自己的图标",
                 "生成宽高度", "__str__", "从列表获得同个图标", "渲染到屏幕", "calc_center",
                 "calc_position", "calc_mother_and_son_position", "报告"],
}

# The module's own names after numpy and the platform's, in definition order.
OWN_NAMES = ["联合按钮", "游戏列表", "tazu_current_directory", "转相对路径", "右键菜单", "图标状态",
             "图标", "坐标输入框", "通用输入框", "下拉选项输入框", "字体输入框", "图层精灵",
             "提取画板纯动作", "提取画板纯组合", "键转动作名", "获得分镜专属标志", "计算时间权重",
             "calc_audio_bar_heights", "detect_pauses_and_subclauses", "获取所有角色", "获取分镜主角",
             "朗读声音", "朗读文本", "获得媒体纯文件名", "生成全部声音", "生成指定声音"]

PROPERTIES = {
    "联合按钮": {"是否选中"},
    "图标": {"是否循环", "中心", "文件", "面积", "左上角", "旋转中心", "旋转角度"},
    "坐标输入框": {"可见"},
    "通用输入框": {"可见"},
    "下拉选项输入框": {"可见"},
}

DOCSTRINGS = [
    ("图标", "处理图标菜单", ["True代表有菜单需要处理"]),
    ("图标", "处理图标状态", ["True代表有状态需要处理"]),
    ("图标", "切换状态", ["选中项是指目的地"]),
    ("图标", "更新内容", ["专为系统设计而生"]),
    ("联合按钮", "__init__", ["初始化按钮的相关参数"]),
    ("图层精灵", "检测是否终结", ["每一帧都过一遍"]),
    ("图层精灵", "__init__", ["功能1:原始外部参数转坐标字典", "功能2:坐标字典转视频"]),
]


def _members(cls):
    return [k for k in vars(cls) if not (k.startswith("__") and k.endswith("__"))
            or k in ("__init__", "__str__", "__eq__")]


def test_module_names_in_definition_order():
    from tazu import animation, mix

    names = list(vars(animation))
    platform = list(mix.__all__)
    # numpy first, then everything mix exports, then the module's own names.
    public = [n for n in names if not n.startswith("_")]
    assert public[0] == "numpy"
    assert public[1:1 + len(platform)] == platform
    assert public[1 + len(platform):] == OWN_NAMES
    functions = [n for n in OWN_NAMES if callable(getattr(animation, n))
                 and not isinstance(getattr(animation, n), type)]
    assert len(functions) == 15
    assert isinstance(animation.tazu_current_directory, str)


@pytest.mark.parametrize("name", list(CLASSES))
def test_class_members_in_documented_order(name):
    from tazu import animation

    cls = getattr(animation, name)
    assert cls.__module__ == animation.__name__
    assert _members(cls) == CLASSES[name]
    base = animation.游戏组件 if name in ("联合按钮", "图标") else object
    assert cls.__bases__ == (base,)
    properties = {k for k, v in vars(cls).items() if isinstance(v, property)}
    assert properties == PROPERTIES.get(name, set())
    for prop in properties:
        assert vars(cls)[prop].fset is None
    init = vars(cls)["__init__"]
    assert init.__name__ == "__init__"
    assert "_tazu" not in (init.__doc__ or "")


@pytest.mark.parametrize("name", list(CLASSES))
def test_constructor_shows_its_name_and_its_errors_name_the_class(name):
    from tazu import animation

    cls = getattr(animation, name)
    init = vars(cls)["__init__"]
    assert init.__qualname__ == f"{name}.__init__"
    assert init.__doc__.startswith("__init__(") or "(" not in init.__doc__.splitlines()[0]
    with pytest.raises(TypeError, match=f"^{name}.__init__\\(\\): incompatible function arguments"):
        cls(*range(20))


def test_icon_is_unhashable_like_a_python_class_with_eq():
    from tazu import animation

    assert animation.图标.__hash__ is None


@pytest.mark.parametrize("cls, method, lines", DOCSTRINGS)
def test_method_docstrings(cls, method, lines):
    from tazu import animation

    doc = vars(getattr(animation, cls))[method].__doc__
    doc_lines = [line.strip() for line in doc.splitlines()]
    start = doc_lines.index(lines[0])
    assert doc_lines[start:start + len(lines)] == lines
    # each text stands indented on a line of its own
    assert all(f"\n    {text}\n" in doc or f"\n        {text}\n" in doc for text in lines)


def _import_with_own_mix(tmp_path, mix_source):
    """Loads the module as a sibling of a host's own `mix`, in a fresh interpreter."""
    import glob
    import subprocess
    import sys

    from tazu import animation

    package = tmp_path / "hostpkg"
    package.mkdir()
    (package / "__init__.py").write_text("")
    if mix_source is not None:
        (package / "mix.py").write_text(mix_source, encoding="utf-8")
    so = glob.glob(os.path.join(os.path.dirname(animation.__file__), "animation*.so"))[0]
    os.symlink(so, package / os.path.basename(so))
    code = (
        "import hostpkg.animation as a\n"
        "print(sorted(n for n in vars(a) if not n.startswith('__')"
        " and n in ('游戏组件', 'helper', '_hidden', 'pygame')))\n"
        "print(a.tazu_current_directory)\n"
    )
    env = dict(os.environ, PYTHONPATH=os.pathsep.join([str(tmp_path)] + sys.path))
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          env=env, cwd=tmp_path)


HOST_MIX = (
    "from tazu.mix import *\n"
    "from tazu.mix import __all__ as _names\n"
    "def helper(): pass\n"
    "_hidden = 1\n"
)


@pytest.mark.parametrize("source, expect", [
    # no __all__: every name without a leading underscore
    (HOST_MIX, "['helper', 'pygame', '游戏组件']"),
    # with __all__: only those names
    (HOST_MIX + "__all__ = list(_names)\n", "['pygame', '游戏组件']"),
    (HOST_MIX + "del 游戏组件\n", "NameError"),
    # the working directory is read through the platform's os
    (HOST_MIX + "import os as _os, types\n"
     "os = types.SimpleNamespace(getcwd=lambda: '/elsewhere', path=_os.path)\n", "/elsewhere"),
    (None, "ModuleNotFoundError"),
])
def test_host_supplies_its_own_mix(tmp_path, source, expect):
    r = _import_with_own_mix(tmp_path, source)
    if expect.endswith("Error"):
        assert r.returncode != 0 and expect in r.stderr, r.stderr
    else:
        assert r.returncode == 0, r.stderr
        names, cwd = r.stdout.strip().splitlines()[-2:]
        assert expect in (names, cwd)


def test_module_calls_reach_the_names_in_its_namespace(monkeypatch):
    import types

    from tazu import animation, mix

    fake_path = types.SimpleNamespace(relpath=lambda p, start: ("relpath", p, start))
    monkeypatch.setattr(animation, "os", types.SimpleNamespace(path=fake_path))
    monkeypatch.setattr(animation, "tazu_current_directory", "/rebound")
    assert animation.转相对路径("a.png") == ("relpath", "a.png", "/rebound")

    seen = []

    def counting(sequence):
        seen.append(list(sequence))
        return mix.报数(sequence)

    monkeypatch.setattr(animation, "报数", counting)
    keys = mix.列表(["s_起_0", "s_走_2"])
    assert animation.计算时间权重(keys)[1] == 2.0
    assert seen == [["s_起_0", "s_走_2"]]

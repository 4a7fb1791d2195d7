"""A stand-in for the module's icon, for board tests that must not depend on it.

It follows the icon's contract as the board uses it: lock and conversion in the
transforms, the group vector, and a report with the record's geometry keys.
"""
from tazu.mix import 列表, 字典, 游戏组件


class 测试图标(游戏组件):
    def __init__(self, 图标信息, 画板, 横坐标=0, 纵坐标=0, 编号=0, 系统=False, **_):
        self._文件 = 图标信息.获取("文件") if 图标信息 else None
        self.画板 = 画板
        self.type = None
        super().__init__(self._文件)
        s = 画板.屏幕
        if s.适配比例 != 1 and not 系统:
            横坐标, 纵坐标 = s.标准数据转实际画板(横坐标), s.标准数据转实际画板(纵坐标)
        游戏组件.移动(self, 横坐标, 纵坐标, 初始=True)
        self.编号, self.系统 = 编号, 系统
        self.激活 = self.多选选中 = self.锁 = False
        self.模式, self.循环, self.循环次数 = 0, True, 1
        self.文本, self.字体, self.字体大小, self.文本颜色 = None, "", "", ""
        self.状态列表 = 列表()
        self.大盘旋转角度, self.大盘缩放比例 = 0, 1
        self.别名 = self.info = self.相对坐标 = self.缩放备份 = None
        self.原始缩放比例 = 1

    def __eq__(self, other):
        return bool(other) and self.编号 == other.编号

    def _conv(self, v):
        return self.画板.屏幕.标准数据转实际画板(v)

    def 移动(self, 横坐标, 纵坐标, 初始=False, 系统=False):
        if self.锁 and not 初始 and not 系统:
            return
        if not 初始 and self.画板.屏幕.适配比例 != 1:
            横坐标, 纵坐标 = self._conv(横坐标), self._conv(纵坐标)
        游戏组件.移动(self, 横坐标, 纵坐标, 初始=初始)

    def 旋转(self, 角度, 旋转轴位置=None, 初始=False, 系统=False):
        if self.锁 and not 初始 and not 系统:
            return
        if 初始 and self.画板.屏幕.适配比例 != 1 and 旋转轴位置:
            旋转轴位置 = (self._conv(旋转轴位置[0]), self._conv(旋转轴位置[1]))
        游戏组件.旋转(self, 角度=角度, 旋转轴位置=旋转轴位置)

    def 缩放(self, 缩放比例, 初始=False, 系统=False, 缩放中心=None):
        if self.锁 and not 初始 and not 系统:
            return
        if 初始:
            缩放比例 = 缩放比例 or 1
            r = self.画板.屏幕.适配比例
            if r != 1:
                缩放比例 *= r
                if 缩放中心:
                    缩放中心 = (缩放中心[0] * r, 缩放中心[1] * r)
        游戏组件.缩放(self, 缩放比例=缩放比例, 初始=初始, 缩放中心=缩放中心 or (0, 0))

    def 被动缩放(self, 缩放比例, 大盘中心):
        if not self.相对坐标:
            return
        游戏组件.被动缩放(self, 缩放比例=缩放比例, 大盘中心=大盘中心, 大盘向量=self.相对坐标,
                      原始缩放比例=self.原始缩放比例)

    def 替换图片(self, 路径):
        self._文件 = 路径
        return 游戏组件.替换图片(self, 路径)

    def 设置文本(self, 文本):
        if 文本 is not None:
            self.文本 = 文本

    def 设置相对坐标(self, 最左, 最上, 最下, 最右):
        gx, gy = 最左 + (最右 - 最左) / 2, 最上 + (最下 - 最上) / 2
        self.相对坐标 = (self.x + self.宽 / 2 - gx, self.y + self.高 / 2 - gy)
        self.原始缩放比例 = self.scale_ratio

    def 推算大盘中心(self):
        k = self.scale_ratio / self.原始缩放比例
        a, b = self.相对坐标
        return self.x + self.w / 2 - a * k, self.y + self.h / 2 - b * k

    def 报告当下(self, 缩放备份=True):
        c = self.画板.屏幕.实际画板转标准数据
        pivot = self.rotate_pivot
        box = self.画板.获取组合矩形(self) if self.相对坐标 else None
        return 字典({
            "编号": self.编号, "文件": self._文件,
            "横坐标": c(self.矩形.左), "纵坐标": c(self.矩形.上),
            "origin_x": c(self.origin_x), "origin_y": c(self.origin_y),
            "宽度": c(self.矩形.宽), "高度": c(self.矩形.高),
            "模式": self.模式, "循环": self.循环, "缩放比例": c(self.scale_ratio),
            "旋转中心": (c(pivot[0]), c(pivot[1])) if pivot else "",
            "相对坐标": (c(self.相对坐标[0]), c(self.相对坐标[1])) if self.相对坐标 else None,
            "原始缩放比例": c(self.原始缩放比例),
            "大盘矩形": tuple(c(v) for v in box) if box else None,
            "旋转角度": self.rotate_angle or 0, "锁": self.锁, "循环次数": self.循环次数,
            "大盘旋转角度": self.大盘旋转角度, "大盘缩放比例": c(self.大盘缩放比例),
            "别名": self.别名, "info": self.info,
        })

    def 报告(self, 缩放备份=True):
        record = self.报告当下(缩放备份)
        if self.状态列表:
            record.填写("状态列表", self.状态列表)
        return record

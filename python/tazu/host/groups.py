"""The board's groups: which icons move, scale and report together.

A group is a list of at least two icons in 组合列表. Its box is the union of
its members' rectangles; each member keeps 相对坐标, its vector from the box's
centre, and 原始缩放比例, its scale when that vector was taken.
"""
from __future__ import annotations

from ._support import 输出


class Groups:
    def 所在组合(self, icon):
        for group in self.组合列表:
            if any(member is icon for member in group):
                return group
        return None

    def 获取组合矩形(self, icon):
        """(left, top, bottom, right) of the icon's group, in actual-board pixels.

        For an icon in no group of this board: the group box its last applied
        record gave, kept centred on the group centre the icon infers; failing
        that, the icon's own rectangle.
        """
        group = self.所在组合(icon)
        if group:
            rects = [m.矩形 for m in group]
            return (min(r.左 for r in rects), min(r.上 for r in rects),
                    max(r.上 + r.高 for r in rects), max(r.左 + r.宽 for r in rects))
        box = getattr(icon, "_画板大盘矩形", None)
        if box is not None and getattr(icon, "相对坐标", None) is not None \
                and len(icon.相对坐标) and hasattr(icon, "推算大盘中心"):
            left, top, bottom, right = box
            try:
                gx, gy = icon.推算大盘中心()
            except (ZeroDivisionError, TypeError, ValueError):
                return tuple(box)
            hw, hh = (right - left) / 2, (bottom - top) / 2
            return (gx - hw, gy - hh, gy + hh, gx + hw)
        r = icon.矩形
        return (r.左, r.上, r.上 + r.高, r.左 + r.宽)

    def 标记相对坐标(self, icon):
        """Record the icon's vector from its group's centre anew.

        An icon in no group of this board keeps the vector it has: its own
        rectangle is no group box, and a vector from it would be zero.
        """
        if self.所在组合(icon) is None and getattr(icon, "_画板大盘矩形", None) is None:
            return
        icon.设置相对坐标(*self.获取组合矩形(icon))

    def _新组合(self, members):
        self.组合列表.append(list(members))
        for icon in members:
            icon._画板大盘矩形 = None
            self.标记相对坐标(icon)

    def _解散(self, group):
        self.组合列表 = [g for g in self.组合列表 if g is not group]
        for icon in group:
            icon.相对坐标 = None
            icon.原始缩放比例 = 1
            icon.大盘旋转角度 = 0
            icon.大盘缩放比例 = 1
            if hasattr(icon, "_画板大盘矩形"):
                icon._画板大盘矩形 = None

    def _移出组合(self, icon):
        # A group left with one member is no group.
        group = self.所在组合(icon)
        if group is not None:
            group[:] = [m for m in group if m is not icon]
            if len(group) < 2:
                self._解散(group)

    def 组合(self):
        """Group the selected icons (at least two) into one new group."""
        members = self.选中集合()
        if len(members) < 2:
            输出("请至少多选两个图标再组合")
            return
        for icon in members:
            self._移出组合(icon)
        self._新组合(members)

    def 取消组合(self):
        """Dissolve every group a selected icon belongs to."""
        for icon in self.选中集合():
            group = self.所在组合(icon)
            if group is not None:
                self._解散(group)

    def 平移组合(self, icon, dx, dy):
        """Move the icon's group (or the icon) by (dx, dy) actual pixels; a locked member holds all."""
        members = self.所在组合(icon) or [icon]
        if not dx and not dy or any(getattr(m, "锁", False) for m in members):
            return
        conv = self.屏幕.实际画板转标准数据
        for m in members:
            if hasattr(m, "取消菜单"):
                m.取消菜单()
            m.移动(conv(m.矩形.左 + dx), conv(m.矩形.上 + dy))

    def 缩放组合(self, icon, 增量):
        """Change the group's scale by 增量 about the group's centre; None when refused."""
        members = self.所在组合(icon)
        if not members or any(getattr(m, "锁", False) for m in members):
            return None
        k = icon.scale_ratio / icon.原始缩放比例 + 增量
        if k <= 0:
            return None
        left, top, bottom, right = self.获取组合矩形(icon)
        centre = (left + (right - left) / 2, top + (bottom - top) / 2)
        for m in members:
            m.被动缩放(m.原始缩放比例 * k, centre)
            # In actual-board terms like scale_ratio, so an icon at the standard
            # scale 1 that only follows its group has the group's scale.
            m.大盘缩放比例 = self.屏幕.标准数据转实际画板(k)
        return k

#include "icon/icon_common.hpp"
#include "register.hpp"

namespace tazu {

void register_icon(py::module_& m) {
  pyext::ClassBuilder b(m, "图标", TZ_G("游戏组件"));
  icon::add_model_members(b);
  icon::add_transform_members(b);
  icon::add_gesture_members(b);
  icon::add_drawing_members(b);
  icon::add_report_members(b);
  icon::add_media_members(b);
  icon::add_keyframe_members(b);
  icon::add_menu_members(b);
  // The members in the order the host sees them in the class namespace.
  // clang-format off
  py::object cls = b.finish({
            "__init__",     "__str__",      "设置相对坐标",   "导出",         "是否循环",
            "设置文本",     "选中",         "编辑文本",       "上浮",         "下浮",
            "融合",         "修改动作",     "锁定",           "解锁",         "组合",
            "取消组合",     "导入模板",     "复制",           "循环播放",     "替换",
            "重置",         "删除",         "镜像",           "添加动画",     "删除动画",
            "循环动画",     "设置坐标",     "设置比例",       "成功设置比例", "植入循环次数",
            "成功设置坐标", "展现图标状态", "保存状态",       "切换状态",     "弹出菜单",
            "移动",         "旋转",         "获取gif首帧",    "获取视频首帧", "中心",
            "推算大盘中心", "缩放",         "恢复缩放备份",   "被动缩放",     "处理文件",
            "get_optimize_file", "替换图片", "刷新图片",      "文件",         "报告",
            "报告当下",     "面积",         "左上角",         "旋转中心",     "取消激活",
            "处理图标状态", "处理图标菜单", "鼠标弹起",       "旋转角度",     "绘制",
            "更新内容",     "系统绘制",     "检查",           "取消菜单",     "鼠标移动",
            "键盘微调",     "上移",         "下移",           "左移",         "右移",
            "移动至目标",   "鼠标旋转",     "鼠标缩放",       "__eq__"});
  // clang-format on
  icon::set_icon_class(cls);
}

}  // namespace tazu

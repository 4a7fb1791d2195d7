// The module body: imports, then the classes and functions in their fixed order.
#include <pybind11/pybind11.h>

#include "convert.hpp"
#include "pyclass.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace {

// `from <package>.mix import *`, through the import system so a host may
// supply its own sibling `mix`.
void import_mix_names(py::module_& m) {
  py::object name = m.attr("__name__");
  std::string full = py::str(name);
  auto dot = full.rfind('.');
  py::module_ importlib = py::module_::import("importlib");
  py::object mix = dot == std::string::npos
                       ? importlib.attr("import_module")("mix")
                       : importlib.attr("import_module")(".mix", full.substr(0, dot));
  py::object names;
  if (py::hasattr(mix, "__all__")) {
    names = mix.attr("__all__");
  } else {
    py::list public_names;
    for (auto key : mix.attr("__dict__").attr("keys")()) {
      std::string k = py::str(key);
      if (!k.empty() && k[0] != '_') public_names.append(key);
    }
    names = public_names;
  }
  for (auto n : names) m.attr(n) = mix.attr(n);
  tazu::convert::note_reference_platform(mix);
}

}  // namespace

PYBIND11_MODULE(animation, m) {
  tazu::pyext::set_module(m);
  tazu::pyext::register_error_translator();
  m.attr("numpy") = py::module_::import("numpy");
  import_mix_names(m);
  // Fail here, as the class statement would, when mix has no base component.
  (void)TZ_G("游戏组件");

  tazu::register_segment_button(m);
  tazu::register_selection_list(m);
  m.attr("tazu_current_directory") = TZ_G("os").attr("getcwd")();
  tazu::register_relative_path(m);
  tazu::register_context_menu(m);
  tazu::register_state_selector(m);
  tazu::register_icon(m);
  tazu::register_coordinate_dialog(m);
  tazu::register_general_dialog(m);
  tazu::register_dropdown_dialog(m);
  tazu::register_font_dialog(m);
  tazu::register_layer_sprite(m);
  tazu::register_action_keys(m);
  tazu::register_audio_bars(m);
  tazu::register_narration(m);
  tazu::register_record_keys(m);
}

// Batches over every storyboard document of the storyboard folder.
#include <map>

#include "narration/narration.hpp"
#include "pyclass.hpp"
#include "tazu/narration.hpp"
#include "tazu/narration_rules.hpp"

namespace tazu::narration_py {

namespace {

// Calls `visit(document name, shot)` for every shot of every document, in
// folder order. A sub-folder is no document: it is skipped with a note rather
// than ending the batch half-way.
template <typename Visit>
void each_shot(py::handle config, Visit&& visit) {
  for (py::handle name : TZ_G("遍历文件夹")(TZ_GET(config, "分镜文件夹"))) {
    py::object document = TZ_G("路径")(TZ_GET(config, "分镜文件夹"), name);
    if (pyext::truthy(TZ_G("是否文件夹")(document))) {
      pyext::output(narration::not_a_document_message(lenient_text(document)));
      continue;
    }
    for (py::handle shot : TZ_G("阅读结构化文档")(document))
      visit(py::reinterpret_borrow<py::object>(name), py::reinterpret_borrow<py::object>(shot));
  }
}

// The shots of one batch by narration file. Shots whose numbers and titles
// agree share a file name; when their lines or characters differ, only the
// first gets its narration, and the others are reported instead of being
// silently taken for done. (The file name stays as it is: resuming relies on it.)
class NameClaims {
 public:
  // False, after reporting it, when an earlier shot with another line holds
  // the shot's narration file.
  bool claim(const py::object& document, const py::object& shot, const py::object& base) {
    const std::string file = narration::narration_file_names(lenient_text(base)).sound;
    Claim mine{document, field(shot, TZ_NAME("序号")), field(shot, TZ_NAME("文案")),
               field(shot, TZ_NAME("角色"))};
    auto [it, fresh] = claims_.emplace(file, mine);
    if (fresh) return true;
    const Claim& first = it->second;
    if (pyext::py_eq(first.line, mine.line) && pyext::py_eq(first.characters, mine.characters))
      return true;
    pyext::output(narration::name_taken_message(lenient_text(mine.number), lenient_text(document),
                                                file, lenient_text(first.document),
                                                lenient_text(first.number)));
    return false;
  }

 private:
  struct Claim {
    py::object document, number, line, characters;
  };
  std::map<std::string, Claim> claims_;
};

void voice(py::handle config, NameClaims& claims, const py::object& document,
           const py::object& shot) {
  py::object line = field(shot, TZ_NAME("文案"));
  py::object base = TZ_G("获得媒体纯文件名")(shot);
  if (!claims.claim(document, shot, base)) return;
  TZ_G("朗读声音")(config, line, base, shot);
}

}  // namespace

py::object generate_all(py::object config) {
  NameClaims claims;
  each_shot(config, [&](const py::object& document, const py::object& shot) {
    if (pyext::py_eq(field(shot, TZ_NAME("类型")), py::str("静音"))) return;
    voice(config, claims, document, shot);
  });
  return py::none();
}

py::object generate_matching(py::object config, py::object target) {
  py::object wanted = field(target, TZ_NAME("序号"));
  NameClaims claims;
  each_shot(config, [&](const py::object& document, const py::object& shot) {
    if (!pyext::py_eq(field(shot, TZ_NAME("序号")), wanted)) return;
    voice(config, claims, document, shot);
  });
  return py::none();
}

}  // namespace tazu::narration_py

#include "tazu/paths.hpp"

#include <sys/stat.h>

#include <vector>

namespace tazu::paths {

std::string join(std::string_view base, std::string_view path) {
  if (path.starts_with('/') || base.empty()) return std::string(path);
  std::string out(base);
  if (!out.ends_with('/')) out += '/';
  out += path;
  return out;
}

std::string normalize(std::string_view path) {
  if (path.empty()) return ".";
  std::size_t slashes = 0;
  if (path.starts_with('/')) slashes = path.starts_with("//") && !path.starts_with("///") ? 2 : 1;
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t cut = path.find('/');
    const std::string_view part = path.substr(0, cut);
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      parts.push_back(part);
    } else if (!parts.empty() && parts.back() != "..") {
      parts.pop_back();
    } else if (slashes == 0) {
      parts.push_back(part);  // above a relative path's start: kept
    }
  }
  std::string out(slashes, '/');
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '/';
    out += parts[i];
  }
  return out.empty() ? "." : out;
}

bool same_file(std::string_view base, std::string_view a, std::string_view b) {
  return normalize(join(base, a)) == normalize(join(base, b));
}

bool exists(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return false;
  struct stat st;
  return ::stat(std::string(path).c_str(), &st) == 0;
}

}  // namespace tazu::paths

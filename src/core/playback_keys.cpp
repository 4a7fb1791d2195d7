#include <tazu/playback.hpp>

namespace tazu::playback {

ActionKeyKind classify_action_key(std::string_view key) {
  return classify_action_key(
      [key](std::string_view part) { return key.find(part) != std::string_view::npos; });
}

ActionKeyKind classify_action_key(const std::function<bool(std::string_view part)>& has) {
  if (!has("_")) return ActionKeyKind::not_action;
  const bool marked = has("音") || has("特效");  // sound or effect
  if (has("组合")) return ActionKeyKind::combination;
  return marked ? ActionKeyKind::other : ActionKeyKind::pure;
}

bool KeyHistory::mirrors(const void* list, std::size_t length, const void* last) const {
  return list_ && list == list_ && length == length_ && (length == 0 || last == last_);
}

void KeyHistory::restart(const void* list) {
  list_ = list;
  last_ = nullptr;
  length_ = 0;
  usable_ = true;
  keys_.clear();
}

void KeyHistory::add(std::optional<std::string_view> key, const void* item) {
  if (!key) usable_ = false;
  if (usable_) keys_.emplace(*key);
  last_ = item;
  ++length_;
}

std::string describe_sprite(const SpriteText& s) {
  // Two blanks after the fourth colon, as the layer has always printed.
  return "（" + s.x + "，" + s.y + "） : 终结" + s.ended + " : 是否处理" + s.shaped +
         " : 开始时间" + s.start_time + " :  " + s.now + " : " + s.file;
}

TimeWeights compute_time_weights(const std::vector<std::optional<double>>& parsed) {
  TimeWeights out;
  out.weights.reserve(parsed.size());
  const bool single = parsed.size() == 1;
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    double w = (i == 0 && !single) ? 0.0 : parsed[i].value_or(1.0);
    out.weights.push_back(w);
    out.total += w;
  }
  return out;
}

}  // namespace tazu::playback

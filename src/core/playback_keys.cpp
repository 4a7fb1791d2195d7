#include <tazu/playback.hpp>

namespace tazu::playback {

ActionKeyKind classify_action_key(std::string_view key) {
  auto has = [key](std::string_view part) { return key.find(part) != std::string_view::npos; };
  if (!has("_")) return ActionKeyKind::not_action;
  if (has("组合")) return ActionKeyKind::combination;
  if (has("音") || has("特效")) return ActionKeyKind::other;
  return ActionKeyKind::pure;
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

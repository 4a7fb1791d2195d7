#include <algorithm>
#include <cmath>
#include <tazu/playback.hpp>

namespace tazu::playback {

void SegmentTimeline::clear() {
  starts_.clear();
  ends_.clear();
  ordered_ = true;
}

void SegmentTimeline::append(double start, double duration) {
  const double end = start + duration;
  if (!std::isfinite(start) || !std::isfinite(end)) {
    ordered_ = false;
  } else if (!starts_.empty() && (start < starts_.back() || end < ends_.back())) {
    ordered_ = false;
  }
  starts_.push_back(start);
  ends_.push_back(end);
}

void SegmentTimeline::find(double t, std::vector<std::size_t>& out) const {
  out.clear();
  if (!ordered_ || std::isnan(t)) {
    scan(t, out);
    return;
  }
  // With starts and ends both sorted, the holders are the segments that end at
  // or after t and start at or before it: one run.
  auto lo = std::lower_bound(ends_.begin(), ends_.end(), t) - ends_.begin();
  auto hi = std::upper_bound(starts_.begin(), starts_.end(), t) - starts_.begin();
  for (auto i = lo; i < hi; ++i) out.push_back(static_cast<std::size_t>(i));
}

void SegmentTimeline::scan(double t, std::vector<std::size_t>& out) const {
  out.clear();
  for (std::size_t i = 0; i < starts_.size(); ++i)
    if (holds_moment(t, starts_[i], ends_[i])) out.push_back(i);
}

}  // namespace tazu::playback

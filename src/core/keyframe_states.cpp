#include "tazu/keyframe_states.hpp"

namespace tazu::keyframes {

bool saves_into_stored(double k, double count) { return k >= 0 && k < count; }

bool switches_to_stored(double k, double count) { return !(k > count - 1); }

bool adds_at(double k) { return k >= 0; }

Deletion deletion(double k, double rows, double count) {
  if (k > rows - 1) return Deletion::nothing;
  return switches_to_stored(k, count) ? Deletion::stored : Deletion::live;
}

}  // namespace tazu::keyframes

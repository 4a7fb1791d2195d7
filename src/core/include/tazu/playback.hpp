// Layer playback: action keys and time weights of a shot, change segments laid
// on a sprite's clock, the search for the segments that hold a moment, and the
// box geometry used to place a layer at that moment.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "tazu/geometry.hpp"
#include "tazu/segment_record.hpp"

namespace tazu::playback {

// ----- action keys -------------------------------------------------------

enum class ActionKeyKind {
  not_action,   // no "_" at all
  pure,         // an action frame
  combination,  // holds "组合"
  other,        // sound or effect keys: neither pure nor a combination
};

// Plain substring tests on the whole key (UTF-8).
ActionKeyKind classify_action_key(std::string_view key);
// The same decision for a key that answers `has(part)` itself, asked for "_",
// "音", "特效" (unless "音" is in it) and "组合", in that order.
ActionKeyKind classify_action_key(const std::function<bool(std::string_view part)>& has);

// Weights of a shot's frames in play order. `parsed[i]` is the frame's action
// name read as a number, or nothing when it does not read as one. The first
// frame of a multi-frame shot is the starting pose and weighs 0; a name that
// does not read weighs 1.
struct TimeWeights {
  std::vector<double> weights;  // one per frame, in order
  double total = 0;
};
TimeWeights compute_time_weights(const std::vector<std::optional<double>>& parsed);

// ----- geometry ----------------------------------------------------------

using tazu::Box;
using tazu::GroupBox;
using tazu::lerp;
using tazu::RotateFn;
using tazu::turn_box;
using tazu::turn_box_about;
using tazu::TurnedBox;
using tazu::Vec2;

// Linear interpolation of two box centres (t is not clamped).
Vec2 interpolate_centre(double t, const Box& start, const Box& end);

// ----- the keys a sprite has shaped ---------------------------------------

// The action keys of a sprite's history list as a set: asking the list on
// every frame whether a key was shaped makes a shot of n frames cost n². The
// set stands for one list while that list has the length and the last item
// the set saw; a list with an item that is not text is not mirrored. Lists and
// items are told apart by tokens (their addresses), which the caller keeps
// alive while it uses the set. A host that writes a key into the middle of the
// list in place of another is not seen.
class KeyHistory {
 public:
  // Whether the set stands for `list` with this length and last item.
  bool mirrors(const void* list, std::size_t length, const void* last) const;
  // Starts again, for an empty `list`.
  void restart(const void* list);
  // `item` was appended to the list; `key` is its text, nothing when it has none.
  void add(std::optional<std::string_view> key, const void* item);
  // Whether the set answers for the list.
  bool usable() const { return list_ && usable_; }
  bool contains(std::string_view key) const { return keys_.contains(std::string(key)); }
  std::size_t length() const { return length_; }
  // The list changed behind the set's back: read it again next time.
  void forget() { list_ = nullptr; }

 private:
  const void* list_ = nullptr;
  const void* last_ = nullptr;
  std::size_t length_ = 0;
  bool usable_ = false;
  std::unordered_set<std::string> keys_;
};

// ----- a sprite's own text ------------------------------------------------

// What a sprite prints as: its position, whether it ended and was shaped, its
// start time, its clock and its file, each already as its text.
struct SpriteText {
  std::string x, y, ended, shaped, start_time, now, file;
};
std::string describe_sprite(const SpriteText& s);

// ----- change segments ---------------------------------------------------

// One stretch of a layer's animation with every animated number typed. Values
// that a record may leave out are optional.
struct ChangeSegment {
  double start_time = 0, duration = 0;
  bool from_state_list = false;
  Vec2 start_pos, end_pos;
  double start_width = 0, end_width = 0, start_height = 0, end_height = 0;
  double start_angle = 0, end_angle = 0;
  double start_scale = 1, end_scale = 1;
  std::optional<Vec2> start_pivot, end_pivot;
  std::optional<GroupBox> start_group, end_group;
  double start_group_angle = 0, end_group_angle = 0;
  double start_group_scale = 1, end_group_scale = 1;
  std::optional<Vec2> start_relative, end_relative;
  std::optional<Vec2> start_origin, end_origin;
  std::optional<double> base_scale = 1.0;

  Box start_box() const { return {start_pos.x, start_pos.y, start_width, start_height}; }
  Box end_box() const { return {end_pos.x, end_pos.y, end_width, end_height}; }
};

// The numbers of a segment record and the fields they fill, in the order
// the walk converts them: those every segment has, then those of a layer in a
// group, then the group's optional points.
template <typename T>
struct SegmentField {
  segment::Key key;
  T ChangeSegment::*field;
};
inline constexpr std::array<SegmentField<double>, 8> kSegmentNumbers = {{
    {segment::Key::start_angle, &ChangeSegment::start_angle},
    {segment::Key::end_angle, &ChangeSegment::end_angle},
    {segment::Key::start_scale, &ChangeSegment::start_scale},
    {segment::Key::end_scale, &ChangeSegment::end_scale},
    {segment::Key::start_width, &ChangeSegment::start_width},
    {segment::Key::end_width, &ChangeSegment::end_width},
    {segment::Key::start_height, &ChangeSegment::start_height},
    {segment::Key::end_height, &ChangeSegment::end_height},
}};
inline constexpr std::array<SegmentField<double>, 4> kGroupNumbers = {{
    {segment::Key::start_group_angle, &ChangeSegment::start_group_angle},
    {segment::Key::end_group_angle, &ChangeSegment::end_group_angle},
    {segment::Key::start_group_scale, &ChangeSegment::start_group_scale},
    {segment::Key::end_group_scale, &ChangeSegment::end_group_scale},
}};
inline constexpr std::array<SegmentField<std::optional<Vec2>>, 4> kGroupPoints = {{
    {segment::Key::start_relative, &ChangeSegment::start_relative},
    {segment::Key::end_relative, &ChangeSegment::end_relative},
    {segment::Key::start_origin, &ChangeSegment::start_origin},
    {segment::Key::end_origin, &ChangeSegment::end_origin},
}};

// Progress of a moment (on the sprite's clock) through a segment; the caller
// makes sure the duration is not zero.
double segment_progress(const ChangeSegment& s, double local_time);

// The box the plain path turns to the moment's angle `angle`, with the angle
// it has. A record's width and height are those of the picture's bounds at the
// start angle; turned again to another angle they outgrow the picture. So when
// the start angle is not 0, the moment's angle differs from it and the
// picture's own pixel size is known, the unturned picture at the start scale
// about the start centre is used instead, which keeps the picture's centre on
// the interpolated centre. Otherwise the record's box is the right one.
struct TurningBox {
  Box box;
  double angle = 0;
};
bool turns_from_turned_start(const ChangeSegment& s, double angle);
TurningBox turning_box(const ChangeSegment& s, double angle, std::optional<Vec2> picture);

// The layer's state at progress t on the plain path: the interpolated centre,
// angle and scale, and the top-left of its box turned and scaled to them.
struct PlainPlacement {
  double angle = 0, scale = 0;
  Vec2 centre;
  TurnedBox box;
};
// `centre`: the interpolated centre when the caller has it (a host may compute
// it), else the core's.
PlainPlacement place_plain(const ChangeSegment& s, double t, const RotateFn& rotate,
                           std::optional<Vec2> picture = std::nullopt,
                           std::optional<Vec2> centre = std::nullopt);

// Which offset vector a grouped layer uses, and how it is scaled.
enum class GroupVector {
  end_turning,    // the group turns the layer: end offset at group scale / end scale
  local_scaling,  // the layer scales on its own: start offset at scale / base scale
  start,          // start offset at group scale / base scale
};

struct GroupPlacement {
  double angle = 0, scale = 0;  // the layer's own, interpolated
  double group_angle = 0, group_scale = 0;
  Vec2 group_centre;
  bool local_rotation = false, local_scaling = false;
  GroupVector vector_kind = GroupVector::start;
  std::optional<Vec2> origin;  // the origin pair belonging to that vector
  Vec2 centre;                 // the layer's centre M
  TurnedBox box;               // its box (origin size × scale) turned with the group about M
};

// `pivot_truthy`: the chosen rotation centre and the start one are both set;
// `local_scaling`: the layer's scale differs from its group's; `origin_size` is the media's pixel
// size; `group_centre`: the group's centre at t when the caller has it, else the interpolated
// centre of the two group boxes. Throws WrongKind when a value it needs (the group boxes, the
// offset vector, the base scale) is missing, DivisionByZero for a zero scale.
GroupPlacement place_in_group(const ChangeSegment& s, double t, bool pivot_truthy,
                              bool local_scaling, Vec2 origin_size, const RotateFn& rotate,
                              std::optional<Vec2> group_centre = std::nullopt);

// The pivot of a layer turning on its own inside a turning group: its offset
// from the layer's start centre, turned with the group and put at the layer's
// current centre.
Vec2 carried_pivot(const ChangeSegment& s, const GroupPlacement& g, Vec2 pivot,
                   const RotateFn& rotate);

// How the icon of a grouped layer is brought to the moment, after it was put
// in the segment's start state.
enum class GroupTransform {
  turn_locally,      // the layer turns on its own about a pivot carried with the group
  turn_about_pivot,  // the group turns it about the end rotation centre, then it is moved
  scale_and_move,    // no rotation centre: scaled and moved
};
GroupTransform group_transform(const GroupPlacement& g, bool end_pivot_set);

// The icon's state for each transform. Records hold standard data; the icon's
// origin, its position and the markers are actual-board pixels (times `fit`,
// the screen's fit ratio). `axis` (the carried pivot) stays standard data: the
// icon converts what it is given with 初始.
struct GroupIconState {
  GroupTransform kind = GroupTransform::scale_and_move;
  std::optional<Vec2> origin;        // set on the icon, in board pixels (both turning kinds)
  Vec2 axis;                         // turn_locally: the pivot it turns about
  Vec2 move;                         // the top-left x, y truncated toward zero, in board pixels
  Vec2 centre_marker;                // the layer's centre, in board pixels
  std::optional<Vec2> pivot_marker;  // the pivot, in board pixels
};
// `start_pivot` and `pivot` (the chosen rotation centre) are needed by
// turn_locally, `end_pivot` by turn_about_pivot. Throws WrongKind when the
// segment's origin pair for the transform is missing.
GroupIconState group_icon_state(const ChangeSegment& s, const GroupPlacement& g,
                                GroupTransform kind, std::optional<Vec2> pivot,
                                std::optional<Vec2> start_pivot, std::optional<Vec2> end_pivot,
                                double fit, const RotateFn& rotate);

// ----- finding the segments that hold a moment ---------------------------

// Whether the closed interval [start, end] holds `t`. Written as the walk's
// two skips (not as "<=" twice), so that a NaN anywhere counts as held.
constexpr bool holds_moment(double t, double start, double end) {
  return !(t < start) && !(t > end);
}

// Start and end times of a sprite's segments in order. When starts and ends
// both never decrease (segments laid end to end, possibly overlapping at the
// joins), the segments holding a moment form one run found by binary search;
// otherwise (negative durations, out-of-order starts) a scan finds them.
class SegmentTimeline {
 public:
  void clear();
  void append(double start, double duration);
  std::size_t size() const { return starts_.size(); }
  bool ordered() const { return ordered_; }

  // Indexes of the segments whose closed interval [start, start + duration]
  // holds `t`, in order.
  void find(double t, std::vector<std::size_t>& out) const;
  // The same, reading every segment.
  void scan(double t, std::vector<std::size_t>& out) const;

 private:
  std::vector<double> starts_, ends_;
  bool ordered_ = true;
};

}  // namespace tazu::playback

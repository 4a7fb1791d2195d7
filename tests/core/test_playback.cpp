#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tazu/errors.hpp>
#include <tazu/playback.hpp>
#include <tazu/segment_record.hpp>
#include <vector>

using namespace tazu::playback;

namespace {

// Screen convention: positive degrees turn clockwise with y pointing down.
Vec2 rotate(Vec2 v, double deg) {
  double r = deg * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

std::vector<std::size_t> holders(const SegmentTimeline& tl, double t) {
  std::vector<std::size_t> out;
  tl.find(t, out);
  return out;
}

std::vector<std::size_t> scanned(const SegmentTimeline& tl, double t) {
  std::vector<std::size_t> out;
  tl.scan(t, out);
  return out;
}

}  // namespace

TEST(ActionKeys, Classification) {
  struct Case {
    const char* key;
    ActionKeyKind kind;
  } cases[] = {
      {"镜头_走路_2", ActionKeyKind::pure},       {"镜头_组合_音_1", ActionKeyKind::combination},
      {"镜头组合_1", ActionKeyKind::combination}, {"背景音_1", ActionKeyKind::other},
      {"火焰特效_1", ActionKeyKind::other},       {"组合", ActionKeyKind::not_action},
      {"普通键", ActionKeyKind::not_action},      {"_", ActionKeyKind::pure},
  };
  for (const auto& c : cases) EXPECT_EQ(classify_action_key(c.key), c.kind) << c.key;
}

// A key that is not text is asked part by part; the questions stop where the
// answer is known, in a fixed order.
TEST(ActionKeys, KeysThatAnswerThemselvesAreAskedInOrder) {
  auto asked = [](std::string_view key) {
    std::vector<std::string> parts;
    auto kind = classify_action_key([&](std::string_view part) {
      parts.emplace_back(part);
      return key.find(part) != std::string_view::npos;
    });
    EXPECT_EQ(kind, classify_action_key(key)) << key;
    return parts;
  };
  EXPECT_EQ(asked("普通键"), (std::vector<std::string>{"_"}));
  EXPECT_EQ(asked("背景音_1"), (std::vector<std::string>{"_", "音", "组合"}));
  EXPECT_EQ(asked("镜头_走路"), (std::vector<std::string>{"_", "音", "特效", "组合"}));
}

TEST(SegmentTimeline, HoldsBothEndsAndNaN) {
  EXPECT_TRUE(holds_moment(1.0, 1.0, 2.0));
  EXPECT_TRUE(holds_moment(2.0, 1.0, 2.0));
  EXPECT_FALSE(holds_moment(2.5, 1.0, 2.0));
  EXPECT_FALSE(holds_moment(0.5, 1.0, 2.0));
  EXPECT_TRUE(holds_moment(std::nan(""), 1.0, 2.0));
  EXPECT_TRUE(holds_moment(1.5, 1.0, std::nan("")));
}

TEST(TimeWeights, FirstFrameOfManyIsStartingPose) {
  auto w = compute_time_weights({5.0, 2.0, std::nullopt});
  ASSERT_EQ(w.weights.size(), 3u);
  EXPECT_EQ(w.weights[0], 0.0);
  EXPECT_EQ(w.weights[1], 2.0);
  EXPECT_EQ(w.weights[2], 1.0);
  EXPECT_EQ(w.total, 3.0);
}

TEST(TimeWeights, SingleAndEmpty) {
  auto one = compute_time_weights({2.0});
  EXPECT_EQ(one.weights[0], 2.0);
  EXPECT_EQ(one.total, 2.0);
  auto odd = compute_time_weights({std::nullopt});
  EXPECT_EQ(odd.total, 1.0);
  EXPECT_EQ(compute_time_weights({}).total, 0.0);
}

TEST(Geometry, CentreInterpolates) {
  Box a{0, 0, 10, 20}, b{100, 50, 30, 40};
  auto s = interpolate_centre(0, a, b), e = interpolate_centre(1, a, b),
       m = interpolate_centre(0.5, a, b);
  EXPECT_DOUBLE_EQ(s.x, 5);
  EXPECT_DOUBLE_EQ(s.y, 10);
  EXPECT_DOUBLE_EQ(e.x, 115);
  EXPECT_DOUBLE_EQ(e.y, 70);
  EXPECT_DOUBLE_EQ(m.x, 60);
  EXPECT_DOUBLE_EQ(m.y, 40);
  auto far = interpolate_centre(2, a, b);  // not clamped
  EXPECT_DOUBLE_EQ(far.x, 225);
}

TEST(Geometry, TurnBoxWithoutChangeTranslates) {
  auto r = turn_box({10, 20, 40, 30}, 0, 1, {100, 100}, rotate);
  EXPECT_DOUBLE_EQ(r.x, 80);
  EXPECT_DOUBLE_EQ(r.y, 85);
  EXPECT_DOUBLE_EQ(r.corners[2].x, 120);
  EXPECT_DOUBLE_EQ(r.corners[2].y, 115);
}

TEST(Geometry, QuarterTurnGivesBoundingTopLeft) {
  // A 40 x 10 box turned a quarter stands 10 wide and 40 high about its centre.
  auto r = turn_box({0, 0, 40, 10}, 90, 1, {20, 5}, rotate);
  EXPECT_NEAR(r.x, 15, 1e-9);
  EXPECT_NEAR(r.y, -15, 1e-9);
  // Top-left corner goes to where the clockwise turn puts it.
  EXPECT_NEAR(r.corners[0].x, 25, 1e-9);
  EXPECT_NEAR(r.corners[0].y, -15, 1e-9);
}

TEST(Geometry, ScaleAboutCentre) {
  auto r = turn_box({0, 0, 10, 10}, 0, 2, {5, 5}, rotate);
  EXPECT_DOUBLE_EQ(r.x, -5);
  EXPECT_DOUBLE_EQ(r.y, -5);
}

TEST(Segments, PlainEndsReproduceStates) {
  ChangeSegment s;
  s.start_pos = {0, 0};
  s.end_pos = {100, 40};
  s.start_width = s.end_width = 20;
  s.start_height = s.end_height = 10;
  s.start_angle = 0;
  s.end_angle = 90;
  s.start_scale = 1;
  s.end_scale = 3;
  auto a = place_plain(s, 0, rotate);
  EXPECT_DOUBLE_EQ(a.angle, 0);
  EXPECT_DOUBLE_EQ(a.box.x, 0);
  EXPECT_DOUBLE_EQ(a.box.y, 0);
  auto b = place_plain(s, 1, rotate);
  EXPECT_DOUBLE_EQ(b.angle, 90);
  EXPECT_DOUBLE_EQ(b.scale, 3);
  EXPECT_DOUBLE_EQ(b.centre.x, 110);
  EXPECT_DOUBLE_EQ(b.centre.y, 45);
  // 20 x 10 at three times, standing: 30 wide, 60 high about (110, 45).
  EXPECT_NEAR(b.box.x, 95, 1e-9);
  EXPECT_NEAR(b.box.y, 15, 1e-9);
}

TEST(Segments, TurnedStartReachesTheEndRecord) {
  // A 40 x 20 picture turned 30 degrees at the start, 90 at the end: the
  // records hold the bounds of the turned picture.
  const double c30 = std::cos(std::numbers::pi / 6), s30 = 0.5;
  ChangeSegment s;
  s.start_width = 40 * c30 + 20 * s30;
  s.start_height = 40 * s30 + 20 * c30;
  s.start_pos = {100 - s.start_width / 2, 100 - s.start_height / 2};
  s.end_width = 20;
  s.end_height = 40;
  s.end_pos = {190, 80};  // centre (200, 100)
  s.start_angle = 30;
  s.end_angle = 90;
  for (double t : {0.0, 0.5, 1.0}) {
    auto p = place_plain(s, t, rotate, Vec2{40, 20});
    double a = (30 + 60 * t) * std::numbers::pi / 180;
    double w = 40 * std::abs(std::cos(a)) + 20 * std::abs(std::sin(a));
    double h = 40 * std::abs(std::sin(a)) + 20 * std::abs(std::cos(a));
    EXPECT_NEAR(p.box.x, p.centre.x - w / 2, 1e-9) << t;
    EXPECT_NEAR(p.box.y, p.centre.y - h / 2, 1e-9) << t;
  }
  // Without the picture's size the start bounds are turned, which overshoots.
  auto rough = place_plain(s, 1, rotate);
  EXPECT_LT(rough.box.x, 190 - 1);
}

TEST(Segments, RecordBoxServesWhereItIsRight) {
  // The picture's own box is only taken for a turn away from a turned start:
  // a turned picture that only moves, or a turn from 0, keeps the record's
  // bounds (which the board rounded), so the ends land on the records.
  ChangeSegment moving;
  moving.start_pos = {98, 91.5};
  moving.end_pos = {300, 100};
  moving.start_width = moving.end_width = 44;
  moving.start_height = moving.end_height = 37;
  moving.start_angle = moving.end_angle = 30;
  ChangeSegment from_zero;
  from_zero.start_width = from_zero.end_width = 41;
  from_zero.start_height = from_zero.end_height = 21;
  from_zero.end_angle = 45;
  for (const ChangeSegment& s : {moving, from_zero}) {
    for (double t : {0.0, 0.5, 1.0}) {
      auto with = place_plain(s, t, rotate, Vec2{40, 20});
      auto without = place_plain(s, t, rotate);
      EXPECT_DOUBLE_EQ(with.box.x, without.box.x) << t;
      EXPECT_DOUBLE_EQ(with.box.y, without.box.y) << t;
    }
  }
  EXPECT_DOUBLE_EQ(place_plain(moving, 1, rotate, Vec2{40, 20}).box.x, 300);
}

TEST(Segments, ZeroStartScaleAndDurationFail) {
  ChangeSegment s;
  s.start_scale = 0;
  EXPECT_THROW(place_plain(s, 0.5, rotate), std::domain_error);
  ChangeSegment z;
  EXPECT_THROW(segment_progress(z, 1), std::domain_error);
}

namespace {
ChangeSegment grouped() {
  ChangeSegment s;
  s.start_group = GroupBox{0, 0, 100, 100};  // centre (50, 50)
  s.end_group = GroupBox{100, 0, 100, 200};  // centre (150, 50)
  s.start_relative = s.end_relative = Vec2{20, 0};
  s.start_pos = {60, 45};
  s.end_pos = {160, 45};
  s.start_width = s.end_width = 20;
  s.start_height = s.end_height = 10;
  return s;
}
}  // namespace

TEST(Segments, StillGroupKeepsPlace) {
  ChangeSegment s = grouped();
  s.end_group = s.start_group;
  for (double t : {0.0, 0.3, 1.0}) {
    auto g = place_in_group(s, t, false, false, {20, 10}, rotate);
    EXPECT_DOUBLE_EQ(g.centre.x, 70);
    EXPECT_DOUBLE_EQ(g.centre.y, 50);
    EXPECT_DOUBLE_EQ(g.box.x, 60);
    EXPECT_DOUBLE_EQ(g.box.y, 45);
  }
}

TEST(Segments, GroupMovesTurnsAndScales) {
  ChangeSegment s = grouped();
  auto mid = place_in_group(s, 0.5, false, false, {20, 10}, rotate);
  EXPECT_DOUBLE_EQ(mid.centre.x, 120);
  EXPECT_EQ(mid.vector_kind, GroupVector::start);

  // The group turns a quarter: the layer turns with it, so the end offset is used.
  s.end_group_angle = 90;
  s.end_angle = 90;
  auto end = place_in_group(s, 1, false, false, {20, 10}, rotate);
  EXPECT_EQ(end.vector_kind, GroupVector::start);  // layer and group angles agree
  s.end_angle = 45;
  auto turning = place_in_group(s, 1, false, false, {20, 10}, rotate);
  EXPECT_EQ(turning.vector_kind, GroupVector::end_turning);
  // Offset (20, 0) turned by start − current = −90: ends above the centre.
  EXPECT_NEAR(turning.centre.x, 150, 1e-9);
  EXPECT_NEAR(turning.centre.y, 30, 1e-9);

  // The group doubles: the offset doubles with it.
  ChangeSegment big = grouped();
  big.end_group_scale = 2;
  auto g = place_in_group(big, 1, false, false, {20, 10}, rotate);
  EXPECT_DOUBLE_EQ(g.centre.x, 190);

  ChangeSegment local = grouped();
  local.end_scale = 2;
  auto l = place_in_group(local, 1, false, true, {20, 10}, rotate);
  EXPECT_EQ(l.vector_kind, GroupVector::local_scaling);
  EXPECT_DOUBLE_EQ(l.box.x, l.centre.x - 20);
}

TEST(Segments, LocalRotationCarriesPivot) {
  ChangeSegment s = grouped();
  s.end_group = s.start_group;
  s.end_angle = 30;
  auto g = place_in_group(s, 1, true, false, {20, 10}, rotate);
  EXPECT_TRUE(g.local_rotation);
  auto p = carried_pivot(s, g, {60, 45}, rotate);  // start box's top-left
  EXPECT_DOUBLE_EQ(p.x, 60);
  EXPECT_DOUBLE_EQ(p.y, 45);
}

TEST(Segments, MissingOffsetFails) {
  ChangeSegment s = grouped();
  s.start_relative.reset();
  EXPECT_THROW(place_in_group(s, 0.5, false, false, {20, 10}, rotate), std::invalid_argument);
}

TEST(Segments, GroupIconStateByTransform) {
  ChangeSegment s = grouped();
  s.start_origin = s.end_origin = Vec2{5, 6};
  s.start_group_angle = 10;  // the box turns, so its corner is not whole
  GroupPlacement g = place_in_group(s, 0.5, false, false, {20, 10}, rotate);
  ASSERT_NE(g.box.x, std::trunc(g.box.x));

  // Without a rotation centre the icon is scaled and moved to the truncated
  // corner, converted to board pixels.
  EXPECT_EQ(group_transform(g, false), GroupTransform::scale_and_move);
  auto moved = group_icon_state(s, g, GroupTransform::scale_and_move, {}, {}, {}, 2, rotate);
  EXPECT_DOUBLE_EQ(moved.move.x, std::trunc(g.box.x) * 2);
  EXPECT_DOUBLE_EQ(moved.move.y, std::trunc(g.box.y) * 2);
  EXPECT_DOUBLE_EQ(moved.centre_marker.x, g.centre.x * 2);
  EXPECT_FALSE(moved.origin);
  EXPECT_FALSE(moved.pivot_marker);

  // Turned by the group about the end centre: the origin is set too.
  EXPECT_EQ(group_transform(g, true), GroupTransform::turn_about_pivot);
  auto about =
      group_icon_state(s, g, GroupTransform::turn_about_pivot, {}, {}, Vec2{7, 8}, 2, rotate);
  EXPECT_DOUBLE_EQ(about.origin->x, 10);
  EXPECT_DOUBLE_EQ(about.pivot_marker->y, 16);
  g.origin.reset();
  EXPECT_THROW(
      group_icon_state(s, g, GroupTransform::turn_about_pivot, {}, {}, Vec2{7, 8}, 2, rotate),
      tazu::WrongKind);
}

TEST(Segments, LocalTurnMovesOriginWithThePivot) {
  ChangeSegment s = grouped();
  s.end_group = s.start_group;
  s.end_angle = 30;
  s.start_origin = Vec2{60, 45};
  auto g = place_in_group(s, 1, true, false, {20, 10}, rotate);
  ASSERT_EQ(group_transform(g, true), GroupTransform::turn_locally);
  // The pivot sits 5 right of the start centre; the group stands still, so
  // it stays where it was and the origin with it.
  const Vec2 pivot{75, 50};
  auto st = group_icon_state(s, g, GroupTransform::turn_locally, pivot, pivot, {}, 1, rotate);
  EXPECT_DOUBLE_EQ(st.axis.x, 75);
  EXPECT_DOUBLE_EQ(st.axis.y, 50);
  EXPECT_DOUBLE_EQ(st.origin->x, 60);
  EXPECT_DOUBLE_EQ(st.pivot_marker->x, 75);
  EXPECT_THROW(group_icon_state(s, g, GroupTransform::turn_locally, {}, pivot, {}, 1, rotate),
               tazu::WrongKind);
}

TEST(SegmentRecord, KeysAreNamedOnceAndReadOnce) {
  using namespace tazu::segment;
  std::set<std::string_view> names;
  for (const auto& k : kKeys) EXPECT_TRUE(names.insert(k.name).second) << k.name;
  // Every key but the copy of the first icon dict is read by the walk, once.
  std::vector<Key> read;
  read.insert(read.end(), kInterval.begin(), kInterval.end());
  read.push_back(Key::start_angle);
  read.insert(read.end(), kLook.begin(), kLook.end());
  read.insert(read.end(), kSizes.begin(), kSizes.end());
  read.push_back(Key::from_state_list);
  read.insert(read.end(), kGroup.begin(), kGroup.end());
  std::set<Key> once(read.begin(), read.end());
  EXPECT_EQ(once.size(), read.size());
  EXPECT_EQ(once.size(), kKeyCount - 1);
  EXPECT_FALSE(once.count(Key::initial_icon_dict));
}

TEST(Timeline, EndToEndFindsHoldersAndBothAtJoin) {
  SegmentTimeline tl;
  for (int i = 0; i < 5; ++i) tl.append(i * 2.0, 2.0);
  EXPECT_TRUE(tl.ordered());
  EXPECT_EQ(holders(tl, 3), (std::vector<std::size_t>{1}));
  EXPECT_EQ(holders(tl, 4), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(holders(tl, 0), (std::vector<std::size_t>{0}));
  EXPECT_EQ(holders(tl, 10), (std::vector<std::size_t>{4}));
  EXPECT_TRUE(holders(tl, -0.1).empty());
  EXPECT_TRUE(holders(tl, 10.1).empty());
}

TEST(Timeline, AgreesWithScan) {
  // Gaps, overlaps of equal segments and unordered layouts all give what a
  // scan of every segment gives.
  std::vector<std::vector<std::pair<double, double>>> layouts = {
      {{0, 1}, {1, 1}, {1, 1}, {3, 2}},   // repeated segment, then a gap
      {{0, 2}, {2, -1}, {1, 3}, {4, 1}},  // negative duration
      {{5, 1}, {0, 1}, {2, 2}},           // out of order
      {{0, 0.1}, {0.1, 0.2}, {0.30000000000000004, 0.1}},
      {{0, INFINITY}, {1, 1}},
  };
  for (const auto& layout : layouts) {
    SegmentTimeline tl;
    for (auto [s, d] : layout) tl.append(s, d);
    for (double t = -1; t <= 7; t += 0.05) EXPECT_EQ(holders(tl, t), scanned(tl, t)) << t;
    for (auto [s, d] : layout) {
      EXPECT_EQ(holders(tl, s), scanned(tl, s));
      EXPECT_EQ(holders(tl, s + d), scanned(tl, s + d));
    }
  }
}

TEST(Timeline, NegativeDurationFallsBackToScan) {
  SegmentTimeline tl;
  tl.append(0, 2);
  tl.append(2, -1);
  EXPECT_FALSE(tl.ordered());
  tl.clear();
  EXPECT_TRUE(tl.ordered());
  EXPECT_EQ(tl.size(), 0u);
}

TEST(Timeline, LargeTimelineSearch) {
  SegmentTimeline tl;
  for (int i = 0; i < 10000; ++i) tl.append(i * 0.04, 0.04);
  EXPECT_TRUE(tl.ordered());
  auto h = holders(tl, 123.45);
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(h[0], 3086u);
}

// Every number the walk converts was read from the record by an earlier step
// (the start angle alone, then the look, the sizes and the group), and no
// field is filled twice.
TEST(SegmentFields, ConvertedOnlyWhatTheWalkRead) {
  namespace seg = tazu::segment;
  auto read = [](seg::Key k, auto... steps) {
    return ((std::find(steps.begin(), steps.end(), k) != steps.end()) || ...);
  };
  const std::array<seg::Key, 1> angle = {seg::Key::start_angle};
  std::set<seg::Key> seen;
  for (const auto& n : kSegmentNumbers) {
    EXPECT_TRUE(read(n.key, angle, seg::kLook, seg::kSizes)) << seg::name(n.key);
    EXPECT_TRUE(seen.insert(n.key).second);
  }
  for (const auto& n : kGroupNumbers) {
    EXPECT_TRUE(read(n.key, seg::kLook, seg::kSizes)) << seg::name(n.key);
    EXPECT_TRUE(seen.insert(n.key).second);
  }
  for (const auto& p : kGroupPoints) {
    EXPECT_TRUE(read(p.key, seg::kGroup)) << seg::name(p.key);
    EXPECT_TRUE(seen.insert(p.key).second);
  }
}

TEST(SpriteText, ReadsAsTheLayerPrints) {
  EXPECT_EQ(describe_sprite({"10", "20.5", "False", "True", "0", "1.5", "a.png"}),
            "（10，20.5） : 终结False : 是否处理True : 开始时间0 :  1.5 : a.png");
}

TEST(KeyHistory, StandsForOneListWhileItsLengthAndLastItemHold) {
  KeyHistory h;
  int list = 0, other = 0, a = 0, b = 0, c = 0;
  EXPECT_FALSE(h.mirrors(&list, 0, nullptr));
  h.restart(&list);
  EXPECT_TRUE(h.mirrors(&list, 0, nullptr));
  h.add("k_1", &a);
  h.add("k_2", &b);
  EXPECT_TRUE(h.usable());
  EXPECT_TRUE(h.contains("k_1"));
  EXPECT_FALSE(h.contains("k_3"));
  EXPECT_TRUE(h.mirrors(&list, 2, &b));
  EXPECT_FALSE(h.mirrors(&other, 2, &b));  // a replaced list
  EXPECT_FALSE(h.mirrors(&list, 3, &b));   // grown behind the set's back
  EXPECT_FALSE(h.mirrors(&list, 2, &c));   // its last item replaced
  h.forget();
  EXPECT_FALSE(h.mirrors(&list, 2, &b));
  EXPECT_FALSE(h.usable());
}

TEST(KeyHistory, AnItemWithoutTextStopsTheSetAnsweringButIsCounted) {
  KeyHistory h;
  int list = 0, a = 0, b = 0;
  h.restart(&list);
  h.add(std::nullopt, &a);
  h.add("k_1", &b);
  EXPECT_FALSE(h.usable());
  EXPECT_TRUE(h.mirrors(&list, 2, &b));
  h.restart(&list);
  EXPECT_TRUE(h.usable());
  EXPECT_FALSE(h.contains("k_1"));
}

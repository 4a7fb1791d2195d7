#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "tazu/icon_model.hpp"
#include "tazu/state_record.hpp"

using tazu::icon_model::Attribute;
using tazu::icon_model::Initial;
namespace model = tazu::icon_model;
namespace record = tazu::record;

namespace {

std::multiset<std::string_view> all_names() {
  std::multiset<std::string_view> names;
  auto add = [&](const auto& run) {
    for (const Attribute& a : run) names.insert(a.name);
  };
  add(model::kBeforePicture);
  add(model::kAfterBase);
  add(model::kAfterMove);
  return names;
}

}  // namespace

TEST(IconModel, EveryAttributeIsSetOnce) {
  for (std::string_view name : all_names()) EXPECT_EQ(all_names().count(name), 1u) << name;
}

// Each argument the constructor keeps is kept under its own name, once; an
// attribute naming an argument the constructor does not keep would read nothing.
TEST(IconModel, KeptArgumentsAreTheAttributesTakenFromArguments) {
  std::multiset<std::string_view> from_arguments;
  auto add = [&](const auto& run) {
    for (const Attribute& a : run)
      if (a.initial == Initial::argument) from_arguments.insert(a.name);
  };
  add(model::kBeforePicture);
  add(model::kAfterBase);
  add(model::kAfterMove);
  EXPECT_EQ(from_arguments, std::multiset<std::string_view>(model::kKeptArguments.begin(),
                                                            model::kKeptArguments.end()));
}

// The report copies these record keys from the icon's attributes of the same
// name, so a new icon must have every one of them.
TEST(IconModel, ReportedAttributesExistFromTheStart) {
  const auto names = all_names();
  for (record::Key k :
       {record::Key::number, record::Key::mode, record::Key::loop, record::Key::base_scale,
        record::Key::lock, record::Key::loops, record::Key::group_angle, record::Key::group_scale,
        record::Key::alias, record::Key::info, record::Key::scale_backup, record::Key::text,
        record::Key::font_size, record::Key::text_colour, record::Key::font, record::Key::states})
    EXPECT_EQ(names.count(record::name(k)), 1u) << record::name(k);
}

// Each plain number is converted once, and none of the keys the report makes
// in its own way (pairs, the group box, the angle) is among them.
TEST(IconModel, ReportedNumbersAreConvertedOnce) {
  std::set<record::Key> seen;
  for (const auto& n : model::kReportedNumbers) {
    EXPECT_TRUE(seen.insert(n.key).second) << record::name(n.key);
    EXPECT_LE(record::index(n.key), record::index(record::Key::info));
  }
  for (record::Key own :
       {record::Key::pivot, record::Key::relative, record::Key::group_box, record::Key::angle})
    EXPECT_EQ(seen.count(own), 0u) << record::name(own);
}

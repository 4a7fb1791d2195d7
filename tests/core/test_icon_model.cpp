#include <gtest/gtest.h>

#include <set>

#include "tazu/icon_model.hpp"
#include "tazu/state_record.hpp"

namespace model = tazu::icon_model;
namespace record = tazu::record;

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

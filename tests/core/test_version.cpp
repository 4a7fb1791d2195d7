#include <gtest/gtest.h>

#include <string>

#include "tazu/version.hpp"

TEST(Version, MatchesDistribution) { EXPECT_EQ(std::string(tazu::core_version()), "0.1.0"); }

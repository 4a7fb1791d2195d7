#include <gtest/gtest.h>

#include <string>

#include "tazu/version.hpp"

// The build reads the version from pyproject.toml and hands it to the library
// and to this test alike; a library built from a stale copy fails here.
TEST(Version, MatchesDistribution) { EXPECT_EQ(std::string(tazu::core_version()), TAZU_VERSION); }

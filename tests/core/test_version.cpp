#include <gtest/gtest.h>

#include <string>

#include "tazu/version.hpp"

// The build reads the version from pyproject.toml and hands it to the library
// and to this test alike: no copy of it is kept in the C++ sources.
TEST(Version, MatchesDistribution) { EXPECT_EQ(std::string(tazu::core_version()), TAZU_VERSION); }

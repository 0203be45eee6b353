// Selection and shuffle over material that the test controls, so that each
// rule can be checked without the cost of the derivation.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "derivation/password_generator.h"

namespace {

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(DrawTest, RejectsBytesAtOrAboveTheLimitAndStopsAtTheEnd) {
    struct Case {
        std::size_t n;
        Bytes material;
        std::size_t expected;
        std::size_t cursorAfter;
    };
    const Case cases[] = {
        {26, {234, 233}, 233 % 26, 2},  // 234 is the first rejected byte
        {10, {250, 255, 249}, 9, 3},
        {70, {210, 209}, 209 % 70, 2},
        {94, {188, 187}, 187 % 94, 2},
        {64, {255}, 63, 1},  // a power of two accepts every byte
        {1, {200}, 0, 1},
        {26, {240, 250}, 0, 2},  // runs out: index 0
        {26, {}, 0, 0},
    };
    for (const Case& c : cases) {
        std::size_t cursor = 0;
        EXPECT_EQ(Draw(c.material, cursor, c.n), c.expected) << "n = " << c.n;
        EXPECT_EQ(cursor, c.cursorAfter) << "n = " << c.n;
    }
}

TEST(BuildClassPoolsTest, FixedOrderAndSymbolsOnlyWhenPresent) {
    using Pools = std::vector<std::string>;
    EXPECT_EQ(BuildClassPools("!#", true, true, true),
              (Pools{kLowercasePool, kUppercasePool, kNumberPool, "!#"}));
    EXPECT_EQ(BuildClassPools("", true, false, true), (Pools{kLowercasePool, kNumberPool}));
    EXPECT_EQ(BuildClassPools("", false, false, false), Pools{});
}

TEST(SelectCharactersTest, FollowsTheDrawsExactly) {
    // Lowercase and numbers; every byte below both limits.
    // Class phase: 'a'+3 -> 'd', '0'+7 -> '7'. Fill (pool of 36): 40 % 36 = 4 -> 'e'.
    // Shuffle i = 3: 5 % 3 = 2 (self); i = 2: 1 % 2 = 1 (self).
    const Bytes material = {3, 7, 40, 5, 1};
    const auto pools = BuildClassPools("", true, false, true);
    EXPECT_EQ(AsText(SelectCharacters(material, 3, pools)), "d7e");
    // Same draws, but a shuffle that swaps: i = 3 draws 0, i = 2 draws 0.
    EXPECT_EQ(AsText(SelectCharacters(Bytes{3, 7, 40, 0, 0}, 3, pools)), "7ed");
}

TEST(SelectCharactersTest, ExhaustedMaterialPicksFirstCharactersAndSwapsWithZero) {
    const auto pools = BuildClassPools("#!", true, true, true);
    // Nothing at all: every pick is index 0, every swap is with position 0.
    // Before the shuffle: "aA0#a"; i = 5 swaps 4 and 0, 4: 3 and 0, 3: 2 and 0...
    std::string expected = "aA0#a";
    for (std::size_t i = 5; i >= 2; --i) std::swap(expected[i - 1], expected[0]);
    EXPECT_EQ(AsText(SelectCharacters(Bytes{}, 5, pools)), expected);
}

TEST(SelectCharactersTest, EveryLengthHasOneOfEachClassAndOnlyPoolCharacters) {
    Bytes material(4 * 128 + 512);
    std::iota(material.begin(), material.end(), std::uint8_t{17});
    const std::string symbols = "!@#$%*-_";
    const auto pools = BuildClassPools(symbols, true, true, true);
    const std::string combined = std::string(kLowercasePool) + kUppercasePool + kNumberPool + symbols;
    for (std::int32_t length = 1; length <= 128; ++length) {
        const std::string password = AsText(SelectCharacters(material, length, pools));
        ASSERT_EQ(password.size(), static_cast<std::size_t>(length));
        EXPECT_EQ(password.find_first_not_of(combined), std::string::npos);
        // Below the number of classes only the first classes are guaranteed.
        for (std::size_t k = 0; k < std::min<std::size_t>(pools.size(), length); ++k) {
            EXPECT_NE(password.find_first_of(pools[k]), std::string::npos)
                << "length " << length << " lacks class " << k;
        }
    }
}

TEST(SelectCharactersTest, LengthOneTakesTheFirstClassWithoutShuffle) {
    const auto pools = BuildClassPools("#", true, true, false);
    // Uppercase is first here; one draw, no shuffle.
    EXPECT_EQ(AsText(SelectCharacters(Bytes{2, 0, 0}, 1, pools)), "C");
}

TEST(SelectCharactersTest, ServesUpTo256PositionsAndPoolCharacters) {
    // Every byte is accepted for a range of 256, so all-zero material gives
    // index 0 everywhere; one more position or pool character is refused.
    std::string symbols256;
    for (int i = 0; i < 256; ++i) symbols256.push_back(static_cast<char>(i));
    const Bytes zeros(2048, 0);
    EXPECT_EQ(SelectCharacters(zeros, 256, BuildClassPools("#", false, false, true)).size(), 256u);
    EXPECT_TRUE(SelectCharacters(zeros, 257, BuildClassPools("#", false, false, true)).empty());
    EXPECT_EQ(SelectCharacters(zeros, 12, {symbols256}).size(), 12u);
    EXPECT_TRUE(SelectCharacters(zeros, 12, {symbols256, "!"}).empty());
}

}  // namespace

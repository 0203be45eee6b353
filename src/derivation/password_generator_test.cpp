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

// Every class, rejections in all three phases and a shuffle that moves most
// characters; worked out by hand, so that an off-by-one in the shuffle's
// bounds or in its swap shows up as a different password.
TEST(SelectCharactersTest, FollowsAHandWorkedDerivationOfSevenCharacters) {
    const auto pools = BuildClassPools("#!%", true, true, true);
    const Bytes material = {
        // Classes. Lowercase, limit 234: 240 rejected, 30 % 26 = 4 -> 'e'.
        // Uppercase: 51 % 26 = 25 -> 'Z'. Numbers, limit 250: 252 rejected,
        // 13 % 10 = 3 -> '3'. "#!%", limit 255: 255 rejected, 4 % 3 = 1 -> '!'.
        240, 30, 51, 252, 13, 255, 4,
        // Fill from the 65 characters a-z A-Z 0-9 #!%, limit 195: 200
        // rejected, 194 % 65 = 64 -> '%'; 27 -> 'B'; 117 % 65 = 52 -> '0'.
        200, 194, 27, 117,
        // Before the shuffle: e Z 3 ! % B 0.
        // i = 7, limit 252: 253 rejected, 10 % 7 = 3: swap 6, 3 -> e Z 3 0 % B !
        // i = 6, limit 252: 252 rejected, 6 % 6 = 0:  swap 5, 0 -> B Z 3 0 % e !
        // i = 5, limit 255: 9 % 5 = 4:                swap 4, 4 -> unchanged
        // i = 4: 254 % 4 = 2:                         swap 3, 2 -> B Z 0 3 % e !
        // i = 3, limit 255: 255 rejected, 4 % 3 = 1:  swap 2, 1 -> B 0 Z 3 % e !
        // i = 2: 0 % 2 = 0:                           swap 1, 0 -> 0 B Z 3 % e !
        253, 10, 252, 6, 9, 254, 255, 4, 0,
        // Never drawn.
        99, 99};
    EXPECT_EQ(AsText(SelectCharacters(material, 7, pools)), "0BZ3%e!");
}

TEST(SelectCharactersTest, ExhaustedMaterialPicksFirstCharactersAndSwapsWithZero) {
    const auto pools = BuildClassPools("#!", true, true, true);
    // Nothing at all: every pick is index 0, every swap is with position 0.
    // Before the shuffle: a A 0 # a. i = 5: swap 4, 0 -> unchanged;
    // i = 4: swap 3, 0 -> # A 0 a a; i = 3: swap 2, 0 -> 0 A # a a;
    // i = 2: swap 1, 0 -> A 0 # a a.
    EXPECT_EQ(AsText(SelectCharacters(Bytes{}, 5, pools)), "A0#aa");
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

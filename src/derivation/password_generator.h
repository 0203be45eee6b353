// The generator's single entry: pools, material, rejection-sampled selection
// with one character of each enabled class, and a Fisher-Yates shuffle drawn
// from the same byte stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/secure_bytes.h"

constexpr char kLowercasePool[] = "abcdefghijklmnopqrstuvwxyz";
constexpr char kUppercasePool[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kNumberPool[] = "0123456789";

// The enabled class pools in their fixed order: lowercase, uppercase,
// numbers, symbols (present when the set is not empty).
std::vector<std::string> BuildClassPools(const std::string& symbols, bool numbers,
                                         bool uppercase, bool lowercase);

// The largest range Draw can serve: one byte of material picks among at most
// 256 values. Above it the rejection limit would be 0 and every draw would
// give 0, so the generator refuses longer passwords and larger pools.
constexpr std::size_t kMaxDrawRange = 256;

// An index in [0, n) by rejection sampling from material[cursor...]; 0 once
// the material runs out. n is 1 to kMaxDrawRange.
std::size_t Draw(const Bytes& material, std::size_t& cursor, std::size_t n);

// Selection and shuffle over given material; GeneratePassword's second half.
// Empty for what GeneratePassword refuses.
Bytes SelectCharacters(const Bytes& material, std::int32_t length,
                       const std::vector<std::string>& classPools);

// Empty for an empty pool, a length <= 0, or a length or combined pool above
// kMaxDrawRange (without any cryptographic call);
// otherwise exactly `length` characters, even after a cryptographic failure,
// which the caller learns of from the failure report's flag.
Bytes GeneratePassword(const Bytes& keyword1, const Bytes& keyword2, std::int32_t length,
                       const std::string& symbols, bool numbers, bool uppercase,
                       bool lowercase);

#include "derivation/password_generator.h"

#include "derivation/key_derivation.h"

std::vector<std::string> BuildClassPools(const std::string& symbols, bool numbers,
                                         bool uppercase, bool lowercase) {
    std::vector<std::string> pools;
    if (lowercase) pools.emplace_back(kLowercasePool);
    if (uppercase) pools.emplace_back(kUppercasePool);
    if (numbers) pools.emplace_back(kNumberPool);
    if (!symbols.empty()) pools.push_back(symbols);
    return pools;
}

std::size_t Draw(const Bytes& material, std::size_t& cursor, std::size_t n) {
    const std::size_t limit = 256 - (256 % n);
    while (cursor < material.size()) {
        const std::size_t b = material[cursor++];
        if (b < limit) return b % n;
    }
    return 0;
}

namespace {

bool CanServe(std::int32_t length, std::size_t combinedSize) {
    return length > 0 && static_cast<std::size_t>(length) <= kMaxDrawRange && combinedSize > 0 &&
           combinedSize <= kMaxDrawRange;
}

std::size_t CombinedSize(const std::vector<std::string>& classPools) {
    std::size_t size = 0;
    for (const std::string& pool : classPools) size += pool.size();
    return size;
}

}  // namespace

Bytes SelectCharacters(const Bytes& material, std::int32_t length,
                       const std::vector<std::string>& classPools) {
    std::string combined;
    for (const std::string& pool : classPools) combined += pool;
    if (!CanServe(length, combined.size())) return {};

    const auto size = static_cast<std::size_t>(length);
    Bytes output;
    output.reserve(size);
    std::size_t cursor = 0;
    for (const std::string& pool : classPools) {
        if (output.size() == size) break;
        output.push_back(static_cast<std::uint8_t>(pool[Draw(material, cursor, pool.size())]));
    }
    while (output.size() < size) {
        output.push_back(
            static_cast<std::uint8_t>(combined[Draw(material, cursor, combined.size())]));
    }
    for (std::size_t i = size; i >= 2; --i) {
        const std::size_t d = Draw(material, cursor, i);
        std::swap(output[i - 1], output[d]);
    }
    return output;
}

Bytes GeneratePassword(const Bytes& keyword1, const Bytes& keyword2, std::int32_t length,
                       const std::string& symbols, bool numbers, bool uppercase,
                       bool lowercase) {
    const std::vector<std::string> pools = BuildClassPools(symbols, numbers, uppercase, lowercase);
    if (!CanServe(length, CombinedSize(pools))) return {};

    Bytes material = DeriveMaterial(keyword1, keyword2, length);
    Bytes password = SelectCharacters(material, length, pools);
    SecureWipeContents(material);
    return password;
}

#include "derivation/generation_request.h"

#include <cmath>
#include <cstdio>

namespace {

bool IsAsciiLetterOrDigit(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
           (unit >= u'0' && unit <= u'9');
}

}  // namespace

std::string FilterSymbols(const std::u16string& allowedText) {
    std::string symbols;
    for (char16_t unit : allowedText) {
        if (unit < 33 || unit > 126 || IsAsciiLetterOrDigit(unit)) continue;
        const char symbol = static_cast<char>(unit);
        if (symbols.find(symbol) == std::string::npos) symbols.push_back(symbol);
    }
    return symbols;
}

SettingsFault CheckSettings(const GenerationRequest& request) {
    if (request.length < kMinLength || request.length > kMaxLength) {
        return SettingsFault::LengthOutOfRange;
    }
    if (!request.uppercase && !request.lowercase) return SettingsFault::NoLetterCase;
    return SettingsFault::None;
}

double EstimateEntropyBits(std::int32_t length, bool numbers, bool uppercase, bool lowercase,
                           const std::string& symbols) {
    const double poolSize = 26.0 * lowercase + 26.0 * uppercase + 10.0 * numbers +
                            static_cast<double>(symbols.size());
    if (poolSize <= 0) return 0.0;
    return static_cast<double>(length) * std::log2(poolSize);
}

std::string StrengthHeading(double estimateBits) {
    char heading[128];
    std::snprintf(heading, sizeof heading, "Generated password  (%.0f bits)", estimateBits);
    return heading;
}

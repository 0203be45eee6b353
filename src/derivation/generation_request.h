// What the main window collects before a generation, and the rules that turn
// raw control contents into the generator's inputs.
#pragma once

#include <cstdint>
#include <string>

// The settings every front end starts from, and the length range each
// accepts: the window's trackbar and Allowed field, the command-line
// program's options and its help.
constexpr std::int32_t kMinLength = 5;
constexpr std::int32_t kMaxLength = 128;
constexpr std::int32_t kDefaultLength = 12;
constexpr char kDefaultSymbols[] = "!@#$%*-_";

struct GenerationRequest {
    std::u16string keyword1;  // UTF-16, as typed
    std::u16string keyword2;
    std::int32_t length = kDefaultLength;
    bool numbers = true;
    bool uppercase = true;
    bool lowercase = true;
    std::string symbols = kDefaultSymbols;  // already filtered: ASCII punctuation only
};

// What makes a request's settings unusable, in the order they are judged.
enum class SettingsFault { None, LengthOutOfRange, NoLetterCase };

// The one decision on a request's settings, whichever front end collected
// them: the length from kMinLength to kMaxLength, and one letter case at
// least (uppercase, lowercase or both). The window keeps its check boxes
// and its trackbar to this; the command-line program refuses options that
// break it. The keywords are judged apart, by CheckKeywordPair; the symbol
// set is valid by construction once FilterSymbols made it.
SettingsFault CheckSettings(const GenerationRequest& request);

// Keeps printable ASCII punctuation only, each character once, in order of
// first appearance.
std::string FilterSymbols(const std::u16string& allowedText);

// length x log2(pool size), or 0 for an empty pool.
double EstimateEntropyBits(std::int32_t length, bool numbers, bool uppercase, bool lowercase,
                           const std::string& symbols);

// The line shown with every password: the estimate rounded to whole bits,
// e.g. "Generated password  (74 bits)".
std::string StrengthHeading(double estimateBits);

// The clipboard comparison, and the check of a paste that lost lines: both
// read a clipboard block with or without a terminating zero, and never past
// its end.
#include "clipboard/clipboard_text.h"

#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// A block whose last byte is the last byte before an inaccessible page, so
// that reading one unit past the block ends the test with an access
// violation instead of passing by luck.
class BlockBeforeGuardPage {
public:
    explicit BlockBeforeGuardPage(const std::wstring& units) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<char*>(
            VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &previous);
        bytes_ = units.size() * sizeof(wchar_t);
        data_ = reinterpret_cast<wchar_t*>(base_ + page_ - bytes_);
        if (bytes_ > 0) std::memcpy(data_, units.data(), bytes_);
    }
    ~BlockBeforeGuardPage() { VirtualFree(base_, 0, MEM_RELEASE); }
    const wchar_t* Data() const { return data_; }
    std::size_t Bytes() const { return bytes_; }

private:
    std::size_t page_ = 0;
    char* base_ = nullptr;
    wchar_t* data_ = nullptr;
    std::size_t bytes_ = 0;
};

struct ComparisonCase {
    const char* name;
    std::wstring blockUnits;  // the whole block, terminator included if any
    std::wstring guardText;
    bool expectedEqual;
};

TEST(ClipboardTextEquals, MeasuresUpToTheFirstZeroOrTheEndOfTheBlock) {
    const ComparisonCase cases[] = {
        {"terminated, same text", std::wstring(L"-FcmvR8FoPsu") + L'\0', L"-FcmvR8FoPsu", true},
        {"unterminated, same text", L"-FcmvR8FoPsu", L"-FcmvR8FoPsu", true},
        {"unterminated, guard longer", L"-FcmvR8FoPs", L"-FcmvR8FoPsu", false},
        {"unterminated, guard shorter", L"-FcmvR8FoPsuX", L"-FcmvR8FoPsu", false},
        {"terminated, one unit differs", std::wstring(L"-FcmvR8FoPsv") + L'\0', L"-FcmvR8FoPsu",
         false},
        {"text ends early, rest of block filled",
         std::wstring(L"-FcmvR8FoPsu") + L'\0' + L"garbage", L"-FcmvR8FoPsu", true},
        {"prefix of the guard, terminated", std::wstring(L"-Fcmv") + L'\0', L"-FcmvR8FoPsu",
         false},
        {"empty block", L"", L"-FcmvR8FoPsu", false},
        {"empty text in block", std::wstring(1, L'\0'), L"-FcmvR8FoPsu", false},
    };
    for (const ComparisonCase& c : cases) {
        BlockBeforeGuardPage block(c.blockUnits);
        EXPECT_EQ(ClipboardTextEquals(block.Data(), block.Bytes(), c.guardText), c.expectedEqual)
            << c.name;
    }
}

TEST(ClipboardTextEquals, IgnoresAnOddTrailingByte) {
    // A block of 2n + 1 bytes holds n whole units; the odd byte is not part of
    // the text and is not read as half a unit.
    const std::wstring text = L"abc";
    BlockBeforeGuardPage block(text + L'x');
    EXPECT_TRUE(ClipboardTextEquals(block.Data(), block.Bytes() - 1, text));
}

// What a single-line edit keeps of a pasted text, and whether it dropped a
// line that was more than its line ending.
TEST(PasteDroppedLines, TrueOnlyWhenThePasteStoppedAtALineBreakBeforeMoreText) {
    const struct {
        const char* name;
        std::wstring blockUnits;
        std::size_t kept;
        bool expected;
    } cases[] = {
        {"two lines, CR LF, first kept", std::wstring(L"correct horse\r\nbattery staple") + L'\0',
         13, true},
        {"two lines, LF only", std::wstring(L"correct horse\nbattery staple") + L'\0', 13, true},
        {"Wine keeps a CR before CR LF", std::wstring(L"ab\r\r\ncd") + L'\0', 3, true},
        {"first line empty", std::wstring(L"\r\nsecond") + L'\0', 0, true},
        {"the whole text kept, line break and all", std::wstring(L"ab\r\ncd") + L'\0', 6, false},
        {"one line with its line ending", std::wstring(L"correct horse\r\n") + L'\0', 13, false},
        {"only line endings follow", std::wstring(L"ab\n\r\n\n") + L'\0', 2, false},
        {"one line, all kept", std::wstring(L"correct horse") + L'\0', 13, false},
        {"cut by the length limit, not at a line break", std::wstring(L"abcdef\nmore") + L'\0', 4,
         false},
        {"unterminated block, second line", L"ab\ncd", 2, true},
        {"unterminated block, line ending only", L"ab\n", 2, false},
        {"text ends at a zero before the line", std::wstring(L"ab") + L'\0' + L"\ncd", 2, false},
        {"empty block", L"", 0, false},
    };
    for (const auto& c : cases) {
        BlockBeforeGuardPage block(c.blockUnits);
        EXPECT_EQ(PasteDroppedLines(block.Data(), block.Bytes(), c.kept), c.expected) << c.name;
    }
}

}  // namespace

#include "process_memory.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string_view>

#include "app_process.h"
#include "vectors/password_vectors.h"

namespace {

constexpr SIZE_T kChunkBytes = 4 << 20;

// Only memory the program can write can have received a secret; the read-only
// images and mapped files also hold short words such as "beta" by chance.
bool Writable(const MEMORY_BASIC_INFORMATION& region) {
    if (region.State != MEM_COMMIT || (region.Protect & PAGE_GUARD)) return false;
    return (region.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
                              PAGE_EXECUTE_WRITECOPY)) != 0;
}

// As a C string literal writes it, without the quotes.
std::string QuotedForC(const std::string& text) {
    std::string quoted;
    for (char ch : text) {
        if (ch == '"' || ch == '\\') quoted += '\\';
        quoted += ch;
    }
    return quoted;
}

}  // namespace

std::vector<std::vector<std::uintptr_t>> FindInProcessMemory(
    HANDLE process, const std::vector<std::string>& needles) {
    std::vector<std::vector<std::uintptr_t>> found(needles.size());
    std::size_t longest = 1;
    for (const std::string& needle : needles) longest = std::max(longest, needle.size());
    std::vector<char> buffer(kChunkBytes + longest);
    MEMORY_BASIC_INFORMATION region{};
    for (auto* address = static_cast<char*>(nullptr);
         VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (!Writable(region)) continue;
        const auto* base = static_cast<const char*>(region.BaseAddress);
        for (SIZE_T offset = 0; offset < region.RegionSize; offset += kChunkBytes) {
            // A chunk reads a little into the next one, so that a needle
            // across the border is still seen, and only counted once.
            const SIZE_T wanted = std::min(region.RegionSize - offset, kChunkBytes + longest - 1);
            SIZE_T read = 0;
            if (!ReadProcessMemory(process, base + offset, buffer.data(), wanted, &read)) continue;
            const std::string_view chunk(buffer.data(), read);
            for (std::size_t n = 0; n < needles.size(); ++n) {
                const std::string& needle = needles[n];
                const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
                for (auto at = chunk.begin();;) {
                    at = std::search(at, chunk.end(), searcher);
                    if (at == chunk.end()) break;
                    const auto start = static_cast<SIZE_T>(at - chunk.begin());
                    if (start < kChunkBytes) {
                        found[n].push_back(reinterpret_cast<std::uintptr_t>(base + offset + start));
                    }
                    ++at;
                }
            }
        }
    }
    return found;
}

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

SecretCopies FindSecrets(const AppProcess& app, const PasswordVector& vector) {
    const std::string keyword1(vector.keyword1.begin(), vector.keyword1.end());
    const std::string keyword2(vector.keyword2.begin(), vector.keyword2.end());
    const std::vector<std::string> needles = {
        Utf16Bytes(Utf8ToWide(vector.password)), vector.password, QuotedForC(vector.password),
        Utf16Bytes(Utf8ToWide(keyword1)),        keyword1,
        Utf16Bytes(Utf8ToWide(keyword2)),        keyword2,
    };
    const auto found = FindInProcessMemory(app.ProcessHandle(), needles);
    SecretCopies copies{{found[0], found[1], found[2]}, {found[3], found[4]}, {found[5], found[6]}};
    // A password with nothing to escape is found twice at the same places.
    if (needles[2] == needles[1]) copies.password[2].clear();
    return copies;
}

std::string DescribeCopies(HANDLE process, const std::vector<std::uintptr_t>& addresses) {
    std::string text = std::to_string(addresses.size());
    for (std::uintptr_t address : addresses) {
        MEMORY_BASIC_INFORMATION region{};
        VirtualQueryEx(process, reinterpret_cast<void*>(address), &region, sizeof(region));
        char line[160];
        std::snprintf(line, sizeof(line), " 0x%llx (%s, allocation 0x%llx)",
                      static_cast<unsigned long long>(address),
                      region.Type == MEM_IMAGE    ? "image"
                      : region.Type == MEM_MAPPED ? "mapped"
                                                  : "private",
                      static_cast<unsigned long long>(
                          reinterpret_cast<std::uintptr_t>(region.AllocationBase)));
        text += line;
    }
    return text;
}

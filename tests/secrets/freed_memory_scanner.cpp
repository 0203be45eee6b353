#include "secrets/freed_memory_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct Pattern {
    std::uint32_t prefix;  // first four bytes, the search key
    std::size_t nameIndex;
    Bytes bytes;
};

struct Finding {
    std::size_t nameIndex;
    std::size_t blockSize;
    std::size_t offset;
};

// Findings go into fixed storage: recording one must not allocate.
constexpr std::size_t kMaxFindings = 64;

// Plain and constant-initialised: read by every release, even those before
// main and after the end of static destruction.
bool g_scanning = false;

struct ScannerState {
    std::vector<std::string> names;
    std::vector<Pattern> patterns;  // sorted by prefix while scanning
    Finding findings[kMaxFindings];
    std::size_t findingCount = 0;
    std::size_t blocksScanned = 0;
};

// Made on first use and never destroyed, so that no release during the
// program's exit meets a destroyed state.
ScannerState& State() {
    alignas(ScannerState) static unsigned char storage[sizeof(ScannerState)];
    static ScannerState* state = new (storage) ScannerState;
    return *state;
}

std::uint32_t LoadPrefix(const std::uint8_t* bytes) {
    std::uint32_t prefix;
    std::memcpy(&prefix, bytes, sizeof prefix);
    return prefix;
}

void AddPattern(std::size_t nameIndex, const std::uint8_t* bytes, std::size_t size) {
    if (size < kMinWatchedBytes) std::abort();  // would match far too much
    State().patterns.push_back({LoadPrefix(bytes), nameIndex, Bytes(bytes, bytes + size)});
}

std::size_t AddName(const std::string& name) {
    State().names.push_back(name);
    return State().names.size() - 1;
}

bool ComparePrefix(const Pattern& pattern, std::uint32_t prefix) {
    return pattern.prefix < prefix;
}

void ScanBlock(const std::uint8_t* block, std::size_t size) {
    ScannerState& state = State();
    ++state.blocksScanned;
    for (std::size_t offset = 0; offset + kMinWatchedBytes <= size; ++offset) {
        const std::uint32_t prefix = LoadPrefix(block + offset);
        auto it = std::lower_bound(state.patterns.begin(), state.patterns.end(), prefix,
                                   ComparePrefix);
        for (; it != state.patterns.end() && it->prefix == prefix; ++it) {
            const Bytes& bytes = it->bytes;
            if (bytes.size() <= size - offset &&
                std::memcmp(block + offset, bytes.data(), bytes.size()) == 0) {
                if (state.findingCount < kMaxFindings) {
                    state.findings[state.findingCount] = {it->nameIndex, size, offset};
                }
                ++state.findingCount;
                return;  // one finding per block is enough to fail
            }
        }
    }
}

// Every block carries its requested size just before the address handed out,
// so the scan covers exactly what the program asked for.
struct BlockHeader {
    void* raw;
    std::size_t size;
};

// Stale bytes from earlier blocks must not look like a leak of this one.
constexpr std::uint8_t kFreshFill = 0xA5;

void* Allocate(std::size_t size, std::size_t alignment) noexcept {
    alignment = std::max(alignment, alignof(std::max_align_t));
    const std::size_t room = sizeof(BlockHeader) + alignment - 1;
    if (size > SIZE_MAX - room) return nullptr;
    void* raw = std::malloc(size + room);
    if (raw == nullptr) return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(BlockHeader);
    const std::uintptr_t aligned = (start + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
    auto* header = reinterpret_cast<BlockHeader*>(aligned) - 1;
    header->raw = raw;
    header->size = size;
    std::memset(reinterpret_cast<void*>(aligned), kFreshFill, size);
    return reinterpret_cast<void*>(aligned);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    void* block = Allocate(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    const auto* header = static_cast<BlockHeader*>(block) - 1;
    if (g_scanning) ScanBlock(static_cast<const std::uint8_t*>(block), header->size);
    std::free(header->raw);
}

constexpr std::size_t kDefaultAlignment = alignof(std::max_align_t);

}  // namespace

void WatchFor(const std::string& name, const Bytes& bytes) {
    AddPattern(AddName(name), bytes.data(), bytes.size());
}

void WatchForWindows(const std::string& name, const Bytes& bytes, std::size_t first,
                     std::size_t stride, std::size_t width) {
    const std::size_t nameIndex = AddName(name);
    for (std::size_t start = first; start + width <= bytes.size(); start += stride) {
        AddPattern(nameIndex, bytes.data() + start, width);
    }
}

void ForgetWatchedSecrets() {
    State().patterns.clear();
    State().names.clear();
}

void StartScanning() {
    ScannerState& state = State();
    std::sort(state.patterns.begin(), state.patterns.end(),
              [](const Pattern& a, const Pattern& b) { return a.prefix < b.prefix; });
    state.findingCount = 0;
    state.blocksScanned = 0;
    g_scanning = true;
}

void StopScanning() { g_scanning = false; }

std::vector<FreedSecret> FreedSecretsFound() {
    const ScannerState& state = State();
    std::vector<FreedSecret> found;
    for (std::size_t k = 0; k < std::min(state.findingCount, kMaxFindings); ++k) {
        const Finding& f = state.findings[k];
        found.push_back({state.names[f.nameIndex], f.blockSize, f.offset});
    }
    for (std::size_t k = kMaxFindings; k < state.findingCount; ++k) {
        found.push_back({"(more)", 0, 0});
    }
    return found;
}

std::size_t BlocksScanned() { return State().blocksScanned; }

std::string Describe(const std::vector<FreedSecret>& found) {
    std::string text;
    for (const FreedSecret& f : found) {
        if (!text.empty()) text += "; ";
        text += f.name + " in a " + std::to_string(f.blockSize) + "-byte block at offset " +
                std::to_string(f.offset);
    }
    return text;
}

// The replaced allocation functions, every form: plain, array, nothrow,
// sized and over-aligned.
void* operator new(std::size_t size) { return AllocateOrThrow(size, kDefaultAlignment); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size, kDefaultAlignment); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, kDefaultAlignment);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, kDefaultAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}

// The byte buffer every layer passes secrets in, and the wipe that clears a
// secret in place before its memory is freed or reused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Overwrites the bytes with zeros in a way the optimiser cannot drop.
// One implementation per platform (secure_wipe_posix.cpp,
// secure_wipe_windows.cpp).
void SecureWipe(void* data, std::size_t length);

template <typename Container>
void SecureWipeContents(Container& container) {
    if (!container.empty()) {
        SecureWipe(&container[0], container.size() * sizeof(container[0]));
    }
}

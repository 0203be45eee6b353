// Writing a descriptor to the end, written once for standard output, the
// terminal and its prompts.
#pragma once

#include <cstddef>

// Writes all `size` bytes, going on after an interrupted write; false when
// a write fails or writes nothing. Only write(2), so a signal handler may
// call it.
bool WriteAll(int fd, const void* data, std::size_t size);

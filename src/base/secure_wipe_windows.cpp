#include <windows.h>

#include "base/secure_bytes.h"

// SecureZeroMemory writes through a volatile pointer, which the compiler
// must not remove as dead stores.
void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) SecureZeroMemory(data, length);
}

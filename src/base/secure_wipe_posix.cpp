#include <string.h>

#include "base/secure_bytes.h"

// explicit_bzero is made for this: the C library promises that the stores
// are not removed as dead, which a plain memset before a free does not.
void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) explicit_bzero(data, length);
}

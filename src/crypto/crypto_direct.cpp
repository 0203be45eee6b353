// The primitives straight to the platform's provider: what the programs link.
// Test builds may link testing/crypto_faults.cpp in its place.
#include "crypto.h"

Bytes crypto_primitives::Sha256Digest(const std::uint8_t* data, std::size_t length) {
    return crypto_provider::Sha256Digest(data, length);
}

Bytes crypto_primitives::HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                    const std::uint8_t* data, std::size_t dataLength) {
    return crypto_provider::HmacSha256(key, keyLength, data, dataLength);
}

Bytes crypto_primitives::Pbkdf2Sha256(const std::uint8_t* password,
                                      std::uint32_t passwordLength, const std::uint8_t* salt,
                                      std::size_t saltLength, std::uint32_t iterations,
                                      std::size_t outputLength) {
    return crypto_provider::Pbkdf2Sha256(password, passwordLength, salt, saltLength, iterations,
                                         outputLength);
}

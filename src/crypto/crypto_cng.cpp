// Windows CNG (bcrypt) provider for the three primitives. Two algorithm
// handles live for the whole process: one for plain SHA-256, one opened with
// the HMAC flag for HMAC-SHA-256 and PBKDF2.
#include <windows.h>
#include <bcrypt.h>

#include <limits>

#include "crypto.h"

namespace {

struct CryptoProviders {
    BCRYPT_ALG_HANDLE hash = nullptr;
    BCRYPT_ALG_HANDLE hmac = nullptr;
};

CryptoProviders g_providers;

bool Failed(NTSTATUS status) { return status < 0; }

// Owns a CNG hash object for the length of one operation.
struct HashObject {
    BCRYPT_HASH_HANDLE handle = nullptr;
    ~HashObject() {
        if (handle != nullptr) BCryptDestroyHash(handle);
    }
};

// The shared sequence of a digest and an HMAC: create (with the key as the
// secret for HMAC), hash the data, finish into 32 zeroed bytes.
Bytes HashOnce(BCRYPT_ALG_HANDLE provider, const std::uint8_t* secret, std::size_t secretLength,
               const std::uint8_t* data, std::size_t dataLength) {
    constexpr std::size_t kUlongMax = std::numeric_limits<ULONG>::max();
    if (secretLength > kUlongMax || dataLength > kUlongMax) {
        ReportCryptoFailure();
        return {};
    }
    HashObject hash;
    if (Failed(BCryptCreateHash(provider, &hash.handle, nullptr, 0,
                                const_cast<PUCHAR>(secret), static_cast<ULONG>(secretLength),
                                0))) {
        hash.handle = nullptr;
        ReportCryptoFailure();
        return {};
    }
    if (Failed(BCryptHashData(hash.handle, const_cast<PUCHAR>(data),
                              static_cast<ULONG>(dataLength), 0))) {
        ReportCryptoFailure();
        return {};
    }
    Bytes out(kSha256Size, 0);
    if (Failed(BCryptFinishHash(hash.handle, out.data(), static_cast<ULONG>(out.size()), 0))) {
        SecureWipeContents(out);
        ReportCryptoFailure();
        return {};
    }
    return out;
}

}  // namespace

bool OpenCryptoProviders() {
    if (Failed(BCryptOpenAlgorithmProvider(&g_providers.hash, BCRYPT_SHA256_ALGORITHM,
                                           nullptr, 0))) {
        g_providers.hash = nullptr;
        return false;
    }
    if (Failed(BCryptOpenAlgorithmProvider(&g_providers.hmac, BCRYPT_SHA256_ALGORITHM,
                                           nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        g_providers.hmac = nullptr;
        return false;
    }
    return true;
}

void CloseCryptoProviders() {
    if (g_providers.hash != nullptr) BCryptCloseAlgorithmProvider(g_providers.hash, 0);
    if (g_providers.hmac != nullptr) BCryptCloseAlgorithmProvider(g_providers.hmac, 0);
    g_providers = CryptoProviders{};
}

Bytes Sha256Digest(const std::uint8_t* data, std::size_t length) {
    return HashOnce(g_providers.hash, nullptr, 0, data, length);
}

Bytes HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                 const std::uint8_t* data, std::size_t dataLength) {
    return HashOnce(g_providers.hmac, key, keyLength, data, dataLength);
}

Bytes Pbkdf2Sha256(const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::size_t saltLength,
                   std::uint32_t iterations, std::size_t outputLength) {
    if (saltLength > std::numeric_limits<ULONG>::max() ||
        outputLength > std::numeric_limits<ULONG>::max()) {
        ReportCryptoFailure();
        return {};
    }
    // HMAC replaces a key longer than its block by the key's digest (RFC 2104),
    // so passing that digest gives the same key. Done here once, because
    // Wine's PBKDF2 hashes the long key again in every one of its iterations.
    Bytes hashedPassword;
    if (passwordLength > kSha256BlockSize) {
        hashedPassword = HashOnce(g_providers.hash, nullptr, 0, password, passwordLength);
        if (hashedPassword.empty()) return {};
        password = hashedPassword.data();
        passwordLength = static_cast<std::uint32_t>(hashedPassword.size());
    }
    Bytes out(outputLength, 0);
    const bool derived = !Failed(BCryptDeriveKeyPBKDF2(
        g_providers.hmac, const_cast<PUCHAR>(password), passwordLength,
        const_cast<PUCHAR>(salt), static_cast<ULONG>(saltLength), iterations, out.data(),
        static_cast<ULONG>(out.size()), 0));
    SecureWipeContents(hashedPassword);
    if (!derived) {
        SecureWipeContents(out);
        ReportCryptoFailure();
        return {};
    }
    return out;
}

void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) SecureZeroMemory(data, length);
}

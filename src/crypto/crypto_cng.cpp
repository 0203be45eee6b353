// Windows CNG (bcrypt) provider for the three primitives. Two algorithm
// handles live for the whole process: one for plain SHA-256, one opened with
// the HMAC flag for HMAC-SHA-256 and PBKDF2.
#include <windows.h>
#include <bcrypt.h>

#include <limits>

#include "crypto.h"
#include "platform/system_library.h"

namespace {

// bcrypt.dll's functions, found at run time in the system's own copy
// (platform/system_library.h says why it is not imported).
struct Bcrypt {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithmProvider = nullptr;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithmProvider = nullptr;
    decltype(&BCryptCreateHash) createHash = nullptr;
    decltype(&BCryptHashData) hashData = nullptr;
    decltype(&BCryptFinishHash) finishHash = nullptr;
    decltype(&BCryptDestroyHash) destroyHash = nullptr;
    decltype(&BCryptDeriveKeyPBKDF2) deriveKeyPbkdf2 = nullptr;
};

struct CryptoProviders {
    Bcrypt bcrypt;
    BCRYPT_ALG_HANDLE hash = nullptr;
    BCRYPT_ALG_HANDLE hmac = nullptr;
};

CryptoProviders g_providers;

// False if the DLL is missing or lacks one of the functions: a provider that
// cannot be opened.
bool LoadBcrypt(Bcrypt& bcrypt) {
    HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
    bcrypt.openAlgorithmProvider = FindFunction<decltype(bcrypt.openAlgorithmProvider)>(
        module, "BCryptOpenAlgorithmProvider");
    bcrypt.closeAlgorithmProvider = FindFunction<decltype(bcrypt.closeAlgorithmProvider)>(
        module, "BCryptCloseAlgorithmProvider");
    bcrypt.createHash = FindFunction<decltype(bcrypt.createHash)>(module, "BCryptCreateHash");
    bcrypt.hashData = FindFunction<decltype(bcrypt.hashData)>(module, "BCryptHashData");
    bcrypt.finishHash = FindFunction<decltype(bcrypt.finishHash)>(module, "BCryptFinishHash");
    bcrypt.destroyHash = FindFunction<decltype(bcrypt.destroyHash)>(module, "BCryptDestroyHash");
    bcrypt.deriveKeyPbkdf2 =
        FindFunction<decltype(bcrypt.deriveKeyPbkdf2)>(module, "BCryptDeriveKeyPBKDF2");
    return bcrypt.openAlgorithmProvider && bcrypt.closeAlgorithmProvider && bcrypt.createHash &&
           bcrypt.hashData && bcrypt.finishHash && bcrypt.destroyHash && bcrypt.deriveKeyPbkdf2;
}

bool Failed(NTSTATUS status) { return status < 0; }

// Owns a CNG hash object for the length of one operation.
struct HashObject {
    BCRYPT_HASH_HANDLE handle = nullptr;
    ~HashObject() {
        if (handle != nullptr) g_providers.bcrypt.destroyHash(handle);
    }
};

// The shared sequence of a digest and an HMAC: create (with the key as the
// secret for HMAC), hash the data, finish into 32 zeroed bytes.
Bytes HashOnce(BCRYPT_ALG_HANDLE provider, const std::uint8_t* secret, std::size_t secretLength,
               const std::uint8_t* data, std::size_t dataLength) {
    constexpr std::size_t kUlongMax = std::numeric_limits<ULONG>::max();
    // No provider (never opened, or closed) means no bcrypt functions either.
    if (provider == nullptr || secretLength > kUlongMax || dataLength > kUlongMax) {
        return FailCryptoOperation();
    }
    HashObject hash;
    const Bcrypt& bcrypt = g_providers.bcrypt;
    if (Failed(bcrypt.createHash(provider, &hash.handle, nullptr, 0, const_cast<PUCHAR>(secret),
                                 static_cast<ULONG>(secretLength), 0))) {
        hash.handle = nullptr;
        return FailCryptoOperation();
    }
    if (Failed(bcrypt.hashData(hash.handle, const_cast<PUCHAR>(data),
                               static_cast<ULONG>(dataLength), 0))) {
        return FailCryptoOperation();
    }
    Bytes out(kSha256Size, 0);
    if (Failed(bcrypt.finishHash(hash.handle, out.data(), static_cast<ULONG>(out.size()), 0))) {
        return FailCryptoOperation(out);
    }
    return out;
}

}  // namespace

bool OpenCryptoProviders() {
    if (!LoadBcrypt(g_providers.bcrypt)) return false;
    const auto open = g_providers.bcrypt.openAlgorithmProvider;
    if (Failed(open(&g_providers.hash, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        g_providers.hash = nullptr;
        return false;
    }
    if (Failed(open(&g_providers.hmac, BCRYPT_SHA256_ALGORITHM, nullptr,
                    BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        g_providers.hmac = nullptr;
        return false;
    }
    return true;
}

void CloseCryptoProviders() {
    const auto close = g_providers.bcrypt.closeAlgorithmProvider;
    if (g_providers.hash != nullptr) close(g_providers.hash, 0);
    if (g_providers.hmac != nullptr) close(g_providers.hmac, 0);
    g_providers = CryptoProviders{};
}

Bytes crypto_provider::Sha256Digest(const std::uint8_t* data, std::size_t length) {
    return HashOnce(g_providers.hash, nullptr, 0, data, length);
}

Bytes crypto_provider::HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                  const std::uint8_t* data, std::size_t dataLength) {
    return HashOnce(g_providers.hmac, key, keyLength, data, dataLength);
}

Bytes crypto_provider::Pbkdf2Sha256(const std::uint8_t* password,
                                    std::uint32_t passwordLength, const std::uint8_t* salt,
                                    std::size_t saltLength, std::uint32_t iterations,
                                    std::size_t outputLength) {
    if (g_providers.hmac == nullptr || saltLength > std::numeric_limits<ULONG>::max() ||
        outputLength > std::numeric_limits<ULONG>::max()) {
        return FailCryptoOperation();
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
    const bool derived = !Failed(g_providers.bcrypt.deriveKeyPbkdf2(
        g_providers.hmac, const_cast<PUCHAR>(password), passwordLength,
        const_cast<PUCHAR>(salt), static_cast<ULONG>(saltLength), iterations, out.data(),
        static_cast<ULONG>(out.size()), 0));
    SecureWipeContents(hashedPassword);
    if (!derived) {
        return FailCryptoOperation(out);
    }
    return out;
}

void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) SecureZeroMemory(data, length);
}

// OpenSSL (libcrypto) provider for the three primitives.
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <limits>

#include "crypto.h"

namespace {

struct DigestContext {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~DigestContext() { EVP_MD_CTX_free(ctx); }
};

Bytes Fail() {
    ReportCryptoFailure();
    return {};
}

}  // namespace

// libcrypto needs no handles to be opened; the functions exist so that both
// providers share one start-up and shutdown sequence.
bool OpenCryptoProviders() { return EVP_sha256() != nullptr; }

void CloseCryptoProviders() {}

Bytes Sha256Digest(const std::uint8_t* data, std::size_t length) {
    DigestContext digest;
    Bytes out(kSha256Size, 0);
    unsigned int written = 0;
    if (digest.ctx == nullptr ||
        EVP_DigestInit_ex(digest.ctx, EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(digest.ctx, data, length) != 1 ||
        EVP_DigestFinal_ex(digest.ctx, out.data(), &written) != 1 ||
        written != kSha256Size) {
        return Fail();
    }
    return out;
}

Bytes HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                 const std::uint8_t* data, std::size_t dataLength) {
    // HMAC() takes an int key length; an empty key needs a valid pointer.
    static const std::uint8_t kEmpty = 0;
    if (keyLength > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return Fail();
    }
    Bytes out(kSha256Size, 0);
    unsigned int written = 0;
    if (HMAC(EVP_sha256(), keyLength ? key : &kEmpty, static_cast<int>(keyLength),
             dataLength ? data : &kEmpty, dataLength, out.data(), &written) == nullptr ||
        written != kSha256Size) {
        SecureWipeContents(out);
        return Fail();
    }
    return out;
}

Bytes Pbkdf2Sha256(const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::size_t saltLength,
                   std::uint32_t iterations, std::size_t outputLength) {
    static const std::uint8_t kEmpty = 0;
    constexpr std::size_t kIntMax = std::numeric_limits<int>::max();
    if (passwordLength > kIntMax || saltLength > kIntMax || iterations == 0 ||
        iterations > kIntMax || outputLength == 0 || outputLength > kIntMax) {
        return Fail();
    }
    Bytes out(outputLength, 0);
    if (PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(passwordLength ? password : &kEmpty),
                          static_cast<int>(passwordLength), saltLength ? salt : &kEmpty,
                          static_cast<int>(saltLength), static_cast<int>(iterations),
                          EVP_sha256(), static_cast<int>(outputLength), out.data()) != 1) {
        SecureWipeContents(out);
        return Fail();
    }
    return out;
}

void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) OPENSSL_cleanse(data, length);
}

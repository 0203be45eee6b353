// OpenSSL (libcrypto) provider for the three primitives.
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "crypto.h"
#include "openssl_handles.h"

namespace {

// HMAC-SHA-256 under one key, as the digest states after the key's inner and
// outer pad blocks. Every HMAC under that key resumes from these two states
// instead of hashing the pad blocks again, which halves the compressions of
// PBKDF2.
struct PadStates {
    DigestContext inner;
    DigestContext outer;
};

// Starts `ctx` and feeds it the key block XORed with `pad`.
bool AbsorbPadBlock(const EVP_MD* md, const std::uint8_t* keyBlock, std::uint8_t pad,
                    EVP_MD_CTX* ctx) {
    std::uint8_t padded[kSha256BlockSize];
    for (std::size_t i = 0; i < kSha256BlockSize; ++i) {
        padded[i] = static_cast<std::uint8_t>(keyBlock[i] ^ pad);
    }
    const bool ok = EVP_DigestInit_ex2(ctx, md, nullptr) == 1 &&
                    EVP_DigestUpdate(ctx, padded, sizeof padded) == 1;
    SecureWipe(padded, sizeof padded);
    return ok;
}

// RFC 2104: a key longer than a block is replaced by its digest, then the key
// is padded with zeros to one block.
bool KeyPadStates(const EVP_MD* md, const std::uint8_t* key, std::size_t keyLength,
                  PadStates& pads) {
    if (pads.inner.ctx == nullptr || pads.outer.ctx == nullptr) return false;
    std::uint8_t keyBlock[kSha256BlockSize] = {};
    bool ok = true;
    if (keyLength > kSha256BlockSize) {
        unsigned int written = 0;
        ok = EVP_Digest(key, keyLength, keyBlock, &written, md, nullptr) == 1 &&
             written == kSha256Size;
    } else if (keyLength != 0) {
        std::memcpy(keyBlock, key, keyLength);
    }
    ok = ok && AbsorbPadBlock(md, keyBlock, 0x36, pads.inner.ctx) &&
         AbsorbPadBlock(md, keyBlock, 0x5c, pads.outer.ctx);
    SecureWipe(keyBlock, sizeof keyBlock);
    return ok;
}

// mac = HMAC(key, first || second), resuming `work` from the pad states. `mac`
// may alias `first`: the message is absorbed before anything is written.
bool HmacFromPadStates(const PadStates& pads, EVP_MD_CTX* work, const std::uint8_t* first,
                       std::size_t firstLength, const std::uint8_t* second,
                       std::size_t secondLength, std::uint8_t* mac) {
    unsigned int written = 0;
    return EVP_MD_CTX_copy_ex(work, pads.inner.ctx) == 1 &&
           (firstLength == 0 || EVP_DigestUpdate(work, first, firstLength) == 1) &&
           (secondLength == 0 || EVP_DigestUpdate(work, second, secondLength) == 1) &&
           EVP_DigestFinal_ex(work, mac, &written) == 1 &&
           EVP_MD_CTX_copy_ex(work, pads.outer.ctx) == 1 &&
           EVP_DigestUpdate(work, mac, kSha256Size) == 1 &&
           EVP_DigestFinal_ex(work, mac, &written) == 1;
}

}  // namespace

// libcrypto needs no handles to be opened; the functions exist so that both
// providers share one start-up and shutdown sequence.
bool OpenCryptoProviders() { return EVP_sha256() != nullptr; }

void CloseCryptoProviders() {}

Bytes crypto_provider::Sha256Digest(const std::uint8_t* data, std::size_t length) {
    DigestContext digest;
    Bytes out(kSha256Size, 0);
    unsigned int written = 0;
    if (digest.ctx == nullptr ||
        EVP_DigestInit_ex(digest.ctx, EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(digest.ctx, data, length) != 1 ||
        EVP_DigestFinal_ex(digest.ctx, out.data(), &written) != 1 ||
        written != kSha256Size) {
        return FailCryptoOperation();
    }
    return out;
}

Bytes crypto_provider::HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                  const std::uint8_t* data, std::size_t dataLength) {
    // HMAC() takes an int key length; an empty key needs a valid pointer.
    static const std::uint8_t kEmpty = 0;
    if (keyLength > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return FailCryptoOperation();
    }
    Bytes out(kSha256Size, 0);
    unsigned int written = 0;
    if (HMAC(EVP_sha256(), keyLength ? key : &kEmpty, static_cast<int>(keyLength),
             dataLength ? data : &kEmpty, dataLength, out.data(), &written) == nullptr ||
        written != kSha256Size) {
        return FailCryptoOperation(out);
    }
    return out;
}

Bytes crypto_provider::Pbkdf2Sha256(const std::uint8_t* password,
                                    std::uint32_t passwordLength, const std::uint8_t* salt,
                                    std::size_t saltLength, std::uint32_t iterations,
                                    std::size_t outputLength) {
    // RFC 8018 numbers the output blocks with a 32-bit counter.
    constexpr std::uint64_t kMaxOutput = 0xffffffffull * kSha256Size;
    if (iterations == 0 || outputLength == 0 || outputLength > kMaxOutput) {
        return FailCryptoOperation();
    }

    FetchedSha256 sha256;
    PadStates pads;
    DigestContext work;
    if (sha256.md == nullptr || work.ctx == nullptr ||
        !KeyPadStates(sha256.md, password, passwordLength, pads)) {
        return FailCryptoOperation();
    }

    Bytes out(outputLength, 0);
    std::uint8_t u[kSha256Size];
    std::uint8_t t[kSha256Size];
    bool ok = true;
    std::size_t produced = 0;
    for (std::uint32_t block = 1; ok && produced < outputLength; ++block) {
        const std::uint8_t counter[4] = {
            static_cast<std::uint8_t>(block >> 24), static_cast<std::uint8_t>(block >> 16),
            static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
        ok = HmacFromPadStates(pads, work.ctx, salt, saltLength, counter, sizeof counter, u);
        std::memcpy(t, u, sizeof t);
        for (std::uint32_t i = 1; ok && i < iterations; ++i) {
            ok = HmacFromPadStates(pads, work.ctx, u, sizeof u, nullptr, 0, u);
            for (std::size_t k = 0; k < sizeof t; ++k) t[k] ^= u[k];
        }
        const std::size_t take = std::min(kSha256Size, outputLength - produced);
        std::memcpy(out.data() + produced, t, take);
        produced += take;
    }
    SecureWipe(u, sizeof u);
    SecureWipe(t, sizeof t);
    if (!ok) {
        return FailCryptoOperation(out);
    }
    return out;
}

void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) OPENSSL_cleanse(data, length);
}

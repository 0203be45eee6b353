// Owners of libcrypto's digest objects, for the OpenSSL provider and for the
// benchmark that times it against the public EVP interface. Either may hold
// null when OpenSSL could not make the object; callers check before use.
#pragma once

#include <openssl/evp.h>

// A digest context; EVP_MD_CTX_free cleanses the state it held.
struct DigestContext {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~DigestContext() { EVP_MD_CTX_free(ctx); }
    DigestContext() = default;
    DigestContext(const DigestContext&) = delete;
    DigestContext& operator=(const DigestContext&) = delete;
};

// SHA-256 fetched once: an explicitly fetched digest spares every
// EVP_DigestInit_ex2 the implicit fetch that EVP_sha256() costs.
struct FetchedSha256 {
    EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    ~FetchedSha256() { EVP_MD_free(md); }
    FetchedSha256() = default;
    FetchedSha256(const FetchedSha256&) = delete;
    FetchedSha256& operator=(const FetchedSha256&) = delete;
};

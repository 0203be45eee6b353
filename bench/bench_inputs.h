// The inputs that both timing programs derive from: two ordinary keywords,
// built into the PBKDF2 secret and salt exactly as a generation builds them.
#pragma once

#include <cstring>

#include "crypto/crypto.h"
#include "derivation/key_derivation.h"

constexpr char kBenchKeyword1[] = "correct horse";
constexpr char kBenchKeyword2[] = "battery staple";
constexpr char kBenchSymbols[] = "!@#$%*-_";

inline Bytes BenchBytes(const char* text) { return Bytes(text, text + std::strlen(text)); }

// keyword 1, one zero byte, keyword 2.
inline Bytes BenchSecret() {
    Bytes secret = BenchBytes(kBenchKeyword1);
    secret.push_back(0);
    const Bytes second = BenchBytes(kBenchKeyword2);
    secret.insert(secret.end(), second.begin(), second.end());
    return secret;
}

// Keyword 1 repeated and cut to `length` characters (ASCII, so bytes too).
inline Bytes BenchKeywordOfLength(std::size_t length) {
    Bytes keyword;
    while (keyword.size() < length) {
        keyword.insert(keyword.end(), kBenchKeyword1, kBenchKeyword1 + std::strlen(kBenchKeyword1));
    }
    keyword.resize(length);
    return keyword;
}

inline Bytes BenchSalt() {
    const Bytes label = BenchBytes(kSaltLabel);
    return Sha256Digest(label.data(), label.size());
}

// Turns two keywords and a password length into the material from which every
// character and every shuffle swap is drawn. Every label, count and order here
// fixes which password given keywords produce: changing any of them changes
// every user's passwords.
#pragma once

#include <cstdint>

#include "crypto/crypto.h"

// The VORKASOFT in these labels is not a leftover to tidy up: the labels
// are inputs of the derivation, not names shown to anyone, and renaming or
// re-versioning one changes every password of every user.
constexpr char kSaltLabel[] = "VORKASOFT-PWGEN-v2";
constexpr char kExtractLabel[] = "VORKASOFT-v2-EXTRACT";
constexpr char kMaterialLabel[] = "VORKASOFT-v2-MATERIAL";

constexpr std::uint32_t kPbkdf2Iterations = 600000;
constexpr std::size_t kStretchedKeySize = 32;
// One-byte block counter, 32-byte blocks.
constexpr std::uint64_t kHkdfMaxOutput = 255 * kSha256Size;

// 4 x length + 512, in 64-bit arithmetic.
std::uint64_t MaterialSize(std::int32_t length);

// PBKDF2 over "keyword1 \0 keyword2", HKDF-Extract, HKDF-Expand. Always
// returns MaterialSize(length) bytes; a failed primitive shows up only through
// the failure report. Called with length > 0.
Bytes DeriveMaterial(const Bytes& keyword1, const Bytes& keyword2, std::int32_t length);

// RFC 5869 HKDF-Expand over HMAC-SHA-256. Returns exactly `length` bytes: a
// failed block contributes nothing and the output is padded with zeros. A
// length beyond the counter's 8160 bytes is reported as a failure and gives
// zeros rather than a wrapped counter.
Bytes HkdfExpand(const Bytes& pseudorandomKey, const Bytes& info, std::uint64_t length);

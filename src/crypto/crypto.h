// Cryptographic services: SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA-256 on the
// platform's provider (CNG on Windows, OpenSSL's libcrypto elsewhere), the
// one-shot failure report, and the wipe used for every secret buffer.
//
// Every operation returns either its full 32 (or requested) bytes or an empty
// array; a failure never throws. On failure the operation calls
// ReportCryptoFailure(), which tells the user at most once per generation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSha256Size = 32;
// HMAC-SHA-256 hashes a longer key before use (RFC 2104).
constexpr std::size_t kSha256BlockSize = 64;

constexpr char kCryptoFailureText[] =
    "Cryptographic operation failed.\nPassword generation aborted.";
// When OpenCryptoProviders fails; a front end may add what happens next.
constexpr char kCryptoStartFailureText[] = "Failed to initialize cryptographic providers.";

// Opens the hash provider, then the HMAC provider. False if either fails.
bool OpenCryptoProviders();
void CloseCryptoProviders();

// The three primitives. Callers use the plain names; behind them, a build
// links either crypto_direct.cpp, which calls the platform's provider, or
// testing/crypto_faults.cpp, which can fail chosen calls first. Both define
// these with qualified names, and the provider defines crypto_provider's, so
// that a definition that no longer matches fails to compile.
namespace crypto_primitives {
Bytes Sha256Digest(const std::uint8_t* data, std::size_t length);
Bytes HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                 const std::uint8_t* data, std::size_t dataLength);
Bytes Pbkdf2Sha256(const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::size_t saltLength,
                   std::uint32_t iterations, std::size_t outputLength);
}  // namespace crypto_primitives

using crypto_primitives::HmacSha256;
using crypto_primitives::Pbkdf2Sha256;
using crypto_primitives::Sha256Digest;

// The platform's own implementations (crypto_cng.cpp or crypto_openssl.cpp),
// of the same types.
namespace crypto_provider {
decltype(crypto_primitives::Sha256Digest) Sha256Digest;
decltype(crypto_primitives::HmacSha256) HmacSha256;
decltype(crypto_primitives::Pbkdf2Sha256) Pbkdf2Sha256;
}  // namespace crypto_provider

// The report-pending flag: set at process start, armed by the front end right
// before each generation, cleared by the first report.
void ArmCryptoFailureReport();
bool IsCryptoFailureReportPending();

// If the flag is set: clear it, then show kCryptoFailureText through the
// front end's presenter. Otherwise nothing.
void ReportCryptoFailure();

// How every operation of a provider fails: the report, then the empty
// result. Output written before the failure is wiped first.
Bytes FailCryptoOperation();
Bytes FailCryptoOperation(Bytes& partialOutput);

// How the front end shows the failure text: a message box in the Windows
// program, standard error in the command-line program (the default).
using CryptoFailurePresenter = void (*)(const char* text);
void SetCryptoFailurePresenter(CryptoFailurePresenter presenter);

// Overwrites the bytes with zeros in a way the optimiser cannot drop.
void SecureWipe(void* data, std::size_t length);

template <typename Container>
void SecureWipeContents(Container& container) {
    if (!container.empty()) {
        SecureWipe(&container[0], container.size() * sizeof(container[0]));
    }
}

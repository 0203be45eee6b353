#include "crypto/testing/crypto_faults.h"

#include <set>
#include <utility>

#include "crypto/crypto.h"

namespace {

struct FaultPlan {
    int calls[3] = {0, 0, 0};
    std::set<std::pair<int, int>> failures;  // (operation, call number)
};

FaultPlan g_plan;

// Counts the call; true when this one is to fail (after reporting it).
bool ShouldFail(CryptoOperation operation) {
    const int op = static_cast<int>(operation);
    const int number = ++g_plan.calls[op];
    if (g_plan.failures.count({op, number}) == 0) return false;
    ReportCryptoFailure();
    return true;
}

}  // namespace

void FailCryptoCall(CryptoOperation operation, int callNumber) {
    g_plan.failures.insert({static_cast<int>(operation), callNumber});
}

void ResetCryptoFaults() { g_plan = FaultPlan{}; }

int CryptoCallCount(CryptoOperation operation) {
    return g_plan.calls[static_cast<int>(operation)];
}

// In place of crypto_direct.cpp: each call is counted, and a planned one
// fails before it reaches the provider.
Bytes crypto_primitives::Sha256Digest(const std::uint8_t* data, std::size_t length) {
    if (ShouldFail(CryptoOperation::Digest)) return {};
    return crypto_provider::Sha256Digest(data, length);
}

Bytes crypto_primitives::HmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                    const std::uint8_t* data, std::size_t dataLength) {
    if (ShouldFail(CryptoOperation::Hmac)) return {};
    return crypto_provider::HmacSha256(key, keyLength, data, dataLength);
}

Bytes crypto_primitives::Pbkdf2Sha256(const std::uint8_t* password,
                                      std::uint32_t passwordLength, const std::uint8_t* salt,
                                      std::size_t saltLength, std::uint32_t iterations,
                                      std::size_t outputLength) {
    if (ShouldFail(CryptoOperation::Pbkdf2)) return {};
    return crypto_provider::Pbkdf2Sha256(password, passwordLength, salt, saltLength, iterations,
                                         outputLength);
}

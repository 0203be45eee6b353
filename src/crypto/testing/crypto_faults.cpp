#include "crypto/testing/crypto_faults.h"

#include <set>
#include <utility>

#include "crypto/crypto.h"

// The real provider, compiled a second time under these names.
Bytes RealSha256Digest(const std::uint8_t* data, std::size_t length);
Bytes RealHmacSha256(const std::uint8_t* key, std::size_t keyLength, const std::uint8_t* data,
                     std::size_t dataLength);
Bytes RealPbkdf2Sha256(const std::uint8_t* password, std::uint32_t passwordLength,
                       const std::uint8_t* salt, std::size_t saltLength,
                       std::uint32_t iterations, std::size_t outputLength);

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

Bytes Sha256Digest(const std::uint8_t* data, std::size_t length) {
    if (ShouldFail(CryptoOperation::Digest)) return {};
    return RealSha256Digest(data, length);
}

Bytes HmacSha256(const std::uint8_t* key, std::size_t keyLength, const std::uint8_t* data,
                 std::size_t dataLength) {
    if (ShouldFail(CryptoOperation::Hmac)) return {};
    return RealHmacSha256(key, keyLength, data, dataLength);
}

Bytes Pbkdf2Sha256(const std::uint8_t* password, std::uint32_t passwordLength,
                   const std::uint8_t* salt, std::size_t saltLength, std::uint32_t iterations,
                   std::size_t outputLength) {
    if (ShouldFail(CryptoOperation::Pbkdf2)) return {};
    return RealPbkdf2Sha256(password, passwordLength, salt, saltLength, iterations, outputLength);
}

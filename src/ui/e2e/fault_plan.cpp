// Test builds only: the start-up of the program variant with a fault-injecting
// crypto layer. TARNWELL_TEST_FAULTS lists the failures, separated by commas:
//   open          the providers cannot be opened
//   pbkdf2:N      the N-th PBKDF2 call fails (likewise hmac:N and digest:N)
#include <windows.h>

#include <string>

#include "crypto/crypto.h"
#include "crypto/testing/crypto_faults.h"

bool RealOpenCryptoProviders();

namespace {

std::string FaultPlanText() {
    char text[256] = {};
    const DWORD length = GetEnvironmentVariableA("TARNWELL_TEST_FAULTS", text, sizeof(text));
    return length < sizeof(text) ? std::string(text, length) : std::string();
}

// Plans the failures; false when the providers are to fail to open.
bool ApplyFaultPlan(const std::string& plan) {
    bool openSucceeds = true;
    std::size_t start = 0;
    while (start <= plan.size()) {
        std::size_t end = plan.find(',', start);
        if (end == std::string::npos) end = plan.size();
        const std::string item = plan.substr(start, end - start);
        const std::size_t colon = item.find(':');
        const std::string name = item.substr(0, colon);
        const int call = colon == std::string::npos ? 0 : std::atoi(item.c_str() + colon + 1);
        if (name == "open") openSucceeds = false;
        if (name == "pbkdf2") FailCryptoCall(CryptoOperation::Pbkdf2, call);
        if (name == "hmac") FailCryptoCall(CryptoOperation::Hmac, call);
        if (name == "digest") FailCryptoCall(CryptoOperation::Digest, call);
        start = end + 1;
    }
    return openSucceeds;
}

}  // namespace

bool OpenCryptoProviders() {
    if (!ApplyFaultPlan(FaultPlanText())) return false;
    return RealOpenCryptoProviders();
}

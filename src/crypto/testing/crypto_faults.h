// Test builds only: a crypto layer that forwards each operation to the real
// provider and makes chosen calls fail the way a failing provider call does
// (the one-shot report, then an empty array). It also counts the calls.
#pragma once

#include <cstddef>

enum class CryptoOperation { Digest, Hmac, Pbkdf2 };

// Fails the call of `operation` numbered `callNumber` (1 = the next one)
// counted from the last ResetCryptoFaults().
void FailCryptoCall(CryptoOperation operation, int callNumber);
// Forgets every planned failure and sets the counts to zero.
void ResetCryptoFaults();
int CryptoCallCount(CryptoOperation operation);

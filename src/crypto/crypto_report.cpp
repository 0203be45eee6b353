// The one-shot failure report shared by both providers.
#include <cstdio>

#include "crypto.h"

namespace {

void PresentOnStandardError(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

struct ReportState {
    // Set when the process starts, so a failure outside any generation is
    // still reported once.
    bool pending = true;
    CryptoFailurePresenter presenter = PresentOnStandardError;
};

ReportState g_report;

}  // namespace

void ArmCryptoFailureReport() { g_report.pending = true; }

bool IsCryptoFailureReportPending() { return g_report.pending; }

void ReportCryptoFailure() {
    if (!g_report.pending) return;
    g_report.pending = false;
    g_report.presenter(kCryptoFailureText);
}

Bytes FailCryptoOperation() {
    ReportCryptoFailure();
    return {};
}

Bytes FailCryptoOperation(Bytes& partialOutput) {
    SecureWipeContents(partialOutput);
    return FailCryptoOperation();
}

void SetCryptoFailurePresenter(CryptoFailurePresenter presenter) {
    g_report.presenter = presenter ? presenter : PresentOnStandardError;
}

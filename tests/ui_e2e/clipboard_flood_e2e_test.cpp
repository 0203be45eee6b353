// The clipboard check against a flood of posted messages. Windows makes a
// WM_TIMER only when no posted message waits in the thread's queue, and any
// program on the desktop may post to another's window; so a program that
// keeps posting could hold a timer off for as long as it posts. Both the
// window program and tarnwell-cli.exe --copy are to empty the clipboard when
// their 30 seconds are up, flood or not. The test copies the password, keeps
// the program's queue full from a few seconds before the check until a few
// seconds after it, and expects the clipboard emptied within about a second
// of the check's time while the flood still goes on.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "app_process.h"
#include "clipboard_access.h"
#include "program_driver.h"
#include "program_paths.h"
#include "queue_sync.h"
#include "support/top_level_window.h"
#include "wait_until.h"

namespace {

constexpr ULONGLONG kGuardDelayMs = 30000;
// The flood starts this long before the check is due and ends this long
// after; the check is to have emptied the clipboard within kLateMs.
constexpr ULONGLONG kFloodBeforeMs = 5000;
constexpr ULONGLONG kFloodAfterMs = 5000;
constexpr ULONGLONG kLateMs = 1500;

// Markers kept waiting in the queue: enough that the thread never finds it
// empty, and well below the 10,000 posted messages that Windows lets a
// queue hold by default.
constexpr LONG kBacklogHigh = 2000;
constexpr LONG kBatch = 50;
// Each post, like each message the program takes, is a request to the
// system (under Wine to its server), so one posting thread only keeps pace
// with the program's loop; a few get ahead of it.
constexpr int kPosters = 3;

// Another program's flood: threads of the test post the sync marker, which
// the program ignores, to `window` until destroyed, and keep the markers
// that the program's thread has not yet taken at about kBacklogHigh. The
// queue hook counts what the thread takes.
class QueueFlood {
public:
    explicit QueueFlood(HWND window) : window_(window) {
        marker_ = RegisterWindowMessageW(kSyncMarkerName);
        takenAtStart_ = MarkersTaken(window_);
        if (takenAtStart_ < 0) return;
        for (std::thread& poster : posters_) poster = std::thread([this] { Post(); });
    }
    ~QueueFlood() { Stop(); }
    QueueFlood(const QueueFlood&) = delete;
    QueueFlood& operator=(const QueueFlood&) = delete;

    // Once the queue holds a full backlog; false if it never did.
    bool WaitUntilFull(DWORD timeoutMs) const {
        return WaitUntil([this] { return full_.load(); }, timeoutMs);
    }
    // Ends the flood; the markers still queued are the program's to take.
    void Stop() {
        stop_ = true;
        for (std::thread& poster : posters_) {
            if (poster.joinable()) poster.join();
        }
    }
    // The fewest markers seen waiting since the queue was first full: above
    // zero, the thread never found its queue empty of them.
    LONG LeastBacklog() const { return leastBacklog_.load(); }
    // The most seen waiting, and the markers posted so far: how near a flood
    // that never filled the queue came.
    LONG MostBacklog() const { return mostBacklog_.load(); }
    LONG Posted() const { return posted_.load(); }

private:
    void Post() {
        while (!stop_) {
            const LONG backlog = posted_ - (MarkersTaken(window_) - takenAtStart_);
            LONG least = leastBacklog_;
            while (full_ && backlog < least &&
                   !leastBacklog_.compare_exchange_weak(least, backlog)) {
            }
            LONG most = mostBacklog_;
            while (backlog > most && !mostBacklog_.compare_exchange_weak(most, backlog)) {
            }
            if (backlog >= kBacklogHigh) {
                full_ = true;
                SwitchToThread();
                continue;
            }
            for (LONG i = 0; i < kBatch; ++i) {
                if (!PostMessageW(window_, marker_, 0, 0)) {
                    // A full queue takes no more for now; a window that has
                    // gone ends the flood.
                    if (!IsWindow(window_)) return;
                    break;
                }
                ++posted_;
            }
        }
    }

    HWND window_;
    UINT marker_ = 0;
    LONG takenAtStart_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> full_{false};
    std::atomic<LONG> posted_{0};
    std::atomic<LONG> leastBacklog_{kBacklogHigh};
    std::atomic<LONG> mostBacklog_{0};
    std::thread posters_[kPosters];
};

struct FloodOutcome {
    ULONGLONG emptiedAfterMs = 0;  // from the copy; 0 if never within the flood
    LONG leastBacklog = 0;
    bool flooded = false;
    LONG mostBacklog = 0;  // while filling
    LONG posted = 0;
};

// Floods `window` around the check due kGuardDelayMs after `copiedAt`, and
// notes when the clipboard was emptied while the flood went on. The test
// only counts the clipboard's formats, which leaves it free for the check.
FloodOutcome FloodAroundCheck(HWND window, ULONGLONG copiedAt) {
    FloodOutcome outcome;
    SleepUntil(copiedAt + kGuardDelayMs - kFloodBeforeMs);
    QueueFlood flood(window);
    outcome.flooded = flood.WaitUntilFull(static_cast<DWORD>(kFloodBeforeMs - 1000));
    outcome.mostBacklog = flood.MostBacklog();
    outcome.posted = flood.Posted();
    if (!outcome.flooded) return outcome;
    const ULONGLONG floodEnd = copiedAt + kGuardDelayMs + kFloodAfterMs;
    const ULONGLONG now = GetTickCount64();
    if (WaitUntil([] { return CountClipboardFormats() == 0; },
                  static_cast<DWORD>(floodEnd > now ? floodEnd - now : 0))) {
        outcome.emptiedAfterMs = GetTickCount64() - copiedAt;
    }
    outcome.leastBacklog = flood.LeastBacklog();
    return outcome;
}

void ExpectEmptiedInTime(const FloodOutcome& outcome) {
    ASSERT_TRUE(outcome.flooded) << "the flood never filled the program's queue: of "
                                 << outcome.posted << " markers posted, at most "
                                 << outcome.mostBacklog << " were waiting at once";
    ASSERT_NE(outcome.emptiedAfterMs, 0u)
        << "the clipboard still held the password " << kFloodAfterMs
        << " ms after the check was due; the fewest markers waiting in the flood: "
        << outcome.leastBacklog;
    EXPECT_LE(outcome.emptiedAfterMs, kGuardDelayMs + kLateMs)
        << "the fewest markers waiting in the flood: " << outcome.leastBacklog;
    EXPECT_GE(outcome.emptiedAfterMs + 1000, kGuardDelayMs) << "emptied before its time";
}

TEST(ClipboardFlood, TheWindowProgramEmptiesTheClipboardOnTime) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EnterVector(main, VectorNamed("default"));
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    const ULONGLONG copiedAt =
        CopyAndWaitForClipboard(result, VectorPassword(VectorNamed("default")));
    ASSERT_NE(copiedAt, 0u) << "the password never reached the clipboard";
    // The hook is set before the flood, so that it counts from its start.
    ASSERT_GE(MarkersTaken(main), 0);

    ExpectEmptiedInTime(FloodAroundCheck(main, copiedAt));
    // The program came through the flood and still answers.
    SyncWithProgram(main);
    EXPECT_TRUE(IsWindowEnabled(main));
}

// tarnwell-cli.exe --copy with the keywords on a pipe; ended if it is still
// running when the test is done.
class CliCopyProcess {
public:
    CliCopyProcess() {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE inRead = nullptr;
        HANDLE inWrite = nullptr;
        if (!CreatePipe(&inRead, &inWrite, &inheritable, 0)) return;
        SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
        // The countdown, a few hundred bytes, stays in the pipe's buffer.
        errors_ = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable,
                              OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inRead;
        startup.hStdOutput = errors_;
        startup.hStdError = errors_;
        std::wstring commandLine = L"\"" + g_programPaths.cli + L"\" --copy";
        if (CreateProcessW(g_programPaths.cli.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                           CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process_)) {
            const PasswordVector& vector = VectorNamed("default");
            std::string keywords(vector.keyword1.begin(), vector.keyword1.end());
            keywords += "\n" + std::string(vector.keyword2.begin(), vector.keyword2.end()) + "\n";
            DWORD written = 0;
            WriteFile(inWrite, keywords.data(), static_cast<DWORD>(keywords.size()), &written,
                      nullptr);
        }
        CloseHandle(inRead);
        CloseHandle(inWrite);
    }
    ~CliCopyProcess() {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        if (errors_ != INVALID_HANDLE_VALUE) CloseHandle(errors_);
    }
    CliCopyProcess(const CliCopyProcess&) = delete;
    CliCopyProcess& operator=(const CliCopyProcess&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    // Its hidden clipboard window, made before the generation.
    HWND WaitForWindow(DWORD timeoutMs) const {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                return (found = FindTopLevelWindow(process_.dwProcessId,
                                                   L"VORKACliCopyClass")) != nullptr;
            },
            timeoutMs);
        return found;
    }
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
        GetExitCodeProcess(process_.hProcess, exitCode);
        return true;
    }

private:
    PROCESS_INFORMATION process_{};
    HANDLE errors_ = INVALID_HANDLE_VALUE;
};

TEST(ClipboardFlood, TheCommandLineProgramEmptiesTheClipboardOnTime) {
    CliCopyProcess cli;
    ASSERT_TRUE(cli.Started());
    HWND window = cli.WaitForWindow(20000);
    ASSERT_NE(window, nullptr) << "tarnwell-cli made no clipboard window";
    ASSERT_GE(MarkersTaken(window), 0);
    // The program arms its guard as it copies, a moment before the text is
    // seen here: the check's time is at most 30 s after this.
    const std::wstring password = VectorPassword(VectorNamed("default"));
    bool hasText = false;
    ASSERT_TRUE(WaitUntil([&] { return ReadClipboardText(&hasText) == password; }, 180000))
        << "the password never reached the clipboard";
    const ULONGLONG copiedAt = GetTickCount64();

    ExpectEmptiedInTime(FloodAroundCheck(window, copiedAt));
    DWORD exitCode = 99;
    ASSERT_TRUE(cli.WaitForExit(10000, &exitCode)) << "tarnwell-cli did not end";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace

// What every copy of a secret keeps to, whatever its clipboard: how long it
// stays, how a busy clipboard is retried, and the marks that keep it out of
// clipboard histories. Written once for the window's clipboard guard, the
// command-line program's --copy and every text that states it.
#pragma once

#include <cstddef>
#include <cstdint>

// The window's promise: the clipboard is checked this long after a copy and
// emptied if it still holds the copied text. No option changes it.
constexpr int kGuardSeconds = 30;

// Another program may hold the clipboard open when the check comes. The
// copied text may still be there, so the check never gives up while the
// program runs: it is tried again every quarter second for ten seconds, as
// most programs let the clipboard go within a moment, and every two seconds
// after that.
constexpr unsigned kFastRetryIntervalMs = 250;
constexpr unsigned long long kFastRetryPeriodMs = 10000;
constexpr unsigned kSlowRetryIntervalMs = 2000;

// After the clipboard has been emptied a clipboard manager may put its own
// copy of the text back. The X clipboard is looked at again after this
// settle, and the text taken off again, this many times at most; so a clear
// takes at most this many settles longer than the one look it needs.
constexpr unsigned kPutBackSettleMs = 250;
constexpr unsigned kPutBackRounds = 3;

// The marks every copy carries beside its text, each a registered clipboard
// format (an X target of the same name) with the bytes it holds.
//
// Windows 10 and later keep a history of the clipboard (Win+V) and may sync
// it to other devices, which would keep the text long after the guard has
// cleared it. Content that carries these three formats is left out of both:
// the first by its mere presence, the other two when they hold a DWORD 0.
constexpr char kExcludeFromMonitorsFormat[] = "ExcludeClipboardContentFromMonitorProcessing";
constexpr char kCanIncludeInHistoryFormat[] = "CanIncludeInClipboardHistory";
constexpr char kCanUploadToCloudFormat[] = "CanUploadToCloudClipboard";
constexpr std::uint32_t kHistoryNo = 0;  // the DWORD 0 of the last two

// Linux clipboard managers look for marks of their own, each a target
// with fixed content; Wine hands the Windows formats to X as targets of the
// same names. KDE's Klipper leaves out of its history whatever offers the
// hint, the six bytes "secret" with no terminating zero. CopyQ ignores that
// hint (as Debian 12 packages it) and honours its own mark, the byte "1".
constexpr char kPasswordManagerHintFormat[] = "x-kde-passwordManagerHint";
constexpr char kPasswordManagerHint[] = {'s', 'e', 'c', 'r', 'e', 't'};
constexpr std::size_t kPasswordManagerHintBytes = sizeof kPasswordManagerHint;
constexpr char kCopyQHiddenFormat[] = "application/x-copyq-hidden";
constexpr char kCopyQHidden[] = {'1'};
constexpr std::size_t kCopyQHiddenBytes = sizeof kCopyQHidden;

// Control and menu identifiers of the two windows; the clipboard guard's
// timers are its own (clipboard/clipboard_guard.cpp). The end-to-end tests
// keep their own copy of these numbers, since users' tools and scripts see
// them.
#pragma once

// Main window controls. Not consecutive in screen order: Symbols is 104 and
// Numbers 105.
constexpr int IDC_KEYWORD1 = 101;
constexpr int IDC_KEYWORD2 = 102;
constexpr int IDC_LENGTH = 103;
constexpr int IDC_SYMBOLS = 104;
constexpr int IDC_NUMBERS = 105;
constexpr int IDC_UPPERCASE = 106;
constexpr int IDC_LOWERCASE = 107;
constexpr int IDC_GENERATE = 108;
constexpr int IDC_ALLOWED = 109;
constexpr int IDC_KEYWORD1_LABEL = 120;
constexpr int IDC_KEYWORD2_LABEL = 121;
constexpr int IDC_LENGTH_LABEL = 122;
constexpr int IDC_ALLOWED_LABEL = 123;

// Result window controls.
constexpr int IDC_RESULT_EDIT = 201;
constexpr int IDC_COPY = 202;
constexpr int IDC_RESULT_LABEL = 203;

// Menu commands.
constexpr int IDM_EXIT = 301;
constexpr int IDM_ABOUT = 302;


// A line of harmless text broken once at start-up, before any edit control
// holds a keyword or the password.
//
// Wine formats the arguments of the first trace message in each of its
// source files even when tracing is off: a channel's flags start as "all on"
// and are looked up only by that first message, after its arguments have
// been formatted into the thread's buffer of debug strings, which nothing
// clears. The first message of its line breaker quotes the whole text being
// broken. Without this, the first password long enough to wrap in the result
// window, or the first keyword in which a word is selected (a double-click,
// Ctrl+Left or Ctrl+Right), stays readable there for the life of the process.
// Windows keeps no such copy; there this costs one hidden window.
#pragma once

#include <windows.h>

void BreakHarmlessLineOnce(HINSTANCE instance);

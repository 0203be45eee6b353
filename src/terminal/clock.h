// The one clock every wait of the command-line program counts on: the
// --copy deadline, the countdown, the X server's reply timeouts and rate
// limits. One implementation file per platform.
#pragma once

// Milliseconds since an arbitrary start, never going back. The time a
// suspended machine sleeps counts too (CLOCK_BOOTTIME; GetTickCount64 on
// Windows): the password must be off the clipboard 30 seconds after the
// copy as the user counts them, so a laptop closed for an hour clears at
// once on waking rather than 30 seconds of running later. The X server's
// reply timeouts run out during a sleep too; a reply already waiting is
// still read before its timeout is looked at (x11_connection.cpp).
long long MonotonicMs();

#include "terminal/clock.h"

#include <windows.h>

long long MonotonicMs() { return static_cast<long long>(GetTickCount64()); }

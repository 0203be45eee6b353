#include "platform/system_library.h"

// Shared libraries come from the system's own paths; a program's folder is
// never searched.
void RestrictLibrarySearchToSystem() {}

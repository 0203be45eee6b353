// The command-line program once its platform's entry point has made the
// process safe to hold keywords and has its arguments as UTF-16.
#pragma once

#include <string>
#include <vector>

int RunProgram(const std::vector<std::u16string>& arguments);

#pragma once
#include <string_view>

// The program's own version block, as it is placed in the program file.
std::string_view ProgramVersionBlock();

#pragma once

#include <string>

#include "util/StringStorage.h"

namespace ostiva {

// Sets `out` to the full path of the running program file. False, with `out`
// unchanged, when the system gives no path.
bool GetModulePath(StringStorage* out);

// The program's directory: its path cut before the last "/", or the whole
// path when it has none; empty when the path is unknown.
std::u16string ProgramDirectory();

}  // namespace ostiva

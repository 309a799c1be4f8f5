#pragma once
#include <string>

namespace runtime {
// The folder of the running executable, without a trailing "/".
std::string AppPath();
}

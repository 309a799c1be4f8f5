// One line on standard error for every failure the program meets, beside its
// message box: what went wrong, where (the full path) and why.
#pragma once
#include <string>

namespace runtime {

// Writes "Vantry: <path>: <what>: <why>" (": <why>" left out when empty) as
// one line; control characters in the parts become "?".
void ErrorLine(const std::string &path, const std::string &what, const std::string &why = std::string());

// The system's words for an errno value.
std::string SystemReason(int error);

}  // namespace runtime

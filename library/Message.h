// The library's message box: one line on standard error, "title: text".
#pragma once

namespace quenta {
void ShowMessage(const char *title, const char *text);
// The system's text for an error number.
void ShowErrorMessage(const char *title, int error);

// A descriptor the library opens is moved above 0, 1 and 2: in a process
// started with standard error closed, a message must not land in a file.
int AboveStandardStreams(int fd);
}  // namespace quenta

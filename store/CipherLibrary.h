// The field cipher, bound by name from libQuenta.so at its first use: the
// program's own folder first, then the normal library search.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace store {

// Scrambles (direction 0) or unscrambles into buffer, which must hold 2052
// bytes. Empty when the library or its export could not be had.
std::optional<int32_t> CallModulate(char *buffer, const char *text, int32_t direction);

// Binds the library now if not yet done; false when it cannot be had.
bool CipherAvailable();

// Why the binding failed (the loader's words).
std::string CipherError();

// The file looked for first: libQuenta.so in the program's folder.
std::string CipherLibraryPath();

// Uses this file instead of the search and forgets any earlier binding
// (tests); an empty path restores the search.
void SetCipherLibraryPath(const std::string &path);

constexpr size_t kCipherBufferSize = 2052;

}  // namespace store

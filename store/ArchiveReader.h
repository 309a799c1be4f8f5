// Reads and judges one archive file without touching the shared state, so
// that the same rules can be applied to "Vantry.csv" or to a backup.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/ArchiveOnDisk.h"
#include "store/Module1.h"

namespace store {

// What a file gave. Fields and titles the file does not reach keep what the
// image held before the read.
struct ArchiveImage {
  int16_t rows = 0;
  int16_t columns = 0;
  std::array<std::string, Module1::kTableFields> titles;
  std::array<Module1::Row, Module1::kTableRows> table;
  int records = 0;  // record lines read, at most 99
  Fingerprint fingerprint;  // of the whole file, once it read whole
};

enum class Verdict {
  kWhole,           // read, and the chain holds
  kEmpty,           // no header line at all: nothing to open
  kHeaderOnly,      // a header and no record line: nothing to open
  kCannotOpen,      // missing, not a regular file, or unreadable
  kLibraryMissing,  // the cipher library cannot be had
  kCorrupted,       // the format cannot hold what the file has
};

struct ArchiveCheck {
  Verdict verdict = Verdict::kCannotOpen;
  std::string reason;  // the system's words, or what is damaged
};

// Reads the archive at path into image and judges it, in bounded memory and
// time whatever the file holds.
ArchiveCheck ReadArchive(const std::string &path, ArchiveImage &image);

// The same for an archive's bytes in memory.
ArchiveCheck ReadArchiveText(std::string_view bytes, ArchiveImage &image);

// The verdict on a file alone, from an empty image.
ArchiveCheck CheckArchive(const std::string &path);

}  // namespace store

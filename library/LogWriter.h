// Writing one record to "Quenta/Quenta.csv" (relative to the working
// directory, see LogFiles.h), and moving the log aside after more than 10000 records.
#pragma once
#include <cstdint>

namespace quenta {

constexpr int32_t kRecordsPerLog = 10000;

// Only the low 16 bits of code and number count. Code -1 writes nothing.
void WriteRecord(int32_t code, const char *file, int32_t line, const char *text, int32_t number,
                 int32_t value);

}  // namespace quenta

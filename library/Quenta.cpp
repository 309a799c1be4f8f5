#include "Quenta.h"

#include "InitLibrary.h"
#include "LogWriter.h"

extern "C" int32_t Quenta(int32_t code, const char *file, int32_t line, const char *text, int32_t number,
                          int32_t value) {
  quenta::InitLibrary();
  quenta::WriteRecord(code, file, line, text, number, value);
  return 0;
}

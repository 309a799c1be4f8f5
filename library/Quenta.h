/* Quenta: the companion library of Vantry.
 * Modulate scrambles and unscrambles one record line; Quenta writes one
 * diagnostic log record. Plain C interface, loaded by name at run time. */
#ifndef QUENTA_H
#define QUENTA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QUENTA_BUILD)
#define QUENTA_EXPORT __attribute__((visibility("default")))
#else
#define QUENTA_EXPORT
#endif

/* direction 0 scrambles text into buffer (at most 1024 plain bytes; the
 * buffer needs 2052 bytes), any other value unscrambles (buffer needs 1025
 * bytes). Returns the number of plain bytes consumed or produced. */
QUENTA_EXPORT int32_t Modulate(char *buffer, const char *text, int32_t direction);

/* Appends one record to Quenta/Quenta.csv when logging is switched on. */
QUENTA_EXPORT int32_t Quenta(int32_t code, const char *file, int32_t line, const char *text,
                             int32_t number, int32_t value);

typedef int32_t (*ModulateFunction)(char *, const char *, int32_t);
typedef int32_t (*QuentaFunction)(int32_t, const char *, int32_t, const char *, int32_t, int32_t);

#ifdef __cplusplus
}
#endif

#endif

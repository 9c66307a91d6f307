/* The calls of the Hamlog record library as this project ships it: libHamlog50.so and libThdll2Vb.so.
 *
 * Callers hand in caller-owned areas: a handle area for counting and a record area for reading.
 * The library never writes past the sizes given here. All texts are bytes as stored in the log
 * (CP932), paths are native file name bytes. */
#ifndef HAMLOG_HAMLOGAPI_H
#define HAMLOG_HAMLOGAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define HAMLOG_API __declspec(dllexport)
#else
#define HAMLOG_API __attribute__((visibility("default")))
#endif

/* Size in bytes of the handle area of dbf_open, dbf_rcount and dbf_close. */
#define HAMLOG_DBF_HANDLE_SIZE 288
/* Size in bytes of the record area of HamlogOpen, THW_read, ThwString and HamlogClose. */
#define HAMLOG_RECORD_SIZE 4096
/* Size in bytes of the text buffer ThwString fills: at most HAMLOG_TEXT_SIZE - 1 text bytes and a NUL. */
#define HAMLOG_TEXT_SIZE 1024
/* Number of record fields ThwString delivers (1 to 16). */
#define HAMLOG_FIELD_COUNT 16
/* The version GetThdllVersion reports. */
#define HAMLOG_VERSION 20480

/* HamlogOpen results. */
#define HAMLOG_OK 0
#define HAMLOG_ERR_HDB_MISSING 2   /* the .hdb file is missing or cannot be read */
#define HAMLOG_ERR_HDB_INVALID 3   /* the .hdb file is not a dBase III table, or its header is damaged */
#define HAMLOG_ERR_OUT_OF_MEMORY 8 /* the library could not allocate its reading state */
#define HAMLOG_ERR_MST_MISSING 42  /* the companion .mst file is missing or cannot be read */

/* libHamlog50 */
HAMLOG_API int GetThdllVersion(void);
HAMLOG_API int dbf_open(const char* path, void* handle);
HAMLOG_API int dbf_rcount(void* handle);
HAMLOG_API void dbf_close(void* handle);
HAMLOG_API int HamlogOpen(int reserved, void* record, const char* path, int mode);
HAMLOG_API int THW_read(void* record, int32_t number, int mode);
HAMLOG_API void HamlogClose(void* record, int reserved);

/* libThdll2Vb */
HAMLOG_API void ThwString(char* text, void* record, int16_t field);

#ifdef __cplusplus
}
#endif

#endif

/* The calls of the Hamlog record library as this project ships it: libHamlog50.so and libThdll2Vb.so on Linux,
 * Hamlog50.dll and Thdll2Vb.dll on Windows.
 *
 * Callers hand in caller-owned areas: a handle area for counting and a record area for reading.
 * The library never writes past the sizes given here. All texts are bytes as stored in the log
 * (CP932). Paths are native file name bytes on Linux; on Windows they are text in the ANSI code page, CP932
 * (Shift_JIS) on the Japanese Windows that Hamlog runs on, as for Hamlog's own library.
 *
 * On Windows the calls are 32-bit standard calls (__stdcall, HAMLOG_CALL) exported under their plain names
 * (no "_" before, no "@" and byte count after), as Hamlog's own DLLs export them. A caller that binds them at run
 * time must declare its function pointers with HAMLOG_CALL.
 *
 * The log
 * -------
 * A log is two files in one folder: NAME.hdb, the records, and NAME.mst, the companion master file.
 * Of the master file only its presence and readability count. It is found whatever the letter case of
 * its name and extension: any entry of the folder whose name equals NAME + ".mst" ignoring ASCII case
 * (NAME being the .hdb file name without its last extension).
 *
 * NAME.hdb is a dBase III table:
 *   bytes 0-31    header: byte 0 the version, 0x03 (0x83, with a memo file, is read the same way);
 *                 bytes 1-3 the date of the last update (year - 1900, month, day); bytes 4-7 the record
 *                 count, bytes 8-9 the header length, bytes 10-11 the record length, all little-endian;
 *                 byte 29 the code page mark (0x13 = Shift_JIS / CP932, as our writer sets it).
 *   then          one 32-byte descriptor per field: name (11 bytes, NUL-padded), type (byte 11, 'C'),
 *                 length (byte 16; for type 'C' byte 17 is the length's high byte, 0 in ordinary
 *                 dBase III tables), the rest 0. The descriptors end with the byte 0x0D.
 *   then          the records from the header length on, each the record length long: a flag byte
 *                 (' ', or '*' for a deleted record) and the fields, each padded with blanks to its
 *                 length; the file may end with the byte 0x1A.
 * Field k of the table is record field k (1 to 16); further fields are ignored, and a table with fewer
 * fields reads the missing ones as empty. A field's text is its stored bytes up to the first NUL byte, if any
 * (some tools pad with NULs), with trailing blanks removed (leading blanks stay), exactly as stored, except
 * that a CP932 lead byte left alone at its end (a value another tool cut inside a double-byte character) is
 * left out, so every text ends with a whole character. Records are numbered 1 to N in file order; a deleted
 * record keeps its number and reads as stored.
 *
 * A file whose first byte is no dBase version at all, or that is shorter than a table's fixed header, is not a
 * dBase table (HAMLOG_ERR_HDB_NOT_DBASE). A dBase table of another version than dBase III (dBase IV, FoxPro,
 * Visual FoxPro and their like) is refused as such (HAMLOG_ERR_HDB_VERSION). A dBase III table is refused as
 * damaged (HAMLOG_ERR_HDB_INVALID) when the file is shorter than the header length, the header length leaves no room
 * for a descriptor and the terminator, the descriptors are not ended by 0x0D within the header, a field has length 0,
 * or the record length is not 1 plus the field lengths. A record count larger than the file holds is not an error: N is
 * the number of records wholly present (never more than the count in the header).
 *
 * Locking
 * -------
 * Programs that change a log hold an advisory lock on NAME.hdb while they do: flock(2) with LOCK_EX on the
 * .hdb file. An append holds it while it writes the records and then the new count into the header. A run that
 * makes a new log writes the new table and master file beside their targets and holds the lock on the old
 * NAME.hdb while it renames them into place (a writer that waited for a lock on a file that has since been
 * replaced takes the lock again on the file the path now names). hamlog_tool does both; another program that
 * changes a log in place should take the same lock.
 * dbf_open and HamlogOpen hold a shared lock (LOCK_SH) on NAME.hdb while they read its header and take the
 * record count, waiting up to 10 seconds for a writer to finish; when the writer still holds the lock then, they
 * return HAMLOG_ERR_HDB_MISSING. The count taken this way never includes records half written. Reading the
 * records later needs no lock: writers only add records after the last one counted, or put a new file in place
 * of the path while the open log keeps the old one.
 * On Windows the lock is LockFileEx on the one byte at offset 0x7FFFFFFF00000000 of NAME.hdb (shared or
 * exclusive as above): Windows enforces a lock on the bytes it covers, and this byte lies beyond the end of any
 * log, so, as with flock, the lock keeps no one from reading or writing the log. Windows also replaces no file
 * that some program has open: a run that makes a new log lets go of its lock before the renames and waits a few
 * seconds for other programs to close the old NAME.hdb (a writer that took the lock meanwhile has it open, so
 * the pair stays the old one or becomes the new one); a log kept open (by a program reading it) is not replaced.
 *
 * Files that are not plain files
 * ------------------------------
 * NAME.hdb and the master file must be regular files (symbolic links to regular files are followed). A folder,
 * a named pipe, a device or a socket in their place is refused at once, never waited on: HAMLOG_ERR_HDB_MISSING
 * for the .hdb, HAMLOG_ERR_MST_MISSING for the master file.
 *
 * The calls
 * ---------
 * Counting reads only the header; reading goes straight to a record's offset through a read window of a
 * few hundred kilobytes, so reading a log from first to last record (or last to first) costs one read
 * per window. The record area must not be copied while a log is open in it: a copy shares the log's reading
 * state with the area it was copied from, so a read through one may change the texts the other gives. Memory the
 * library has freed is never read through a copy, though: once the log is closed (or another opened) through either
 * area, THW_read on the other returns -1 and ThwString gives "". Calls on different areas may run on different
 * threads; one area belongs to one thread at a time. */
#ifndef HAMLOG_HAMLOGAPI_H
#define HAMLOG_HAMLOGAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* HAMLOG_CALL: the calling convention of every call. HAMLOG_API: how the libraries export them (on Windows
 * the .def files beside the sources name the exports, so nothing more is needed while building them). */
#if defined(_WIN32)
#define HAMLOG_CALL __stdcall
#if defined(HAMLOG_BUILDING_LIBRARY)
#define HAMLOG_API
#else
#define HAMLOG_API __declspec(dllimport)
#endif
#else
#define HAMLOG_CALL
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

/* HamlogOpen and dbf_open results. */
#define HAMLOG_OK 0
#define HAMLOG_ERR_ARGUMENT 1      /* a null record area or handle area was passed */
#define HAMLOG_ERR_HDB_MISSING 2   /* the .hdb file is missing, not a regular file, locked or cannot be read */
#define HAMLOG_ERR_HDB_INVALID 3   /* the .hdb file is a dBase III table whose header is damaged */
#define HAMLOG_ERR_HDB_NOT_DBASE 4 /* the .hdb file is not a dBase table at all */
#define HAMLOG_ERR_HDB_VERSION 5   /* the .hdb file is a dBase table of another version than dBase III */
#define HAMLOG_ERR_OUT_OF_MEMORY 8 /* no memory for the reading state, or 1024 logs are open already */
#define HAMLOG_ERR_MST_MISSING 42  /* the companion .mst file is missing, not a regular file or cannot be read */

/* libHamlog50 */

/* HAMLOG_VERSION. */
HAMLOG_API int HAMLOG_CALL GetThdllVersion(void);
/* 1: calls on different record areas may run on different threads at the same time, so one log may be read through
 * two areas on two threads (an area still belongs to one thread at a time). This call is this library's own: a caller
 * that finds no such call in a library reads through one area at a time. */
HAMLOG_API int HAMLOG_CALL HamlogConcurrentAreas(void);
/* Opens a table for counting: reads and checks its header, takes its record count and closes the file
 * again, so dbf_close frees nothing. The master file plays no part. Returns HAMLOG_OK or an error code;
 * on error the handle counts as not open. */
HAMLOG_API int HAMLOG_CALL dbf_open(const char* path, void* handle);
/* The record count N taken by dbf_open, or -1 when the handle is not open (dbf_open failed or was not
 * called, or dbf_close was). */
HAMLOG_API int HAMLOG_CALL dbf_rcount(void* handle);
/* Marks the handle not open. Safe on a handle that is not open. */
HAMLOG_API void HAMLOG_CALL dbf_close(void* handle);
/* Opens a log for reading into the record area (`reserved` and `mode` are ignored; callers pass 0).
 * Checks the .hdb first, then the master file. Returns HAMLOG_OK (the empty record is loaded),
 * HAMLOG_ERR_HDB_MISSING, HAMLOG_ERR_HDB_NOT_DBASE, HAMLOG_ERR_HDB_VERSION, HAMLOG_ERR_HDB_INVALID,
 * HAMLOG_ERR_MST_MISSING or HAMLOG_ERR_OUT_OF_MEMORY.
 * An area that still holds an open log is closed first. After a failure the area is not open. */
HAMLOG_API int HAMLOG_CALL HamlogOpen(int reserved, void* record, const char* path, int mode);
/* Loads record `number` (1 to N, N as at HamlogOpen); `mode` is ignored (callers pass 2). Returns 0 when
 * the record was loaded. A number outside 1 to N, a record that can no longer be read (the file shrank),
 * or an area that is not open loads the empty record (every field "") and returns -1. */
HAMLOG_API int HAMLOG_CALL THW_read(void* record, int32_t number, int mode);
/* Closes the log and frees everything the area held. Safe after a failed open and when called twice. */
HAMLOG_API void HAMLOG_CALL HamlogClose(void* record, int reserved);

/* libThdll2Vb */

/* Copies the text of field `field` (1 to 16) of the loaded record into `text`, NUL-terminated, never
 * more than HAMLOG_TEXT_SIZE bytes including the NUL; a longer text is cut before the first CP932
 * character that does not fit whole, and a lead byte without its second byte at the end is left out. A field
 * outside 1 to 16 or beyond the table's fields, the empty
 * record, or an area that is not open gives "". */
HAMLOG_API void HAMLOG_CALL ThwString(char* text, void* record, int16_t field);

#ifdef __cplusplus
}
#endif

#endif

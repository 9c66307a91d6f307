// A stand-in record library that lacks THW_read, to check that a missing call is reported by name.
#define HAMLOG_BUILDING_LIBRARY
#include <hamlog/HamlogApi.h>

extern "C" {
HAMLOG_API int HAMLOG_CALL GetThdllVersion(void) {
    return 20480;
}
HAMLOG_API int HAMLOG_CALL dbf_open(const char*, void*) {
    return 0;
}
HAMLOG_API int HAMLOG_CALL dbf_rcount(void*) {
    return 0;
}
HAMLOG_API void HAMLOG_CALL dbf_close(void*) {}
HAMLOG_API int HAMLOG_CALL HamlogOpen(int, void*, const char*, int) {
    return 0;
}
HAMLOG_API void HAMLOG_CALL HamlogClose(void*, int) {}
}

// A stand-in record library that lacks THW_read, to check that a missing call is reported by name.
extern "C" {
__attribute__((visibility("default"))) int GetThdllVersion(void) {
    return 20480;
}
__attribute__((visibility("default"))) int dbf_open(const char*, void*) {
    return 0;
}
__attribute__((visibility("default"))) int dbf_rcount(void*) {
    return 0;
}
__attribute__((visibility("default"))) void dbf_close(void*) {}
__attribute__((visibility("default"))) int HamlogOpen(int, void*, const char*, int) {
    return 0;
}
__attribute__((visibility("default"))) void HamlogClose(void*, int) {}
}

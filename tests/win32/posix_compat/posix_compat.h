#pragma once
// Windows stand-ins for the few POSIX calls that the tests and the fuzz seed runners use. Built
// into the Windows test programs only, and included ahead of every source there.
#if defined(_WIN32)
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*sighandler_t)(int);

// Replaces the trailing XXXXXX of pattern and creates that directory; pattern, or null.
char* mkdtemp(char* pattern);
// Windows has no FIFOs in its file system: always -1 with ENOSYS.
int mkfifo(const char* path, int mode);
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);

#ifdef __cplusplus
}
#endif
#endif

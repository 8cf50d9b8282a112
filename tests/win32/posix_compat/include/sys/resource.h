#pragma once
// The file-size limit of the tests on Windows. Windows has no such limit of its own, so a limit
// set here is enforced on the program's own WriteFile calls: a write that would pass the limit
// writes up to it and then fails, as a write past a POSIX file-size limit does.
#include <signal.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned long long rlim_t;
struct rlimit {
    rlim_t rlim_cur;
    rlim_t rlim_max;
};

#define RLIMIT_FSIZE 1
#define RLIM_INFINITY (~0ull)
// No signal reports the limit here; ignoring this one changes nothing the tests see.
#define SIGXFSZ SIGBREAK

int getrlimit(int resource, struct rlimit* limit);
int setrlimit(int resource, const struct rlimit* limit);

#ifdef __cplusplus
}
#endif

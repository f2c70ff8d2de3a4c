// Linux, checked on kernel 6.18 (the EEVDF scheduler) with Qt 6.4.2: while automatic scanning
// runs, the thread that moves the highlight (Qt's GUI thread) takes a higher priority (nice -10)
// where the user may raise it (CAP_SYS_NICE, or a nice limit granted in limits.conf); otherwise
// it stays as it was. Beside CPU-bound programs of the same session the thread otherwise waits,
// after its timer, for them to leave the CPU: often a scheduler tick (4 ms), now and then far
// longer, and the pupil sees the step that much late. A short time slice, which any user may ask
// on kernels from 6.12, was tried and made the steps later, not sooner: the thread ran out of it
// in the middle of a step and waited behind the others. Nothing is asked while the scan is off.
#include "app/Platform.h"
#include <QtGlobal>
#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace Platform {

void scanPriority(bool on)
{
#ifdef Q_OS_LINUX
    static int before = 0;
    static bool raised = false;
    const auto tid = id_t(syscall(SYS_gettid)); // a priority is each thread's own on Linux
    if (on && !raised) {
        errno = 0;
        before = getpriority(PRIO_PROCESS, tid);
        raised = errno == 0 && before > -10 && setpriority(PRIO_PROCESS, tid, -10) == 0;
    } else if (!on && raised) {
        raised = setpriority(PRIO_PROCESS, tid, before) != 0;
    }
#else
    Q_UNUSED(on);
#endif
}
}

// Linux, checked on kernel 6.18 (the EEVDF scheduler) with Qt 6.4.2: while automatic scanning
// runs, the thread that moves the highlight (Qt's GUI thread) asks to run as soon as its timer
// expires. Beside CPU-bound programs it otherwise waits, after the timer, for the running program
// to be taken off the CPU: often until the scheduler's next tick (4 ms), now and then far longer,
// and the pupil sees the step that much late. Two requests, each kept only where it is allowed:
// - a short time slice (kernels from 6.12; older ones take no notice), which any user may ask: a
//   thread that wakes with a shorter slice than the running one's goes on the CPU first;
// - a higher priority (nice -10), only where the user may raise it (CAP_SYS_NICE, or a nice
//   limit granted in /etc/security/limits.conf); otherwise the priority stays as it was.
// Both are given back when the scan stops. Nothing is asked while the scan is off.
#include "app/Platform.h"
#include <QtGlobal>
#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdint>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace Platform {

void scanPriority(bool on)
{
#ifdef Q_OS_LINUX
    struct Attr { // the kernel's struct sched_attr, which the C library does not declare
        uint32_t size, policy;
        uint64_t flags;
        int32_t nice;
        uint32_t priority;
        uint64_t runtime, deadline, period;
        uint32_t utilMin, utilMax;
    };
    static Attr before{};
    static bool raised = false;
    if (on == raised)
        return;
    const long tid = syscall(SYS_gettid);
    auto set = [tid](Attr a) { return syscall(SYS_sched_setattr, tid, &a, 0) == 0; };
    if (!on) {
        raised = !set(before);
        return;
    }
    before = Attr{};
    before.size = sizeof before;
    if (syscall(SYS_sched_getattr, tid, &before, sizeof before, 0) != 0 || before.policy != 0) // SCHED_OTHER only
        return;
    Attr a = before;
    a.runtime = 100000; // ns: the shortest slice the kernel takes
    a.nice = qMin(before.nice, -10);
    raised = set(a) || (a.nice = before.nice, set(a));
#else
    Q_UNUSED(on);
#endif
}
}

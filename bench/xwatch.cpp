// Watches a program from outside, as an X client: starts it, sees its top-level windows being
// created, mapped and drawn (DAMAGE extension), presses keys through XTest, and reads its
// memory from /proc. Runs the program and the bare baseline in turn and prints the figures as
// key=value lines for bench/run.
//
//   bench_xwatch --wait-wm
//   bench_xwatch --page-cost      first touch of a new 8 MB shared buffer (a maximized window's
//                                 backing store) against touching it again, in ms of CPU
//   bench_xwatch --runs N --program PATH --baseline PATH --log DIR
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

double now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "bench_xwatch: %s\n", what.c_str());
    std::exit(2);
}

// Windows go away under our feet (the program ends, the window manager's frames): their
// errors are expected and harmless.
int ignoreErrors(Display *, XErrorEvent *) { return 0; }

struct Win {
    Damage damage = 0;
    std::string name;
    bool mapped = false;
    bool painted = false;   // first damage after the map seen
    double createTime = 0, mapTime = 0, paintTime = 0;
    int paintWidth = 0, paintHeight = 0;
    double lastDamage = 0;  // time of the latest damage, for "quiet" waits
    int damages = 0;
};

class Watcher {
public:
    Watcher()
    {
        for (int i = 0; i < 200 && !(m_dpy = XOpenDisplay(nullptr)); ++i)
            usleep(50000);
        if (!m_dpy)
            fail("cannot open the display");
        XSetErrorHandler(ignoreErrors);
        m_root = DefaultRootWindow(m_dpy);
        int err, major, minor;
        if (!XDamageQueryExtension(m_dpy, &m_damageEvent, &err))
            fail("the X server has no DAMAGE extension");
        if (!XTestQueryExtension(m_dpy, &err, &err, &major, &minor))
            fail("the X server has no XTEST extension");
        m_wmName = XInternAtom(m_dpy, "WM_NAME", False);
        m_netWmName = XInternAtom(m_dpy, "_NET_WM_NAME", False);
        XSelectInput(m_dpy, m_root, SubstructureNotifyMask);
        XSync(m_dpy, False);
    }
    ~Watcher() { XCloseDisplay(m_dpy); }

    Display *display() const { return m_dpy; }
    int screenWidth() const { return DisplayWidth(m_dpy, DefaultScreen(m_dpy)); }
    int screenHeight() const { return DisplayHeight(m_dpy, DefaultScreen(m_dpy)); }

    bool waitWindowManager(double timeoutMs)
    {
        const Atom check = XInternAtom(m_dpy, "_NET_SUPPORTING_WM_CHECK", False);
        const double end = now() + timeoutMs;
        while (now() < end) {
            Atom type;
            int format;
            unsigned long n, after;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(m_dpy, m_root, check, 0, 1, False, XA_WINDOW, &type, &format, &n, &after, &data) == Success
                && data) {
                XFree(data);
                if (n == 1)
                    return true;
            }
            usleep(20000);
        }
        return false;
    }

    // Handles the X events that arrive until the deadline or until done() holds.
    template <class Done> bool pump(double deadline, Done done)
    {
        for (;;) {
            while (XPending(m_dpy)) {
                XEvent ev;
                XNextEvent(m_dpy, &ev);
                handle(ev);
            }
            if (done())
                return true;
            const double left = deadline - now();
            if (left <= 0)
                return false;
            pollfd p{ConnectionNumber(m_dpy), POLLIN, 0};
            poll(&p, 1, int(std::min(left, 5.0)) + 1);
        }
    }

    // The window with this title that has been mapped and drawn, if any.
    Win *painted(const std::string &title, Window *which = nullptr)
    {
        for (auto &[w, win] : m_wins)
            if (win.painted && win.name == title) {
                if (which)
                    *which = w;
                return &win;
            }
        return nullptr;
    }
    Win *find(Window w)
    {
        auto it = m_wins.find(w);
        return it == m_wins.end() ? nullptr : &it->second;
    }

    Window focus()
    {
        Window w;
        int revert;
        XGetInputFocus(m_dpy, &w, &revert);
        return w;
    }

    void key(KeySym sym, bool press)
    {
        XTestFakeKeyEvent(m_dpy, XKeysymToKeycode(m_dpy, sym), press, CurrentTime);
        XFlush(m_dpy);
    }

    void forgetAll()
    {
        for (auto &[w, win] : m_wins)
            if (win.damage)
                XDamageDestroy(m_dpy, win.damage);
        m_wins.clear();
        XSync(m_dpy, False);
    }

private:
    void readName(Window w, Win &win)
    {
        for (Atom a : {m_netWmName, m_wmName}) {
            Atom type;
            int format;
            unsigned long n, after;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(m_dpy, w, a, 0, 256, False, AnyPropertyType, &type, &format, &n, &after, &data) == Success
                && data) {
                if (format == 8 && n > 0)
                    win.name.assign(reinterpret_cast<char *>(data), n);
                XFree(data);
                if (!win.name.empty())
                    return;
            }
        }
    }

    void handle(XEvent &ev)
    {
        const double t = now();
        if (ev.type == m_damageEvent + XDamageNotify) {
            auto *de = reinterpret_cast<XDamageNotifyEvent *>(&ev);
            XDamageSubtract(m_dpy, de->damage, None, None); // so that the next drawing is reported too
            Win *win = find(de->drawable);
            if (!win)
                return;
            win->lastDamage = t;
            ++win->damages;
            if (win->mapped && !win->painted) {
                win->painted = true;
                win->paintTime = t;
                XWindowAttributes a;
                if (XGetWindowAttributes(m_dpy, de->drawable, &a)) {
                    win->paintWidth = a.width;
                    win->paintHeight = a.height;
                }
            }
            return;
        }
        switch (ev.type) {
        case CreateNotify: {
            const XCreateWindowEvent &c = ev.xcreatewindow;
            if (c.parent != m_root || c.override_redirect)
                return;
            Win &win = m_wins[c.window];
            win.createTime = t;
            XSelectInput(m_dpy, c.window, StructureNotifyMask | PropertyChangeMask);
            win.damage = XDamageCreate(m_dpy, c.window, XDamageReportNonEmpty);
            // What happened before we listened: the title, a map.
            readName(c.window, win);
            XWindowAttributes a;
            if (XGetWindowAttributes(m_dpy, c.window, &a) && a.map_state == IsViewable) {
                win.mapped = true;
                win.mapTime = t;
            }
            break;
        }
        case MapNotify:
            if (ev.xmap.event == ev.xmap.window)
                if (Win *win = find(ev.xmap.window)) {
                    win->mapped = true;
                    win->mapTime = t;
                }
            break;
        case UnmapNotify:
            if (ev.xunmap.event == ev.xunmap.window)
                if (Win *win = find(ev.xunmap.window))
                    win->mapped = false;
            break;
        case PropertyNotify:
            if (ev.xproperty.atom == m_wmName || ev.xproperty.atom == m_netWmName)
                if (Win *win = find(ev.xproperty.window)) {
                    win->name.clear();
                    readName(ev.xproperty.window, *win);
                }
            break;
        case DestroyNotify:
            if (ev.xdestroywindow.event == ev.xdestroywindow.window || ev.xdestroywindow.event == m_root)
                m_wins.erase(ev.xdestroywindow.window);
            break;
        default: break;
        }
    }

    Display *m_dpy = nullptr;
    Window m_root = 0;
    int m_damageEvent = 0;
    Atom m_wmName = 0, m_netWmName = 0;
    std::map<Window, Win> m_wins;
};

struct Memory { long rssKib = -1, pssKib = -1; };

// CPU time the process has had so far, all its threads, in ms (from the scheduler's own
// accounting: a figure that a busy machine does not inflate as it does wall-clock times).
double cpuMs(pid_t pid)
{
    double ns = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task/";
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            std::ifstream f(dir + e->d_name + "/schedstat");
            double run = 0;
            if (f >> run)
                ns += run;
        }
        closedir(d);
    }
    return ns / 1e6;
}

Memory readMemory(pid_t pid)
{
    Memory m;
    std::ifstream f("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    long value;
    std::string unit;
    while (f >> key) {
        if (key == "Rss:" && f >> value >> unit)
            m.rssKib = value;
        else if (key == "Pss:" && f >> value >> unit)
            m.pssKib = value;
        else
            f.ignore(1 << 20, '\n');
    }
    return m;
}

struct Run {
    double startupMs = -1, vaiMs = -1;
    double startupCpuMs = -1, vaiCpuMs = -1;
    double startupCreateMs = -1, startupMapMs = -1, vaiCreateMs = -1, vaiMapMs = -1;
    Memory mem;
    bool maximized = false, vaiMaximized = false;
    long logBytes = 0;
};

// The program we started, ended by its own id and reaped exactly once.
struct Child {
    pid_t pid = -1;
    bool reaped = false;
    bool alive()
    {
        int status;
        if (!reaped && waitpid(pid, &status, WNOHANG) == pid)
            reaped = true;
        return !reaped;
    }
    void stop()
    {
        if (!alive())
            return;
        kill(pid, SIGTERM);
        for (int i = 0; i < 300; ++i) {
            if (!alive())
                return;
            usleep(10000);
        }
        kill(pid, SIGKILL);
        int status;
        waitpid(pid, &status, 0);
        reaped = true;
    }
};

// Waits until no drawing has reached the window for quietMs.
void settle(Watcher &x, Window w, double quietMs, double timeoutMs)
{
    const double end = now() + timeoutMs;
    x.pump(end, [&] {
        Win *win = x.find(w);
        return !win || now() - std::max(win->lastDamage, win->paintTime) >= quietMs;
    });
}

Run runOnce(Watcher &x, const std::string &path, const std::string &title, bool vai, const std::string &log)
{
    Run r;
    const double t0 = now();
    Child child;
    const pid_t pid = child.pid = fork();
    if (pid < 0)
        fail("fork");
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        execl(path.c_str(), path.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    auto giveUp = [&](const std::string &why) {
        child.stop();
        fail(why);
    };
    Window w = 0;
    if (!x.pump(t0 + 15000, [&] { return x.painted(title, &w) != nullptr || !child.alive(); }) || !x.painted(title)) {
        giveUp("no first paint of \"" + title + "\" from " + path + " (see " + log + ")");
    }
    Win *win = x.painted(title);
    r.startupMs = win->paintTime - t0;
    r.startupCpuMs = cpuMs(pid);
    r.startupCreateMs = win->createTime - t0;
    r.startupMapMs = win->mapTime - t0;
    r.maximized = win->paintWidth == x.screenWidth();
    const double paintTime = win->paintTime;

    // Memory two seconds after the first paint.
    x.pump(paintTime + 2000, [] { return false; });
    r.mem = readMemory(pid);

    if (vai) {
        // The start screen must have the keyboard and be done drawing.
        x.pump(now() + 5000, [&] { return x.focus() == w; });
        if (x.focus() != w)
            giveUp("the start screen never got the keyboard focus");
        settle(x, w, 200, 3000);
        // Return on the highlighted "0": table 0 chosen, the highlight moves to "Vai".
        const int before = x.find(w)->damages;
        x.key(XK_Return, true);
        x.key(XK_Return, false);
        if (!x.pump(now() + 3000, [&] { Win *s = x.find(w); return s && s->damages > before; }))
            giveUp("Return on the start screen changed nothing on it");
        settle(x, w, 200, 3000);
        // Return on "Vai": time to the first drawing of the exercise screen.
        const double cpu1 = cpuMs(pid);
        const double t1 = now();
        x.key(XK_Return, true);
        x.key(XK_Return, false);
        if (!x.pump(t1 + 10000, [&] { return x.painted("TABELLA") != nullptr; }))
            giveUp("\"Vai\" did not bring the exercise screen");
        Win *op = x.painted("TABELLA");
        r.vaiMs = op->paintTime - t1;
        r.vaiCpuMs = cpuMs(pid) - cpu1;
        r.vaiCreateMs = op->createTime - t1;
        r.vaiMapMs = op->mapTime - t1;
        r.vaiMaximized = op->paintWidth == x.screenWidth();
    }
    child.stop();
    x.forgetAll();
    struct stat st;
    if (stat(log.c_str(), &st) == 0)
        r.logBytes = st.st_size;
    return r;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string list(const std::vector<double> &v)
{
    std::ostringstream s;
    for (size_t i = 0; i < v.size(); ++i)
        s << (i ? "," : "") << v[i];
    return s.str();
}

// What a new maximized window costs the machine before anything is drawn: its 1920x1080x4
// backing store is fresh shared memory, and the first touch of every page is a fault. On
// some virtual machines this dominates the first paint of a new window.
void pageCost()
{
    auto cpu = [] {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    };
    const size_t n = 1920 * 1080 * 4;
    std::vector<double> fresh, warm;
    for (int i = 0; i < 5; ++i) {
        const int fd = memfd_create("bench", 0);
        if (fd < 0 || ftruncate(fd, off_t(n)) != 0)
            fail("memfd");
        void *p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p == MAP_FAILED)
            fail("mmap");
        double t0 = cpu();
        std::memset(p, 1, n);
        double t1 = cpu();
        std::memset(p, 2, n);
        double t2 = cpu();
        fresh.push_back(t1 - t0);
        warm.push_back(t2 - t1);
        munmap(p, n);
        close(fd);
    }
    std::printf("page_cost_fresh_ms=%.1f\npage_cost_warm_ms=%.2f\n", median(fresh), median(warm));
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 15;
    std::string program, baseline, logDir = "/tmp";
    bool waitWm = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc)
                fail("missing value after " + a);
            return argv[++i];
        };
        if (a == "--wait-wm")
            waitWm = true;
        else if (a == "--page-cost") {
            pageCost();
            return 0;
        }
        else if (a == "--runs")
            runs = std::atoi(next().c_str());
        else if (a == "--program")
            program = next();
        else if (a == "--baseline")
            baseline = next();
        else if (a == "--log")
            logDir = next();
        else
            fail("unknown argument " + a);
    }
    Watcher x;
    if (waitWm)
        return x.waitWindowManager(20000) ? 0 : 1;
    if (program.empty() || baseline.empty())
        fail("--program and --baseline are needed");

    std::vector<double> startP, startB, vai, rssP, pssP, rssB, pssB;
    // Where the time goes: window created, window mapped (both from the same origin).
    std::vector<double> createP, mapP, createB, mapB, vaiCreate, vaiMap;
    std::vector<double> cpuP, cpuB, cpuVai;
    long logBytes = 0;
    bool maximized = true;
    // One discarded round warms the caches (fonts, libraries) for both.
    runOnce(x, baseline, "bare", false, logDir + "/bare-warm.log");
    runOnce(x, program, "Calcolino", true, logDir + "/program-warm.log");
    for (int i = 0; i < runs; ++i) {
        // Alternating which goes first, so that neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool prog = (k == 0) == (i % 2 == 1);
            if (prog) {
                const Run r = runOnce(x, program, "Calcolino", true, logDir + "/program.log");
                startP.push_back(r.startupMs);
                vai.push_back(r.vaiMs);
                createP.push_back(r.startupCreateMs);
                mapP.push_back(r.startupMapMs);
                vaiCreate.push_back(r.vaiCreateMs);
                vaiMap.push_back(r.vaiMapMs);
                cpuP.push_back(r.startupCpuMs);
                cpuVai.push_back(r.vaiCpuMs);
                rssP.push_back(r.mem.rssKib / 1024.0);
                pssP.push_back(r.mem.pssKib / 1024.0);
                maximized = maximized && r.maximized && r.vaiMaximized;
                logBytes += r.logBytes;
            } else {
                const Run r = runOnce(x, baseline, "bare", false, logDir + "/bare.log");
                startB.push_back(r.startupMs);
                createB.push_back(r.startupCreateMs);
                mapB.push_back(r.startupMapMs);
                cpuB.push_back(r.startupCpuMs);
                rssB.push_back(r.mem.rssKib / 1024.0);
                pssB.push_back(r.mem.pssKib / 1024.0);
                maximized = maximized && r.maximized;
            }
        }
        std::fprintf(stderr,
                     "  run %d/%d: start-up %.1f ms (window created %.1f, mapped %.1f), bare %.1f ms (%.1f, %.1f); "
                     "Vai %.1f ms (%.1f, %.1f); CPU %.1f / %.1f / %.1f ms\n",
                     i + 1, runs, startP.back(), createP.back(), mapP.back(), startB.back(), createB.back(), mapB.back(),
                     vai.back(), vaiCreate.back(), vaiMap.back(), cpuP.back(), cpuB.back(), cpuVai.back());
    }
    std::printf("runs=%d\n", runs);
    std::printf("startup_program_ms=%.1f\nstartup_baseline_ms=%.1f\n", median(startP), median(startB));
    std::printf("vai_ms=%.1f\n", median(vai));
    std::printf("startup_program_created_ms=%.1f\nstartup_program_mapped_ms=%.1f\n", median(createP), median(mapP));
    std::printf("startup_baseline_created_ms=%.1f\nstartup_baseline_mapped_ms=%.1f\n", median(createB), median(mapB));
    std::printf("startup_program_cpu_ms=%.1f\nstartup_baseline_cpu_ms=%.1f\nvai_cpu_ms=%.1f\n", median(cpuP),
                median(cpuB), median(cpuVai));
    std::printf("vai_created_ms=%.1f\nvai_mapped_ms=%.1f\n", median(vaiCreate), median(vaiMap));
    std::printf("rss_program_mib=%.1f\nrss_baseline_mib=%.1f\n", median(rssP), median(rssB));
    std::printf("pss_program_mib=%.1f\npss_baseline_mib=%.1f\n", median(pssP), median(pssB));
    std::printf("maximized=%d\nprogram_output_bytes=%ld\n", maximized ? 1 : 0, logBytes);
    std::printf("all_startup_program_ms=%s\nall_startup_baseline_ms=%s\nall_vai_ms=%s\n", list(startP).c_str(),
                list(startB).c_str(), list(vai).c_str());
    return 0;
}

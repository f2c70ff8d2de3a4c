// Watches programs from outside, as an X client: starts them, sees their top-level windows
// being created, mapped and drawn (DAMAGE extension), presses keys and closes windows as a user
// would, and reads their memory from /proc. Runs Calcolino, the bare window and the floor in
// turn and prints the figures as key=value lines for bench/run.
//
//   bench_xwatch --wait-wm
//   bench_xwatch --page-cost      first touch of a new 8 MB shared buffer (a maximized window's
//                                 backing store), with and without its pages asked for in one
//                                 go first, against touching it again, in ms of CPU
//   bench_xwatch --runs N --program PATH --baseline PATH --floor PATH --paint-log LIB --log DIR
//                [--ours PID,PID...]
//   bench_xwatch --feel --program PATH --floor PATH --paint-log LIB --presses N --steps N --log DIR
//                                 what the pupil feels, idle and beside two CPU-bound processes:
//                                 N presses of each kind, key or button to the pixels, on
//                                 Calcolino and on the floor; automatic scanning at 0.5 s and
//                                 1.5 s, how far each step is from its period
//                [--speech N]     and with the voice on: N highlight moves to the first sound of the
//                                 name, each said whole, and N/4 rounds of SPACE every 150 ms
//
// Every program runs as a school PC's user runs it, without the right to raise its priority.
//
// The CPU times are read inside each program by the preloaded paint log (bench/paintlog.cpp):
// at the moment its first image goes to the window, and at the moment a key press reaches it.
// The observer knows the answers the way the pupil does, from the program's own rules.
#include "exercise/Esercizio.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <random>
#include <signal.h>
#include <sstream>
#include <string>
#include <thread>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
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
    std::vector<Time> damageTimes; // the X server's time (ms) of every damage, for the scan's steps
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
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        m_markWindow = XCreateWindow(m_dpy, m_root, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask,
                                     &attributes);
        m_markAtom = XInternAtom(m_dpy, "BENCH_MARK", False);
        XSync(m_dpy, False);
    }
    ~Watcher() { XCloseDisplay(m_dpy); }

    Display *display() const { return m_dpy; }
    int screenWidth() const { return DisplayWidth(m_dpy, DefaultScreen(m_dpy)); }
    int screenHeight() const { return DisplayHeight(m_dpy, DefaultScreen(m_dpy)); }

    // The window manager is up once it has taken a new window into its frame.
    bool waitWindowManager(double timeoutMs)
    {
        const Atom check = XInternAtom(m_dpy, "_NET_SUPPORTING_WM_CHECK", False);
        const double end = now() + timeoutMs;
        bool announced = false;
        while (!announced && now() < end) {
            Atom type;
            int format;
            unsigned long n, after;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(m_dpy, m_root, check, 0, 1, False, XA_WINDOW, &type, &format, &n, &after, &data) == Success
                && data) {
                XFree(data);
                announced = n == 1;
            }
            if (!announced)
                usleep(20000);
        }
        if (!announced)
            return false;
        // It announces itself a moment before it takes the windows being mapped: a probe mapped
        // meanwhile stays without a frame, and another one is tried.
        bool framed = false;
        while (!framed && now() < end) {
            const Window probe = XCreateSimpleWindow(m_dpy, m_root, 0, 0, 10, 10, 0, 0, 0);
            XSelectInput(m_dpy, probe, StructureNotifyMask);
            XMapWindow(m_dpy, probe);
            XFlush(m_dpy);
            const double giveUp = std::min(end, now() + 500);
            while (!framed && now() < giveUp) {
                while (XPending(m_dpy)) {
                    XEvent ev;
                    XNextEvent(m_dpy, &ev);
                    framed = framed || (ev.type == ReparentNotify && ev.xreparent.window == probe);
                }
                if (!framed) {
                    pollfd p{ConnectionNumber(m_dpy), POLLIN, 0};
                    poll(&p, 1, 20);
                }
            }
            XDestroyWindow(m_dpy, probe);
            XSync(m_dpy, False);
        }
        return framed;
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
    std::vector<Win *> titled(const std::string &title)
    {
        std::vector<Win *> all;
        for (auto &[w, win] : m_wins)
            if (win.name == title)
                all.push_back(&win);
        return all;
    }
    Window idOf(const Win *win) const
    {
        for (const auto &[w, v] : m_wins)
            if (&v == win)
                return w;
        return 0;
    }
    Win *find(Window w)
    {
        auto it = m_wins.find(w);
        return it == m_wins.end() ? nullptr : &it->second;
    }

    // As the window manager's close button does.
    void close(Window w)
    {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = XInternAtom(m_dpy, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = long(XInternAtom(m_dpy, "WM_DELETE_WINDOW", False));
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_dpy, w, False, NoEventMask, &ev);
        XFlush(m_dpy);
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
    void button(bool press)
    {
        XTestFakeButtonEvent(m_dpy, 1, press, CurrentTime);
        XFlush(m_dpy);
    }
    void pointer(int x, int y)
    {
        XTestFakeMotionEvent(m_dpy, -1, x, y, CurrentTime);
        XFlush(m_dpy);
    }

    // The X server's time when it takes this request, which comes right after the input sent
    // before it: a property of a window of ours is touched, and the server stamps its notice.
    void mark()
    {
        const long n = long(m_marks.size());
        m_markSent.push_back(now());
        XChangeProperty(m_dpy, m_markWindow, m_markAtom, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&n), 1);
        XFlush(m_dpy);
    }
    const std::vector<Time> &marks() const { return m_marks; }

    // The X server's clock against ours (CLOCK_MONOTONIC), from the marks since `first`. The
    // server stamped each mark, in whole milliseconds, after we sent it and before we read its
    // notice: so the moment of our clock at which the server's turned to marks()[first] lies, for
    // every mark, between those two moments moved back by the mark's distance from the first one.
    // Intersected over all the marks, the bounds are as tight as the quickest round trip. Both
    // clocks are taken to run at the same rate, which holds for the minutes of a run.
    struct Clock {
        Time origin = 0;
        double at = 0, error = 0; // our time of `origin`, and how far off it may be (ms)
        // Our time of an event the server stamped `t`: the middle of that millisecond.
        double observer(Time t) const { return at + double(int32_t(uint32_t(t - origin))) + 0.5; }
    };
    Clock clock(size_t first) const
    {
        if (first >= m_marks.size())
            fail("no mark to set the clocks by");
        double lo = -1e300, hi = 1e300;
        for (size_t i = first; i < m_marks.size(); ++i) {
            const double d = double(int32_t(uint32_t(m_marks[i] - m_marks[first])));
            lo = std::max(lo, m_markSent[i] - 1 - d);
            hi = std::min(hi, m_markSeen[i] - d);
        }
        if (lo > hi)
            fail("the X server's clock does not keep pace with ours");
        // Half the bounds' width, and half a millisecond for the whole milliseconds of the event timed.
        return {m_marks[first], (lo + hi) / 2, (hi - lo) / 2 + 0.5};
    }

    // What the window shows, to compare one moment with another.
    std::string image(Window w)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(m_dpy, w, &a))
            return {};
        XImage *i = XGetImage(m_dpy, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
        if (!i)
            return {};
        std::string pixels(i->data, size_t(i->bytes_per_line) * size_t(i->height));
        XDestroyImage(i);
        return pixels;
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
            win->damageTimes.push_back(de->timestamp);
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
        if (ev.type == PropertyNotify && ev.xproperty.window == m_markWindow) {
            m_marks.push_back(ev.xproperty.time);
            m_markSeen.push_back(t);
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
            // Shown again later, the window's next first drawing is timed afresh.
            if (ev.xunmap.event == ev.xunmap.window)
                if (Win *win = find(ev.xunmap.window))
                    win->mapped = win->painted = false;
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
    Window m_markWindow = 0;
    Atom m_markAtom = 0;
    std::vector<Time> m_marks;
    std::vector<double> m_markSent, m_markSeen; // our time before sending each mark, and on reading its notice
};

struct Memory { long rssKib = -1, pssKib = -1; };

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

// What the preloaded paint log noted in one run: images put to windows, key presses arrived.
struct PaintLog {
    struct Entry { std::string kind; unsigned long id; double cpuMs, wallMs; long faults; };
    std::vector<Entry> entries;

    void read(const std::string &path)
    {
        entries.clear();
        std::ifstream f(path);
        Entry e;
        while (f >> e.kind >> e.id >> e.cpuMs >> e.wallMs >> e.faults)
            entries.push_back(e);
    }
    // The first image put to the window at or after a moment.
    const Entry *firstPut(Window w, double fromWallMs) const
    {
        for (const Entry &e : entries)
            if (e.kind == "put" && e.id == w && e.wallMs >= fromWallMs)
                return &e;
        return nullptr;
    }
    // The first key press that reached the program at or after a moment.
    const Entry *firstKey(double fromWallMs) const
    {
        for (const Entry &e : entries)
            if (e.kind == "key" && e.wallMs >= fromWallMs)
                return &e;
        return nullptr;
    }
};

// One opening of the exercise screen by "Vai": from the key press to the first drawing.
struct Vai {
    double ms = -1;         // seen from outside: key sent -> first damage of the new window
    double cpuMs = -1;      // in the process: key press arrived -> first image put to the window
    double createMs = -1, mapMs = -1;
    bool maximized = false;
    Window window = 0;
    double keyWall = 0;
};

struct Run {
    double startupMs = -1, startupCpuMs = -1, startupCreateMs = -1, startupMapMs = -1, startupFaults = -1;
    Memory mem, memExercise;
    Vai vai1, vai2;
    bool maximized = false;
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

// Starts a program with its output to `log` (with `out`, its standard output to that descriptor
// instead) and these variables set, the arguments after its path.
void launch(Child &child, const std::string &path, const std::vector<std::string> &args,
            const std::vector<std::pair<std::string, std::string>> &env, const std::string &log, int out = -1)
{
    child.reaped = false;
    child.pid = fork();
    if (child.pid < 0)
        fail("fork");
    if (child.pid > 0)
        return;
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
    }
    if (out >= 0)
        dup2(out, 1);
    for (const auto &[name, value] : env)
        setenv(name.c_str(), value.c_str(), 1);
    // As a school PC's user runs it: without the right to raise a priority, which root has here
    // (the capability, and the limits that would grant it without one). No rtkit is asked either.
    prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
    const rlimit none{0, 0};
    setrlimit(RLIMIT_NICE, &none);
    setrlimit(RLIMIT_RTPRIO, &none);
    std::vector<char *> argv{const_cast<char *>(path.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

// Waits until no drawing has reached the window for quietMs.
void settle(Watcher &x, Window w, double quietMs, double timeoutMs)
{
    const double end = now() + timeoutMs;
    x.pump(end, [&] {
        Win *win = x.find(w);
        return !win || now() - std::max(win->lastDamage, win->paintTime) >= quietMs;
    });
}

struct Program {
    std::string path, title;
    bool exercise; // Calcolino: "Vai", twice
};

class Bench {
public:
    Bench(Watcher &x, std::string paintLib, std::string logDir)
        : x(x), m_paintLib(std::move(paintLib)), m_logDir(std::move(logDir))
    {
    }

    Run run(const Program &p)
    {
        Run r;
        const std::string log = m_logDir + "/" + p.title + ".log";
        const std::string paints = m_logDir + "/" + p.title + ".paints";
        unlink(paints.c_str());
        const double t0 = now();
        launch(m_child, p.path, {}, {{"LD_PRELOAD", m_paintLib}, {"BENCH_PAINT_LOG", paints}}, log);
        const pid_t pid = m_child.pid;
        Window w = 0;
        if (!x.pump(t0 + 15000, [&] { return x.painted(p.title, &w) != nullptr || !m_child.alive(); })
            || !x.painted(p.title))
            giveUp("no first paint of \"" + p.title + "\" from " + p.path + " (see " + log + ")");
        Win *win = x.painted(p.title);
        r.startupMs = win->paintTime - t0;
        r.startupCreateMs = win->createTime - t0;
        r.startupMapMs = win->mapTime - t0;
        r.maximized = win->paintWidth == x.screenWidth();
        const double paintTime = win->paintTime;

        // Memory two seconds after the first paint.
        x.pump(paintTime + 2000, [] { return false; });
        r.mem = readMemory(pid);

        if (p.exercise) {
            r.vai1 = vai(w);
            // Memory two seconds after the exercise screen's first paint, the screen open.
            x.pump(now() + 2000, [] { return false; });
            r.memExercise = readMemory(pid);
            // Closed with the window manager's button; the start screen has the keyboard again.
            x.close(r.vai1.window);
            x.pump(now() + 5000, [&] { Win *op = x.find(r.vai1.window); return op && !op->mapped && x.focus() == w; });
            if (x.focus() != w)
                giveUp("the start screen did not get the keyboard back when the exercise screen closed");
            r.vai2 = vai(w);
        }
        m_child.stop();
        x.forgetAll();
        struct stat st;
        if (stat(log.c_str(), &st) == 0)
            r.logBytes = st.st_size;

        // The CPU times, as the program itself read them.
        PaintLog pl;
        pl.read(paints);
        const PaintLog::Entry *first = pl.firstPut(w, 0);
        if (!first)
            fail("the paint log of \"" + p.title + "\" has no image put to its window (" + paints + ")");
        r.startupCpuMs = first->cpuMs;
        r.startupFaults = double(first->faults);
        for (Vai *v : {&r.vai1, &r.vai2}) {
            if (!p.exercise)
                break;
            const PaintLog::Entry *key = pl.firstKey(v->keyWall);
            const PaintLog::Entry *put = key ? pl.firstPut(v->window, key->wallMs) : nullptr;
            if (!put)
                fail("the paint log has no key press followed by a drawing of the exercise screen (" + paints + ")");
            v->cpuMs = put->cpuMs - key->cpuMs;
        }
        return r;
    }

private:
    [[noreturn]] void giveUp(const std::string &why)
    {
        m_child.stop();
        fail(why);
    }

    // On the painted start screen: Return on the highlighted "0" (table 0 chosen, the highlight
    // moves to "Vai"), then Return on "Vai", timed to the first drawing of the exercise screen.
    Vai vai(Window start)
    {
        Vai v;
        ++m_vais;
        x.pump(now() + 5000, [&] { return x.focus() == start; });
        if (x.focus() != start)
            giveUp("the start screen never got the keyboard focus");
        settle(x, start, 200, 3000);
        // A table button acts on a key only once the previous key on the table buttons has been let
        // go, and the Return that chose a table before was let go on "Vai": "0" (which names the
        // table already highlighted) lets go, whatever came before.
        x.key(XK_0, true);
        x.key(XK_0, false);
        settle(x, start, 200, 3000);
        // Return on the highlighted "0": table 0 chosen, the highlight moves to "Vai".
        const int before = x.find(start)->damages;
        x.key(XK_Return, true);
        x.key(XK_Return, false);
        if (!x.pump(now() + 3000, [&] { Win *s = x.find(start); return s && s->damages > before; }))
            giveUp("Return on the start screen changed nothing on it (\"Vai\" number " + std::to_string(m_vais) + ")");
        settle(x, start, 200, 3000);
        const double t1 = v.keyWall = now();
        x.key(XK_Return, true);
        x.key(XK_Return, false);
        Win *op = nullptr;
        auto shown = [&] {
            for (Win *w : x.titled("TABELLA"))
                if (w->painted && w->paintTime >= t1) {
                    op = w;
                    return true;
                }
            return false;
        };
        if (!x.pump(t1 + 10000, shown))
            giveUp("\"Vai\" number " + std::to_string(m_vais) + " did not bring the exercise screen");
        v.window = x.idOf(op);
        v.ms = op->paintTime - t1;
        // A window made earlier and shown again was created before the key.
        v.createMs = std::max(0.0, op->createTime - t1);
        v.mapMs = op->mapTime - t1;
        v.maximized = op->paintWidth == x.screenWidth();
        return v;
    }

    Watcher &x;
    std::string m_paintLib, m_logDir;
    Child m_child;
    int m_vais = 0;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// How far the ratio of two medians can be trusted: the runs are drawn again at random, with
// replacement, keeping each round's runs together, and the ratio is taken of every such draw.
// The middle 95 % of those ratios is the interval; a fixed seed makes it the same for the same
// runs.
std::pair<double, double> ratioInterval(const std::vector<double> &a, const std::vector<double> &b)
{
    const size_t n = std::min(a.size(), b.size());
    if (n == 0)
        return {-1, -1};
    std::mt19937 random(1);
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::vector<double> ratios, ra(n), rb(n);
    for (int draw = 0; draw < 2000; ++draw) {
        for (size_t i = 0; i < n; ++i) {
            const size_t j = pick(random);
            ra[i] = a[j];
            rb[i] = b[j];
        }
        ratios.push_back(median(ra) / median(rb));
    }
    std::sort(ratios.begin(), ratios.end());
    return {ratios[ratios.size() * 25 / 1000], ratios[ratios.size() * 975 / 1000 - 1]};
}

std::string list(const std::vector<double> &v)
{
    std::ostringstream s;
    for (size_t i = 0; i < v.size(); ++i)
        s << (i ? "," : "") << v[i];
    return s.str();
}

// The X server's clock is 32 bits of milliseconds and wraps.
double ms(Time later, Time earlier) { return double(int32_t(uint32_t(later - earlier))); }

// Automatic scanning as the pupil sees it: the time of every step on the X server, as the server
// stamps its damage events (to the millisecond; the moment this observer reads them would add its
// own waits for the CPU), on the program's own start screen. A step moves the highlight and
// repaints two buttons, seen as one or more damage events a few milliseconds apart; so a step is
// the first damage after a quiet gap of a quarter period, and the damages within that gap of
// each other are the same step. A step that drew nothing would show as an interval of two
// periods, one split by a stall of more than a quarter period as two short ones: either counts
// as an error, never as a good step. After three rounds without a press the scan waits (its last
// timed repaint takes the highlight off): seen as two periods without damage, a key wakes it up.
// The repaint of the wake-up is not on the clock, so each stretch between wake-ups starts
// counting at its second step.
std::vector<double> scanErrors(Watcher &x, const std::string &program, const std::string &logDir, int periodMs, int steps)
{
    Child child;
    const std::string log = logDir + "/scan.log";
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%d,%d", periodMs / 1000, periodMs % 1000 / 100);
    const std::string option = std::string("--scansione-automatica=") + seconds;
    const double t0 = now();
    launch(child, program, {option}, {}, log);
    auto giveUp = [&](const std::string &why) {
        child.stop();
        fail(why + " (scanning every " + seconds + " s; see " + log + ")");
    };
    Window w = 0;
    x.pump(t0 + 15000, [&] { return x.painted("Calcolino", &w) != nullptr || !child.alive(); });
    if (!w)
        giveUp("no first paint of the start screen");
    x.pump(now() + 5000, [&] { return x.focus() == w; });
    if (x.focus() != w)
        giveUp("the start screen never got the keyboard focus");
    settle(x, w, periodMs / 2.0, 5000);
    std::vector<double> errors;
    while (int(errors.size()) < steps) {
        Win *win = x.find(w);
        if (!win)
            giveUp("the start screen went away");
        const size_t from = win->damageTimes.size();
        // The step starts of this stretch; the first one's interval is not the clock's.
        auto starts = [&] {
            std::vector<Time> s;
            const std::vector<Time> &t = win->damageTimes;
            for (size_t i = from; i < t.size(); ++i)
                if (i == from || ms(t[i], t[i - 1]) > periodMs / 4.0)
                    s.push_back(t[i]);
            return s;
        };
        const bool waited = x.pump(now() + 40.0 * periodMs + 5000, [&] {
            win = x.find(w);
            return !win || !child.alive() || now() - win->lastDamage >= 2.0 * periodMs
                || int(errors.size() + starts().size()) >= steps + 2;
        });
        if (!waited || !win || !child.alive())
            giveUp("the scan neither stepped nor waited");
        const std::vector<Time> s = starts();
        for (size_t i = 2; i < s.size() && int(errors.size()) < steps; ++i)
            errors.push_back(std::fabs(ms(s[i], s[i - 1]) - periodMs));
        if (int(errors.size()) < steps) { // waiting: wake it up
            x.key(XK_Shift_L, true);
            x.key(XK_Shift_L, false);
        }
    }
    child.stop();
    x.forgetAll();
    return errors;
}

// Two processes that only spin, for as long as the object lives, ended by their own ids.
class Busy {
public:
    Busy()
    {
        for (pid_t &p : m_pids)
            if ((p = fork()) == 0)
                for (volatile unsigned long n = 0;; n = n + 1) {
                }
    }
    ~Busy()
    {
        for (pid_t p : m_pids)
            if (p > 0) {
                kill(p, SIGKILL);
                waitpid(p, nullptr, 0);
            }
    }

private:
    pid_t m_pids[2] = {-1, -1};
};

// What the pupil presses, in the order of the table: a digit (the answer cell shows it), the
// highlight moved on (SPACE; Tab on the floor, where plain Qt moves the focus with it), Enter on
// the highlighted button (the row checked, the next one armed) and a mouse press on a button.
enum Kind { Digit, Step, Confirm, Click, Kinds, Untimed = Kinds };
const char *const KindNames[Kinds] = {"digit", "space", "enter", "mouse"};

// The time of day every sheet is drawn at (the paint log freezes the program's wall clock there),
// so that the observer, drawing the same sheet with the program's own rules, knows the answers.
constexpr int TimeOfDay = 12 * 3600;

// Presses on one window as a pupil makes them, each down and up again, and timed by the X server:
// from the moment it takes the key or button to the first damage of the window after it. The
// next press waits until nothing has been drawn for a while.
class Presser {
public:
    Presser(Watcher &x, Window w, std::string what) : x(x), m_window(w), m_what(std::move(what)) {}
    std::vector<double> ms[Kinds];

    void key(KeySym sym, int kind) { press(kind, [&](bool down) { x.key(sym, down); }); }
    // The pointer is moved onto the point first, never left where it was: a press on a button that
    // came up under a still pointer does nothing in the program.
    void click(int px, int py, int kind)
    {
        m_nudge = m_nudge ? 0 : 6;
        x.pointer(px + m_nudge, py);
        quiet();
        press(kind, [&](bool down) { x.button(down); });
    }
    Win &win()
    {
        Win *w = x.find(m_window);
        if (!w)
            fail(m_what + ": the window went away");
        return *w;
    }

private:
    template <class Send> void press(int kind, Send send)
    {
        const size_t seen = win().damageTimes.size(), marks = x.marks().size();
        send(true);
        x.mark();
        if (!x.pump(now() + 3000, [&] { return x.marks().size() > marks && win().damageTimes.size() > seen; }))
            fail(m_what + ": a press (" + (kind < Kinds ? KindNames[kind] : "to move on") + ") changed nothing on the screen");
        if (kind < Kinds)
            ms[kind].push_back(std::max(0.0, double(int32_t(uint32_t(win().damageTimes[seen] - x.marks()[marks])))));
        send(false);
        quiet();
    }
    void quiet()
    {
        const double sent = now();
        x.pump(now() + 3000, [&] { return now() - std::max(sent, win().lastDamage) >= 30; });
    }

    Watcher &x;
    Window m_window;
    std::string m_what;
    int m_nudge = 0;
};

// The top-level window named `title` once it is drawn and has the keyboard; the run stops if not.
Window drawnWithKeyboard(Watcher &x, Child &child, const char *title, const std::string &what, const std::string &log)
{
    Window w = 0;
    x.pump(now() + 15000, [&] { return x.painted(title, &w) || !child.alive(); });
    x.pump(now() + 5000, [&] { return w && x.focus() == w; });
    if (!w || x.focus() != w)
        fail(what + " was not drawn or never got the keyboard (see " + log + ")");
    return w;
}

// The program started, its start screen drawn and with the keyboard; "Vai" on table 0 brings the
// exercise screen.
Window openExercise(Watcher &x, Child &child, const std::string &path, const std::string &paintLib,
                    const std::string &log)
{
    launch(child, path, {}, {{"LD_PRELOAD", paintLib}, {"BENCH_TIME_OF_DAY", std::to_string(TimeOfDay)}, {"TZ", "UTC"}},
           log);
    const Window start = drawnWithKeyboard(x, child, "Calcolino", "the start screen", log);
    settle(x, start, 200, 3000);
    Presser p(x, start, "the start screen");
    p.key(XK_Return, Untimed); // table 0 chosen, the highlight on "Vai"
    const double t = now();
    x.key(XK_Return, true);
    x.key(XK_Return, false);
    Win *exercise = nullptr;
    x.pump(t + 10000, [&] {
        for (Win *w : x.titled("TABELLA"))
            if (w->painted)
                exercise = w;
        return exercise != nullptr;
    });
    const Window w = exercise ? x.idOf(exercise) : 0;
    x.pump(now() + 5000, [&] { return w && x.focus() == w; });
    if (!w || x.focus() != w)
        fail("\"Vai\" brought no exercise screen with the keyboard (see " + log + ")");
    settle(x, w, 300, 5000);
    return w;
}

// Rows answered on the exercise screen of table 0 until every kind has been timed n times: the
// highlight moved on, the answer's first digit typed and taken back with a click on "Cancella",
// the answer typed and confirmed with Enter on "Invio". A new sheet after every tenth row, and
// "Ricomincia" on the warning after thirty. Every sheet starts looking like the first, or the
// presses were not the ones meant.
Presser pressCalcolino(Watcher &x, const std::string &path, const std::string &paintLib, const std::string &logDir,
                       int n)
{
    Child child;
    const std::string log = logDir + "/presses.log";
    const Window w = openExercise(x, child, path, paintLib, log);
    Presser p(x, w, "Calcolino's exercise screen (see " + log + ")");
    // "Cancella" where the design puts it: its centre at 7593 and 7290 twips of a client area of
    // 11910 by 8595, under a menu bar of about 25 pixels (the button is 60 pixels high here).
    const int cx = p.win().paintWidth * 7593 / 11910;
    const int cy = 25 + (p.win().paintHeight - 25) * 7290 / 8595;
    const std::string first = x.image(w);
    Random random([] { return double(TimeOfDay); });
    const int16_t table = 0;
    Esercizio pupil(table, random);
    pupil.open();
    while (p.ms[Confirm].size() < size_t(n)) {
        const Esercizio::Session &s = pupil.session();
        const QString answer = s.Risultati[size_t(s.RigaCorrente)].trimmed();
        p.key(XK_space, Step);
        p.key(XK_0 + answer[0].digitValue(), Digit);
        pupil.typeDigit(answer[0].digitValue());
        p.click(cx, cy, Click);
        pupil.PremiTasto(Keypad::Cancella);
        for (QChar c : answer) {
            p.key(XK_0 + c.digitValue(), Digit);
            pupil.typeDigit(c.digitValue());
        }
        p.key(XK_Return, Confirm);
        pupil.PremiTasto(Keypad::Invio);
        if (pupil.view().front == Esercizio::Frame::fraAvviso) {
            if (pupil.view().focus.index != 1)
                p.key(XK_r, Untimed);
            p.key(XK_Return, Untimed);
            pupil.AzzeraSessione();
        } else if (s.mode == Esercizio::Mode::EndOfSheet) {
            if (pupil.view().focus.index != Keypad::NuovaTabella)
                p.key(XK_n, Untimed);
            p.key(XK_Return, Untimed);
            pupil.PremiTasto(Keypad::NuovaTabella);
        } else
            continue;
        if (x.image(w) != first) {
            child.stop();
            fail("a new sheet of Calcolino's does not look like the first: the answers were not the program's");
        }
    }
    child.stop();
    x.forgetAll();
    return p;
}

// The same presses on the floor's plain widgets: Tab, a digit, a click on "Vai" and Return.
Presser pressFloor(Watcher &x, const std::string &path, const std::string &paintLib, const std::string &logDir, int n)
{
    Child child;
    const std::string log = logDir + "/presses-floor.log";
    launch(child, path, {}, {{"LD_PRELOAD", paintLib}}, log);
    const Window w = drawnWithKeyboard(x, child, "floor", "the floor", log);
    settle(x, w, 300, 5000);
    Presser p(x, w, "the floor (see " + log + ")");
    // "Vai" where the floor puts it, twips at 96 dpi under the menu bar.
    const int cx = (6675 + 90 + 3945 / 2) / 15, cy = 25 + (4485 + 150 + 630 / 2) / 15;
    while (p.ms[Confirm].size() < size_t(n)) {
        p.key(XK_Tab, Step);
        p.key(XK_7, Digit);
        p.click(cx, cy, Click);
        p.key(XK_Return, Confirm);
    }
    child.stop();
    x.forgetAll();
    return p;
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[size_t(std::ceil(q * double(v.size()))) - 1];
}

// The sound as on a desktop: a PulseAudio server of the bench's own, nothing of the machine's or the
// user's loaded, with one null card, `scheda`, that plays 22050 16-bit samples a second in one channel
// (espeak-ng's rate: nothing is resampled) on the server's timer; parec records the card's monitor as
// it plays and a thread of ours keeps every sample. The speech service plays into that server through
// its PulseAudio output, so its queueing, and how soon a cut name stops, are a desktop's.
//
// A sample's moment on our clock (CLOCK_MONOTONIC, the one the X server's stamps are brought onto)
// follows from its place: the card plays without a gap, silence included, on a timer of that same
// clock, so sample i plays at t0 + i / 22050 s. No sample reaches us before the card has taken it, so
// every read, ending with sample i at our moment a, says t0 <= a - i / 22050 s, and t0 is the least of
// those, set by the read that came quickest. The card's rate is not quite our clock's (here it plays
// about 0.05 % fast, 30 ms a minute; the log says how much), so t0 is taken afresh for every sample
// from the reads within a second of it, over which that drift is under 0.5 ms. The error: the card
// takes its samples up to one block ahead of where it plays, and the server makes that block as short
// as the shortest latency asked of it, parec's 10 ms, so a sample may be timed up to 10 ms before the
// card plays it; it is timed late only by as much as the quickest of the hundred or so reads in that
// second came after the card took its samples (parec passes them on in 10 ms fragments, and our
// thread may wake late; how much later than the quickest the reads came is in the log).
class Card {
public:
    static constexpr int Rate = 22050;
    static constexpr int Loud = 1000; // quieter than that is silence (espeak-ng's words peak near 10000)

    // The server's socket goes into `runtime`, where the speech service looks for it.
    Card(const std::string &runtime, const std::vector<std::pair<std::string, std::string>> &env,
         const std::string &logDir)
    {
        unsetenv("PULSE_SERVER"); // a developer's own server would take the voice past ours
        launch(m_server, "/usr/bin/pulseaudio",
               {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1",
                "--load=module-native-protocol-unix auth-anonymous=1",
                "--load=module-null-sink sink_name=scheda rate=" + std::to_string(Rate) + " channels=1"},
               env, logDir + "/pulseaudio.log");
        struct stat st;
        for (int i = 0; i < 1000 && stat((runtime + "/pulse/native").c_str(), &st) != 0 && m_server.alive(); ++i)
            usleep(10000);
        int fds[2];
        if (!m_server.alive() || pipe2(fds, O_CLOEXEC) != 0)
            fail("the sound server did not start (see " + logDir + "/pulseaudio.log)");
        launch(m_recorder, "/usr/bin/parec",
               {"--raw", "--format=s16le", "--rate=" + std::to_string(Rate), "--channels=1", "--latency-msec=10", "-d",
                "scheda.monitor"},
               env, logDir + "/parec.log", fds[1]);
        close(fds[1]);
        m_fd = fds[0];
        m_reader = std::thread([this] { record(); });
    }
    ~Card() { stop(); }
    void stop()
    {
        m_recorder.stop(); // its output ends, and so does our thread
        m_server.stop();
        if (m_reader.joinable())
            m_reader.join();
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }
    size_t played()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_samples.size();
    }
    // Our time of a sample: when the card plays it; and the sample the card plays at our time t.
    double at(long sample)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return t0(sample) + double(sample) * 1000 / Rate;
    }
    long sampleAt(double t)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reads.empty() ? 0 : long(std::ceil((t - t0(long(m_reads.back().first))) * Rate / 1000));
    }
    // The first loud sample from `from` on, before `to`, or -1; with `last`, the last one.
    long loud(size_t from, bool last = false, size_t to = SIZE_MAX)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        long found = -1;
        const size_t end = std::min(to, m_samples.size());
        for (size_t i = from; i < end && (found < 0 || last); ++i)
            if (std::abs(int(m_samples[i])) > Loud)
                found = long(i);
        return found;
    }
    // The first loud sample from `from` on with `gap` samples of silence before it, or -1.
    long onset(size_t from, size_t gap)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t lastLoud = SIZE_MAX;
        for (size_t i = from > gap ? from - gap : 0; i < m_samples.size(); ++i)
            if (std::abs(int(m_samples[i])) > Loud) {
                if (i >= from && (lastLoud == SIZE_MAX || i - lastLoud > gap))
                    return long(i);
                lastLoud = i;
            }
        return -1;
    }
    // Nothing loud in the last `ms` played.
    bool quiet(double ms)
    {
        const size_t n = played(), k = size_t(ms * Rate / 1000);
        return n > k && loud(n - k) < 0;
    }
    // How far the card's samples ran ahead of our clock, in ms a minute.
    double drift()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_samples.size() < size_t(4 * Rate))
            return 0;
        const long first = Rate, last = long(m_samples.size()) - Rate;
        return (t0(first) - t0(last)) / (double(last - first) / Rate / 60);
    }
    // How much later than the quickest near them the reads came, in ms: the median and the 99th percentile.
    std::pair<double, double> lateness()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<double> v;
        for (const auto &[end, bound] : m_reads)
            v.push_back(bound - t0(long(end)));
        if (v.empty())
            return {-1, -1};
        std::sort(v.begin(), v.end());
        return {v[v.size() / 2], v[v.size() * 99 / 100]};
    }
    void keep(const std::string &file)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(m_samples.data()),
                                                    std::streamsize(m_samples.size() * 2));
    }

private:
    void record()
    {
        char bytes[512];
        std::string half; // a sample split between two reads waits for its other byte
        for (ssize_t got; (got = read(m_fd, bytes, sizeof bytes)) > 0;) {
            const double t = now();
            half.append(bytes, size_t(got));
            std::lock_guard<std::mutex> lock(m_mutex);
            const size_t had = m_samples.size(), whole = half.size() / 2;
            m_samples.resize(had + whole);
            std::memcpy(&m_samples[had], half.data(), whole * 2);
            half.erase(0, whole * 2);
            m_reads.emplace_back(m_samples.size(), t - double(m_samples.size()) * 1000 / Rate);
        }
    }
    // The least bound on t0 of the reads within a second of the sample (the mutex held).
    double t0(long sample) const
    {
        auto by = [](const std::pair<size_t, double> &r, long s) { return long(r.first) < s; };
        auto it = std::lower_bound(m_reads.begin(), m_reads.end(), sample - Rate, by);
        double least = 1e300;
        for (; it != m_reads.end() && long(it->first) <= sample + Rate; ++it)
            least = std::min(least, it->second);
        return least;
    }

    Child m_server, m_recorder;
    int m_fd = -1;
    std::mutex m_mutex;
    std::vector<std::pair<size_t, double>> m_reads; // each read: where it ended, its bound on t0
    std::vector<int16_t> m_samples;
    std::thread m_reader;
};

// A home of its own for the program with the voice on: speech-dispatcher with its espeak-ng module,
// in Italian, playing through PulseAudio, which finds the card's server in the home's runtime folder.
// The program starts the service itself, as on a pupil's desktop; it is ended here by the process id
// it writes down.
class SpeechHome {
public:
    explicit SpeechHome(std::string dir) : m_dir(std::move(dir))
    {
        for (const char *d : {"", "/.config", "/.config/speech-dispatcher", "/run"})
            if (mkdir((m_dir + d).c_str(), 0700) != 0 && errno != EEXIST)
                fail("cannot make " + m_dir + d);
        std::ofstream(m_dir + "/.config/speech-dispatcher/speechd.conf")
            << "AudioOutputMethod \"pulse\"\nDefaultModule espeak-ng\n"
               "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\nDefaultLanguage \"it\"\nTimeout 2\n";
    }
    ~SpeechHome() { stop(); }
    const std::string &dir() const { return m_dir; }
    std::string runtime() const { return m_dir + "/run"; }
    std::vector<std::pair<std::string, std::string>> environment() const
    {
        return {{"HOME", m_dir}, {"XDG_CONFIG_HOME", m_dir + "/.config"}, {"XDG_RUNTIME_DIR", runtime()}};
    }
    void stop()
    {
        std::ifstream f(m_dir + "/run/speech-dispatcher/pid/speech-dispatcher.pid");
        pid_t pid = 0;
        if (!(f >> pid) || pid <= 1 || kill(pid, SIGTERM) != 0)
            return;
        auto gone = [pid] {
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string s((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
            return s.empty() || s.find(") Z") != std::string::npos;
        };
        for (int i = 0; i < 300 && !gone(); ++i)
            usleep(10000);
        if (!gone())
            kill(pid, SIGKILL);
    }

private:
    std::string m_dir;
};

// The voice as the pupil hears it, on the start screen with `--voce`: SPACE moves the highlight
// and the voice says the highlighted button's name. Each figure runs from the X server's stamp on
// the highlight's first damage after SPACE to the moment the card plays the first loud sample of
// the name, both on our clock. `spaced`: n presses, each once the name before has been said whole,
// 250 to 350 ms after its last loud sample (a press in that stretch once left the service silent
// for good on another device, its log saying "Can't play track for unknown reason"; here every
// press must be answered). `fast`: rounds of five presses 150 ms apart, quicker than any name, each
// name cut off by the next; of each round the last press's move to the first sound of the last
// name. A cut name falls silent within 30 ms of the move and the next begins 30 ms or more after
// it, so the last name's first sound is the first loud sample from 30 ms after the move on with
// 10 ms of silence before it (a name begun sooner would be timed late, never early). Rounds where
// the cut name still sounded 30 ms after the move are counted in the log.
struct Speech {
    std::vector<double> spaced, fast, gaps, cutOff; // gaps: from the last loud sample to the next press
    double clockError = 0;
    double drift = 0; // how far the card ran ahead of our clock, ms a minute
    int late = 0;
    std::pair<double, double> lateness;
};

Speech speech(Watcher &x, const std::string &program, const std::string &logDir, int n)
{
    SpeechHome home(logDir + "/voce");
    Card card(home.runtime(), home.environment(), logDir);
    Child child;
    const std::string log = logDir + "/voce.log";
    launch(child, program, {"--voce"}, home.environment(), log);
    auto giveUp = [&](const std::string &why) {
        child.stop();
        home.stop();
        card.stop();
        card.keep(logDir + "/heard.raw");
        fail(why + " (see " + log + ", " + home.dir() + "/run/speech-dispatcher/log/ and what the card played, " + logDir
             + "/heard.raw: 22050 samples a second, 16 bits, one channel)");
    };
    Window w = 0;
    x.pump(now() + 15000, [&] { return x.painted("Calcolino", &w) || !child.alive(); });
    x.pump(now() + 5000, [&] { return w && x.focus() == w; });
    if (!w || x.focus() != w)
        giveUp("the start screen was not drawn or never got the keyboard");
    // Once ready (the service started, its voices listed: a second or more) the voice says the
    // highlighted button.
    if (!x.pump(now() + 20000, [&] { return card.loud(0) >= 0 || !child.alive(); }) || !child.alive())
        giveUp("the voice said nothing at start");
    auto silent = [&](double ms) {
        if (!x.pump(now() + 15000, [&] { return card.quiet(ms); }))
            giveUp("the voice never fell silent");
    };
    silent(300);
    const size_t firstMark = x.marks().size();
    for (int i = 0; i < 20; ++i) { // the clocks set by round trips before the first press, and by every press
        const size_t m = x.marks().size();
        x.mark();
        x.pump(now() + 1000, [&] { return x.marks().size() > m; });
    }
    auto space = [&]() -> Time {
        Win *win = x.find(w);
        if (!win)
            giveUp("the start screen went away");
        const size_t seen = win->damageTimes.size(), marks = x.marks().size();
        x.key(XK_space, true);
        x.mark();
        if (!x.pump(now() + 3000, [&] { return x.marks().size() > marks && win->damageTimes.size() > seen; }))
            giveUp("SPACE did not move the highlight");
        x.key(XK_space, false);
        return win->damageTimes[seen];
    };
    // The damage's stamp and a sample: the name's first loud one; the last loud one before the press
    // (gaps); the cut name's last loud one after the move (cutOff: -1, already silent).
    std::vector<std::pair<Time, long>> spaced, fast, gaps, cutOff;
    for (int i = 0; i < n; ++i) {
        const long before = card.loud(0, true);
        const size_t from = card.played();
        const Time damage = space();
        gaps.emplace_back(damage, before);
        long start = -1;
        if (!x.pump(now() + 5000, [&] { return (start = card.loud(from)) >= 0; }))
            giveUp("the highlighted button's name was not said (press " + std::to_string(i + 1) + ")");
        silent(250 + (i * 37) % 101);
        spaced.emplace_back(damage, start);
    }
    int late = 0; // rounds whose cut name still sounded 30 ms after the move
    for (int round = 0; round < std::max(1, n / 4); ++round) {
        Time damage = 0;
        for (int k = 0; k < 5; ++k) {
            const double next = now() + 150;
            damage = space();
            if (k < 4)
                x.pump(next, [] { return false; });
        }
        const double moved = x.clock(firstMark).observer(damage);
        long start = -1;
        if (!x.pump(now() + 10000, [&] {
                return now() > moved + 30
                       && (start = card.onset(size_t(std::max(0L, card.sampleAt(moved + 30))), Card::Rate / 100)) >= 0
                       && card.quiet(300);
            }))
            giveUp("with SPACE every 150 ms the last name was not said (round " + std::to_string(round + 1) + ")");
        late += card.loud(size_t(std::max(0L, card.sampleAt(moved + 30)))) < start;
        fast.emplace_back(damage, start);
        cutOff.emplace_back(damage, card.loud(size_t(std::max(0L, card.sampleAt(moved))), true, size_t(start)));
    }
    child.stop();
    home.stop();
    card.stop();
    x.forgetAll();

    Speech s;
    const Watcher::Clock clock = x.clock(firstMark);
    s.clockError = clock.error;
    s.late = late;
    s.lateness = card.lateness();
    for (const auto &[damage, start] : spaced)
        s.spaced.push_back(card.at(start) - clock.observer(damage));
    for (const auto &[damage, start] : fast)
        s.fast.push_back(card.at(start) - clock.observer(damage));
    for (const auto &[damage, before] : gaps)
        s.gaps.push_back(clock.observer(damage) - card.at(before));
    for (const auto &[damage, end] : cutOff)
        s.cutOff.push_back(end < 0 ? 0 : std::max(0.0, card.at(end + 1) - clock.observer(damage)));
    s.drift = card.drift();
    return s;
}

// Everything the pupil feels, first on the idle machine and then beside two processes of the
// bench's own that only spin: n presses of each kind on Calcolino and on the floor, then the
// scan's steps at both periods. The percentiles are nearest rank; the 1-minute load average is
// read at the end of each half.
void feel(Watcher &x, const std::string &program, const std::string &floorPath, const std::string &paintLib,
          const std::string &logDir, int presses, int steps, int names)
{
    for (const bool busy : {false, true}) {
        const char *k = busy ? "busy" : "alone";
        if (busy && presses == 0 && steps == 0)
            break; // nothing is measured under load but those
        std::unique_ptr<Busy> spin(busy ? new Busy : nullptr);
        if (presses > 0) {
            const double t0 = now();
            // In blocks of about 100, the two in turn and the order alternating (Calcolino, the floor,
            // the floor, Calcolino, ...), so that neither has the load's first seconds, or any drift
            // of the machine, to itself.
            std::vector<double> ms[2][Kinds];
            const int blocks = std::max(1, presses / 100);
            for (int b = 0; b < blocks; ++b)
                for (int i = 0; i < 2; ++i) {
                    const int r = (b % 2) ^ i, n = presses / blocks + (b == blocks - 1 ? presses % blocks : 0);
                    const Presser block = r ? pressFloor(x, floorPath, paintLib, logDir, n)
                                            : pressCalcolino(x, program, paintLib, logDir, n);
                    for (int kind = 0; kind < Kinds; ++kind) {
                        ms[r][kind].insert(ms[r][kind].end(), block.ms[kind].begin(), block.ms[kind].end());
                        // Every press in its order, so that a slow one can be placed in its block.
                        std::fprintf(stderr, "    %s, block %d of %s, %s (ms):", k, b + 1,
                                     r ? "the floor" : "Calcolino", KindNames[kind]);
                        for (double v : block.ms[kind])
                            std::fprintf(stderr, " %.0f", v);
                        std::fprintf(stderr, "\n");
                    }
                }
            for (int r = 0; r < 2; ++r)
                for (int kind = 0; kind < Kinds; ++kind) {
                    const std::vector<double> &v = ms[r][kind];
                    const char *who = r ? "floor" : "program";
                    std::printf("press_%s_%s_%s_p50_ms=%.0f\npress_%s_%s_%s_p99_ms=%.0f\npress_%s_%s_%s_n=%zu\n", who,
                                KindNames[kind], k, percentile(v, 0.5), who, KindNames[kind], k, percentile(v, 0.99),
                                who, KindNames[kind], k, v.size());
                }
            std::fprintf(stderr, "  presses, %s: %d of each kind on Calcolino and the floor in %.0f s\n", k, presses,
                         (now() - t0) / 1000);
        }
        for (const int periodMs : {500, 1500}) {
            if (steps == 0)
                break;
            std::vector<double> e = scanErrors(x, program, logDir, periodMs, steps);
            std::sort(e.begin(), e.end());
            std::printf("scan_%d_%s_p99_ms=%.0f\nscan_%d_%s_max_ms=%.0f\n", periodMs, k, percentile(e, 0.99), periodMs,
                        k, e.back());
            std::fprintf(stderr, "  scan every %d ms, %s: |error| in ms", periodMs, k);
            for (double v : e)
                std::fprintf(stderr, " %.0f", v);
            std::fprintf(stderr, "\n");
        }
        // The voice on the idle machine only.
        if (!busy && names > 0) {
            const double t0 = now();
            const Speech v = speech(x, program, logDir, names);
            std::printf("speech_n=%zu\nspeech_p50_ms=%.0f\nspeech_p95_ms=%.0f\nspeech_max_ms=%.0f\n"
                        "speech_fast_n=%zu\nspeech_fast_p50_ms=%.0f\nspeech_fast_p95_ms=%.0f\nspeech_fast_max_ms=%.0f\n"
                        "speech_gap_min_ms=%.0f\nspeech_gap_max_ms=%.0f\nspeech_clock_ms=%.1f\nspeech_cut_p95_ms=%.0f\n",
                        v.spaced.size(), percentile(v.spaced, 0.5), percentile(v.spaced, 0.95),
                        *std::max_element(v.spaced.begin(), v.spaced.end()), v.fast.size(),
                        v.fast.empty() ? -1 : percentile(v.fast, 0.5), v.fast.empty() ? -1 : percentile(v.fast, 0.95),
                        v.fast.empty() ? -1 : *std::max_element(v.fast.begin(), v.fast.end()),
                        *std::min_element(v.gaps.begin(), v.gaps.end()), *std::max_element(v.gaps.begin(), v.gaps.end()),
                        v.clockError, v.cutOff.empty() ? -1 : percentile(v.cutOff, 0.95));
            for (const auto &[what, list] : {std::pair{"said whole", &v.spaced}, std::pair{"SPACE every 150 ms", &v.fast}}) {
                std::fprintf(stderr, "  speech, %s: SPACE's damage to the name's first sound in ms", what);
                for (double ms : *list)
                    std::fprintf(stderr, " %.0f", ms);
                std::fprintf(stderr, "\n");
            }
            std::fprintf(stderr, "  speech, said whole: the name before's last loud sample to the move in ms");
            for (double ms : v.gaps)
                std::fprintf(stderr, " %.0f", ms);
            std::fprintf(stderr, "\n  speech, SPACE every 150 ms: the move to the cut name's last loud sample in ms");
            for (double ms : v.cutOff)
                std::fprintf(stderr, " %.0f", ms);
            std::fprintf(stderr, "\n  speech: %zu and %zu names in %.0f s, the clocks within %.1f ms; reads of the card "
                                 "%.1f ms (median) and %.1f ms (99th percentile) later than the quickest; the card ran %.1f ms "
                                 "a minute ahead of our clock; in %d of %zu rounds the cut name still sounded 30 ms after the move\n",
                         v.spaced.size(), v.fast.size(), (now() - t0) / 1000, v.clockError, v.lateness.first,
                         v.lateness.second, v.drift, v.late, v.fast.size());
        }
        double load = -1;
        std::ifstream("/proc/loadavg") >> load;
        std::printf("feel_%s_load=%.2f\n", k, load);
        std::fflush(stdout);
    }
    std::printf("scan_steps=%d\npresses=%d\nspeech=%d\nqt_version=%s\n", steps, presses, names, qVersion());
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
    std::vector<double> fresh, warm, atOnce;
    for (int i = 0; i < 10; ++i) {
        const int fd = memfd_create("bench", 0);
        if (fd < 0 || ftruncate(fd, off_t(n)) != 0)
            fail("memfd");
        void *p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p == MAP_FAILED)
            fail("mmap");
        // Every other buffer has its pages asked for in one go first, as Calcolino does.
        const bool populate = i % 2;
        double t0 = cpu();
        if (populate && madvise(p, n, 23 /* MADV_POPULATE_WRITE */) != 0)
            fail("madvise(MADV_POPULATE_WRITE)");
        std::memset(p, 1, n);
        double t1 = cpu();
        std::memset(p, 2, n);
        double t2 = cpu();
        (populate ? atOnce : fresh).push_back(t1 - t0);
        warm.push_back(t2 - t1);
        munmap(p, n);
        close(fd);
    }
    std::printf("page_cost_fresh_ms=%.1f\npage_cost_at_once_ms=%.1f\npage_cost_warm_ms=%.2f\n", median(fresh),
                median(atOnce), median(warm));
}

// How busy the machine is while the bench runs: the 1-minute load average, sampled before
// every run, and the CPU time that went to processes other than the bench's own (the X
// server, the window manager, the observer and the programs it started).
class Load {
public:
    explicit Load(std::vector<pid_t> ours) : m_ours(std::move(ours)) {}

    void start()
    {
        m_busy0 = machineBusyMs();
        m_ours0 = oursMs();
        m_wall0 = now();
        sample();
    }
    void sample()
    {
        std::ifstream f("/proc/loadavg");
        double l;
        if (f >> l)
            m_samples.push_back(l);
    }
    void print()
    {
        sample();
        const double cpus = double(sysconf(_SC_NPROCESSORS_ONLN));
        const double others = (machineBusyMs() - m_busy0) - (oursMs() - m_ours0);
        std::printf("load_first=%.2f\nload_median=%.2f\nload_max=%.2f\n", m_samples.front(), median(m_samples),
                    *std::max_element(m_samples.begin(), m_samples.end()));
        std::printf("others_cpu_pct=%.1f\n", std::max(0.0, 100.0 * others / ((now() - m_wall0) * cpus)));
    }

private:
    static double machineBusyMs()
    {
        std::ifstream f("/proc/stat");
        std::string cpu;
        double user, nice, system, idle, iowait, irq, softirq;
        if (!(f >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq))
            return 0;
        return (user + nice + system + irq + softirq) * 1000.0 / double(sysconf(_SC_CLK_TCK));
    }
    static double processMs(pid_t pid)
    {
        std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
        std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const size_t close = s.rfind(')');
        if (close == std::string::npos)
            return 0;
        std::istringstream rest(s.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        // Fields 3.. after the name: utime and stime are fields 14 and 15.
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14)
                utime = std::atof(field.c_str());
            else if (i == 15)
                stime = std::atof(field.c_str());
        }
        return (utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
    }
    double oursMs() const
    {
        rusage self{}, children{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &children);
        auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
        double total = ms(self.ru_utime) + ms(self.ru_stime) + ms(children.ru_utime) + ms(children.ru_stime);
        for (pid_t p : m_ours)
            total += processMs(p);
        return total;
    }

    std::vector<pid_t> m_ours;
    std::vector<double> m_samples;
    double m_busy0 = 0, m_ours0 = 0, m_wall0 = 0;
};

} // namespace

int main(int argc, char **argv)
{
    int runs = 15, steps = 100, presses = 500, spoken = 100;
    bool feelOnly = false;
    std::string program, baseline, floorPath, paintLib, logDir = "/tmp";
    std::vector<pid_t> ours;
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
        else if (a == "--feel")
            feelOnly = true;
        else if (a == "--presses")
            presses = std::atoi(next().c_str());
        else if (a == "--speech")
            spoken = std::atoi(next().c_str());
        else if (a == "--steps")
            steps = std::atoi(next().c_str());
        else if (a == "--runs")
            runs = std::atoi(next().c_str());
        else if (a == "--program")
            program = next();
        else if (a == "--baseline")
            baseline = next();
        else if (a == "--floor")
            floorPath = next();
        else if (a == "--paint-log")
            paintLib = next();
        else if (a == "--log")
            logDir = next();
        else if (a == "--ours") {
            std::istringstream s(next());
            std::string p;
            while (std::getline(s, p, ','))
                ours.push_back(pid_t(std::atoi(p.c_str())));
        }
        else
            fail("unknown argument " + a);
    }
    Watcher x;
    if (waitWm)
        return x.waitWindowManager(20000) ? 0 : 1;
    if (program.empty() || floorPath.empty() || paintLib.empty() || (!feelOnly && baseline.empty()))
        fail("--program, --floor, --paint-log and (but with --feel) --baseline are needed");
    if (feelOnly) {
        feel(x, program, floorPath, paintLib, logDir, std::max(presses, 0), std::max(steps, 0), std::max(spoken, 0));
        return 0;
    }

    const Program programs[3] = {{program, "Calcolino", true}, {baseline, "bare", false}, {floorPath, "floor", false}};
    // Every order of the three in turn, so that each comes first, second and third as often
    // and follows each of the others as often.
    const int orders[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};

    Load load(ours);
    load.start();
    Bench bench(x, paintLib, logDir);
    // One discarded round warms the caches (fonts, libraries) for all three.
    for (const Program &p : programs)
        bench.run(p);

    std::vector<Run> results[3];
    long logBytes = 0;
    bool maximized = true;
    for (int i = 0; i < runs; ++i) {
        for (int k : orders[i % 6]) {
            load.sample();
            const Run r = bench.run(programs[k]);
            results[k].push_back(r);
            maximized = maximized && r.maximized;
            if (programs[k].exercise) {
                maximized = maximized && r.vai1.maximized && r.vai2.maximized;
                logBytes += r.logBytes;
            }
        }
        const Run &c = results[0].back(), &b = results[1].back(), &f = results[2].back();
        std::fprintf(stderr,
                     "  run %d/%d: start-up %.1f ms (created %.1f, mapped %.1f, CPU %.1f), bare %.1f ms (%.1f, %.1f, "
                     "CPU %.1f), floor %.1f ms (%.1f, %.1f, CPU %.1f); Vai %.1f ms (CPU %.1f), again %.1f ms (CPU %.1f)\n",
                     i + 1, runs, c.startupMs, c.startupCreateMs, c.startupMapMs, c.startupCpuMs, b.startupMs,
                     b.startupCreateMs, b.startupMapMs, b.startupCpuMs, f.startupMs, f.startupCreateMs, f.startupMapMs,
                     f.startupCpuMs, c.vai1.ms, c.vai1.cpuMs, c.vai2.ms, c.vai2.cpuMs);
    }

    auto figure = [&](int k, auto get) {
        std::vector<double> v;
        for (const Run &r : results[k])
            v.push_back(get(r));
        return v;
    };
    const char *const names[3] = {"program", "baseline", "floor"};
    std::printf("runs=%d\n", runs);
    for (int k = 0; k < 3; ++k) {
        const char *n = names[k];
        std::printf("startup_%s_ms=%.1f\n", n, median(figure(k, [](const Run &r) { return r.startupMs; })));
        std::printf("startup_%s_cpu_ms=%.1f\n", n, median(figure(k, [](const Run &r) { return r.startupCpuMs; })));
        std::printf("startup_%s_created_ms=%.1f\n", n, median(figure(k, [](const Run &r) { return r.startupCreateMs; })));
        std::printf("startup_%s_mapped_ms=%.1f\n", n, median(figure(k, [](const Run &r) { return r.startupMapMs; })));
        std::printf("startup_%s_faults=%.0f\n", n, median(figure(k, [](const Run &r) { return r.startupFaults; })));
        std::printf("rss_%s_mib=%.2f\n", n, median(figure(k, [](const Run &r) { return r.mem.rssKib / 1024.0; })));
        std::printf("pss_%s_mib=%.2f\n", n, median(figure(k, [](const Run &r) { return r.mem.pssKib / 1024.0; })));
        std::printf("all_startup_%s_ms=%s\n", n, list(figure(k, [](const Run &r) { return r.startupMs; })).c_str());
        std::printf("all_startup_%s_cpu_ms=%s\n", n, list(figure(k, [](const Run &r) { return r.startupCpuMs; })).c_str());
    }
    // Calcolino against the others: how sure the ratios of the medians are.
    for (int k = 1; k < 3; ++k) {
        const auto wall = ratioInterval(figure(0, [](const Run &r) { return r.startupMs; }),
                                        figure(k, [](const Run &r) { return r.startupMs; }));
        const auto cpu = ratioInterval(figure(0, [](const Run &r) { return r.startupCpuMs; }),
                                       figure(k, [](const Run &r) { return r.startupCpuMs; }));
        std::printf("interval_%s=%.2f,%.2f\ninterval_cpu_%s=%.2f,%.2f\n", names[k], wall.first, wall.second, names[k],
                    cpu.first, cpu.second);
    }
    std::printf("vai_ms=%.1f\nvai_cpu_ms=%.1f\n", median(figure(0, [](const Run &r) { return r.vai1.ms; })),
                median(figure(0, [](const Run &r) { return r.vai1.cpuMs; })));
    std::printf("vai_created_ms=%.1f\nvai_mapped_ms=%.1f\n", median(figure(0, [](const Run &r) { return r.vai1.createMs; })),
                median(figure(0, [](const Run &r) { return r.vai1.mapMs; })));
    std::printf("vai2_ms=%.1f\nvai2_cpu_ms=%.1f\n", median(figure(0, [](const Run &r) { return r.vai2.ms; })),
                median(figure(0, [](const Run &r) { return r.vai2.cpuMs; })));
    std::printf("rss_exercise_mib=%.2f\npss_exercise_mib=%.2f\n",
                median(figure(0, [](const Run &r) { return r.memExercise.rssKib / 1024.0; })),
                median(figure(0, [](const Run &r) { return r.memExercise.pssKib / 1024.0; })));
    std::printf("all_vai_ms=%s\nall_vai2_ms=%s\n", list(figure(0, [](const Run &r) { return r.vai1.ms; })).c_str(),
                list(figure(0, [](const Run &r) { return r.vai2.ms; })).c_str());
    std::printf("maximized=%d\nprogram_output_bytes=%ld\n", maximized ? 1 : 0, logBytes);
    load.print();
    return 0;
}

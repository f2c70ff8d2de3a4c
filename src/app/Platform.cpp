#include "app/Platform.h"
#include <QAccessible>
#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QSettings>
#include <QToolButton>
#include <QTranslator>
#include <QWindow>
#ifdef Q_OS_UNIX
#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cstdio>
#include <cstdlib>

namespace Platform {

namespace {
QtMessageHandler g_previous = nullptr;

void beforeDisplay(QtMsgType type, const QMessageLogContext &, const QString &)
{
    // Until the application exists every message is ours to word; the toolkit's last one is fatal.
    if (type != QtFatalMsg)
        return;
    std::fputs("Calcolino: serve un desktop grafico, ma nessuno schermo \xC3\xA8 disponibile.\n", stderr);
    std::fflush(stderr);
    // The half-made application object is still on the stack: nothing of it may run again.
    std::_Exit(1);
}
}

void noBusOfOurOwn()
{
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // The per-user bus that the D-Bus library finds by itself.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (!runtime.isEmpty() && lstat((runtime + "/bus").constData(), &st) == 0 && S_ISSOCK(st.st_mode)
        && st.st_uid == getuid())
        return;
    // An address the library cannot use: it then does without a bus, quietly.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
#endif
}

void exitQuietlyWithoutDisplay()
{
    g_previous = qInstallMessageHandler(beforeDisplay);
}

void displayFound()
{
    qInstallMessageHandler(g_previous);
}

void detectableAutoRepeat()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    // Through the toolkit's own X connection and libraries, already loaded: nothing more is
    // linked in, and the request goes out without waiting for the server's answer.
    struct Cookie { unsigned int sequence; };
    struct Extension { quint8 type, pad; quint16 sequence; quint32 length; quint8 present, opcode, event, error; };
    using ExtensionData = const Extension *(*)(xcb_connection_t *, void *);
    using PerClientFlags = Cookie (*)(xcb_connection_t *, quint16, quint32, quint32, quint32, quint32, quint32);
    using DiscardReply = void (*)(xcb_connection_t *, unsigned int);
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD);
    void *xkb = dlopen("libxcb-xkb.so.1", RTLD_NOW | RTLD_NOLOAD);
    auto extensionData = xcb ? reinterpret_cast<ExtensionData>(dlsym(xcb, "xcb_get_extension_data")) : nullptr;
    auto discardReply = xcb ? reinterpret_cast<DiscardReply>(dlsym(xcb, "xcb_discard_reply")) : nullptr;
    void *xkbId = xkb ? dlsym(xkb, "xcb_xkb_id") : nullptr;
    auto perClientFlags = xkb ? reinterpret_cast<PerClientFlags>(dlsym(xkb, "xcb_xkb_per_client_flags")) : nullptr;
    if (extensionData && discardReply && xkbId && perClientFlags) {
        // Known already: the toolkit asked for the keyboard extension when it connected.
        const Extension *ext = extensionData(c, xkbId);
        if (ext && ext->present) {
            const quint16 coreKeyboard = 0x100;
            const quint32 detectableAutoRepeat = 1;
            discardReply(c, perClientFlags(c, coreKeyboard, detectableAutoRepeat, detectableAutoRepeat, 0, 0, 0).sequence);
        }
    }
    if (xkb)
        dlclose(xkb);
    if (xcb)
        dlclose(xcb);
#endif
}

void noSettingsFiles()
{
    // No file can ever be made under /dev/null.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

namespace {
// Kept on the application object: the print screen's library has a copy of this code.
const char *const ItalianLoaded = "calcolino.qtItalian";

// Assistive technology reads the names of the toolkit's actions ("Premi"): they are Italian from
// the moment it connects.
class AccessibilityWatch : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            italianQtTexts();
    }
};

class Style : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap sp, const QStyleOption *option, const QWidget *widget) const override
    {
        // Asked by the overflow button of a menu bar while it is made, hidden.
        if (sp == SP_ToolBarHorizontalExtensionButton && !option && qobject_cast<const QMenuBar *>(widget)) {
            auto *button = widget->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"),
                                                            Qt::FindDirectChildrenOnly);
            if (button && !button->isVisible()) {
                button->installEventFilter(const_cast<Style *>(this));
                return QIcon();
            }
        }
        return QProxyStyle::standardIcon(sp, option, widget);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Shown: the button gets the very icon it was to have, before it is drawn.
        if (event->type() == QEvent::Show)
            if (auto *button = qobject_cast<QToolButton *>(watched)) {
                button->removeEventFilter(this);
                button->setIcon(
                    QProxyStyle::standardIcon(SP_ToolBarHorizontalExtensionButton, nullptr, button->parentWidget()));
            }
        return QProxyStyle::eventFilter(watched, event);
    }
};
}

void italian(QApplication &)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    static AccessibilityWatch watch;
    QAccessible::installActivationObserver(&watch);
}

void italianQtTexts()
{
    if (!qApp || qApp->property(ItalianLoaded).toBool())
        return;
    qApp->setProperty(ItalianLoaded, true);
    auto *qt = new QTranslator(qApp);
    if (!qt->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return;
    }
    QApplication::installTranslator(qt);
    // The windows open now hear of the new language at once: heard later, it would reach a
    // dialog made meanwhile as their child and put the toolkit's words back on its buttons
    // ("OK" for the print dialog's "Stampa").
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

void beforeQtDialog()
{
    noSettingsFiles();
    italianQtTexts();
}

void menuBarIconWhenShown()
{
    QApplication::setStyle(new Style);
}

namespace {
#if defined(Q_OS_LINUX) && !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23
#endif

// The window's buffer at `size`, every page of it brought into memory at once. Kernels before
// 5.14 refuse that request: there the paint brings the pages in, as it always did.
void makeBuffer(QWidget &window, QSize size)
{
    QBackingStore *store = window.backingStore();
    store->resize(size);
#ifdef Q_OS_LINUX
    QPaintDevice *device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return;
    // On a scaled screen the toolkit reaches the buffer through an image it makes at the next
    // paint: until then the one here may be an earlier buffer's.
    const auto *image = static_cast<const QImage *>(device);
    if (window.devicePixelRatio() != 1 || image->size() != store->size())
        return;
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE));
    const auto bits = uintptr_t(image->constBits());
    madvise(reinterpret_cast<void *>(bits & ~(page - 1)), bits % page + size_t(image->sizeInBytes()),
            MADV_POPULATE_WRITE);
#endif
}

// The toolkit makes a window's buffer when it first paints the window at a new size: when the
// window is shown, or at once after the window's resize event. Made here just before, at the
// same size, the buffer is filled in first.
class BuffersAtOnce : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        QWidget *window = nullptr;
        if (type == QEvent::Resize && watched->isWidgetType())
            window = static_cast<QWidget *>(watched);
        else if (type == QEvent::Expose && watched->isWindowType())
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->windowHandle() == watched)
                    window = w;
        if (window && window->isWindow() && window->windowHandle() && window->windowHandle()->isExposed()
            && window->backingStore() && window->backingStore()->size() != window->size()) {
            makeBuffer(*window, window->size());
            // The toolkit paints the whole window again when it finds the buffer at a new size;
            // made here, the buffer has that size already, so the whole window is asked for.
            window->update();
        }
        return false;
    }
};
}

void windowBuffersAtOnce()
{
    qApp->installEventFilter(new BuffersAtOnce(qApp));
}

void prepareWindow(QWidget &window, QSize size)
{
    if (window.isVisible())
        return;
    // Made ready at this size before, or shown at it: the fonts are ready and so is the buffer.
    if (const QBackingStore *store = window.backingStore(); store && store->size() == size && window.size() == size)
        return;
    window.resize(size);
    window.winId(); // the native window
    QBackingStore *store = window.backingStore();
    if (!store)
        return;
    if (store->size() != size)
        makeBuffer(window, size);
    // Painted once, out of sight, into its own buffer: the fonts, glyphs and styles it needs are
    // made ready now rather than during the first paint, which the pupil waits for.
    if (QPaintDevice *device = store->paintDevice()) {
        QPainter painter(device);
        window.render(&painter);
    }
}

void afterApplication(QApplication &app)
{
    detectableAutoRepeat();
    windowBuffersAtOnce();
    italian(app);
    menuBarIconWhenShown();
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    QApplication::setQuitOnLastWindowClosed(false);
}
}

// X11 ("xcb"), and the offscreen platform the tests run on, checked with Qt 6.4.2: there a window's
// image buffer can be made before the window's first paint. On Wayland it cannot (the program
// crashed): there a window is only given its size before it is shown.
#include "app/Platform.h"
#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#if !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23
#endif
#endif

namespace Platform {

namespace {
bool buffersBeforePainting()
{
    return isX11() || QGuiApplication::platformName() == QLatin1String("offscreen");
}

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
    if (buffersBeforePainting())
        qApp->installEventFilter(new BuffersAtOnce(qApp));
}

void prepareWindow(QWidget &window, QSize size)
{
    if (window.isVisible())
        return;
    if (!buffersBeforePainting()) {
        window.resize(size);
        return;
    }
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
}

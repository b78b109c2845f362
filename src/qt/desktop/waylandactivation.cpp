#include "qt/desktop/waylandactivation.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibrary>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

namespace lumiroka {

namespace {

// Whether a window has been mapped since it was last shown. QWindow::isExposed() is no
// guide on Wayland: a covered window that the compositor sends no frame callbacks (GNOME)
// counts as not exposed although it is mapped.
class MapWatch : public QObject
{
public:
    bool mapped = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Exposed once is mapped; hidden, the window is unmapped until it is exposed again.
        if (event->type() == QEvent::Expose) {
            QTimer::singleShot(0, this, [this, window = static_cast<QWindow *>(watched)] {
                if (window->isExposed())
                    mapped = true;
            });
        } else if (event->type() == QEvent::Hide) {
            mapped = false;
        }
        return false;
    }
};

// A window first watched when it is to be activated has been on screen for a while.
MapWatch *mapWatch(QWindow *window)
{
    auto *watch = window->findChild<MapWatch *>(QString(), Qt::FindDirectChildrenOnly);
    if (!watch) {
        watch = new MapWatch;
        watch->setParent(window);
        watch->mapped = window->isVisible();
        window->installEventFilter(watch);
    }
    return watch;
}

bool mapped(QWindow *window)
{
    return window->isExposed() || mapWatch(window)->mapped;
}

} // namespace

WaylandActivation::WaylandActivation(QStringList pluginDirs) : m_pluginDirs(std::move(pluginDirs)) {}

WaylandActivation::~WaylandActivation() = default;

void WaylandActivation::aboutToShow(QWindow *window)
{
    if (window && native())
        mapWatch(window)->mapped = false;
}

bool WaylandActivation::native()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

WaylandActivationBackend *WaylandActivation::backend()
{
    if (m_tried)
        return m_backend.get();
    m_tried = true;
    if (!native())
        return nullptr;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    void *display = native ? native->nativeResourceForIntegration("wl_display") : nullptr;
    if (!display)
        return nullptr;
    for (const QString &dir : m_pluginDirs) {
        // Stays loaded for the rest of the run: QLibrary does not unload on destruction.
        QLibrary library(QDir(dir).filePath(QStringLiteral("lumiroka_wayland")));
        if (auto create = reinterpret_cast<CreateWaylandActivation>(library.resolve(kCreateWaylandActivationSymbol))) {
            m_backend.reset(create(display));
            break;
        }
    }
    if (!m_backend)
        qInfo("lumiroka: the compositor cannot be asked to show the window (no xdg_activation_v1 or no plugin)");
    return m_backend.get();
}

bool WaylandActivation::activate(QWindow *window, const QString &token)
{
    if (!window || !backend())
        return false;
    ++m_generation;
    if (mapped(window)) {
        send(window, token);
        return true;
    }
    // Just shown: the request needs the surface the compositor maps.
    m_waiting = window;
    m_waitingToken = token;
    m_mapPolls = 0;
    if (!m_mapWait) {
        m_mapWait = std::make_unique<QTimer>();
        m_mapWait->setInterval(kMapPollMs);
        QObject::connect(m_mapWait.get(), &QTimer::timeout, [this] { whenMapped(); });
    }
    m_mapWait->start();
    return true;
}

void WaylandActivation::whenMapped()
{
    QWindow *window = m_waiting;
    if (!window || !window->isVisible() || ++m_mapPolls * kMapPollMs > kMapWaitMs) {
        m_mapWait->stop();
        return;
    }
    if (!mapped(window))
        return;
    m_mapWait->stop();
    send(window, m_waitingToken);
}

void WaylandActivation::send(QWindow *window, const QString &token)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    void *surface = native ? native->nativeResourceForWindow("surface", window) : nullptr;
    if (!surface)
        return;
    if (!token.isEmpty()) {
        m_backend->activate(surface, token.toStdString());
        return;
    }
    // The surface is looked up again when the token comes: Qt makes a new one each time
    // the window is shown.
    m_backend->requestToken(surface, QGuiApplication::desktopFileName().toStdString(),
                            [this, window = QPointer<QWindow>(window), generation = m_generation](std::string value) {
                                if (!window || !mapped(window) || generation != m_generation || value.empty())
                                    return;
                                send(window, QString::fromStdString(value));
                            });
}

} // namespace lumiroka

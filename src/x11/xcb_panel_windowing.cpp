#include "x11/xcb_panel_windowing.h"

#include "x11/xcb_input_window.h"
#include "x11/xcb_outline_shape.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>

namespace halomark::x11 {
namespace {

// How the outline band is cut, per point: wide enough that the 4.4-point strokes show whole,
// narrow enough that a veil becomes a frame rather than a sheet.
constexpr OutlineShapeRule kOutlineRule{4, 85};

// Input windows kept for the next panels: enough for a ring, a selection and two veils at once.
constexpr std::size_t kSpareInputWindows = 4;

OutlineShapeRule outlineRuleAt(double scale)
{
    return {std::max(1, static_cast<int>(std::lround(kOutlineRule.bandWidth * scale))),
            kOutlineRule.alphaThreshold};
}

xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

// A panel without a compositor: what its view painted, in opaque colours, shaped to its
// outline band, and the input window that takes its mouse.
class XcbPanelWindowing::OutlineDrawing final : public qt::QtPanelDrawing
{
public:
    OutlineDrawing(qt::QtPanel& panel, XcbPanelWindowing& windowing)
        : panel(panel), windowing(windowing),
          // It covers the same pixels as the panel's window.
          inputWindow(windowing.takeInputWindow())
    {
        if (inputWindow) {
            inputWindow->setHandler([owner = &panel](PointerAction action, QPointF at) {
                owner->forwardMouse(action, at);
            });
        }
        refreshTimer.setSingleShot(true);
        refreshTimer.setInterval(0);
        QObject::connect(&refreshTimer, &QTimer::timeout, [this] { refresh(); });
    }

    ~OutlineDrawing() override
    {
        if (QWidget* window = panel.widget()) {
            window->clearMask();
        }
        if (inputWindow) {
            inputWindow->hide();
            inputWindow->setHandler(nullptr);
            windowing.keepInputWindow(std::move(inputWindow));
        }
    }

    void damage(const QRect& rect) override
    {
        dirty += rect;
        if (panel.isVisible()) {
            refreshTimer.start();
        }
    }

    void refresh() override
    {
        refreshTimer.stop();
        QWidget* window = panel.widget();
        if (!window || !panel.isVisible()) {
            return;
        }
        const QRect changed = dirty.boundingRect() & window->rect();
        dirty = QRegion();
        if (!changed.isEmpty() || !image) {
            render(*window, changed);
        }
        panel.updateWindowShown();
        window->update(changed);
    }

    void paint(QPainter& painter, const QRegion& region) override
    {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (image) {
            for (const QRect& rect : region) {
                painter.drawImage(rect, *image, rect);
            }
        }
    }

    bool shapeWindow() override
    {
        if (!windowing.toldAboutCompositor) {
            windowing.toldAboutCompositor = true;
            qInfo("halomark: no compositor is running, so the overlays show only their outlines "
                  "in opaque colours; run a compositing manager (such as picom) for the "
                  "translucent cues.");
        }
        if (mask.isEmpty()) {
            return false;
        }
        // A mask must be set before the window maps: without it the window is an opaque sheet.
        panel.widget()->setMask(mask);
        return true;
    }

    bool takesMouseElsewhere() const override { return inputWindow != nullptr; }

    bool windowChanged() override
    {
        if (!inputWindow) {
            return false;
        }
        if (panel.isVisible() && !panel.ignoresMouseEvents()) {
            inputWindow->setGeometry(panel.widget()->geometry());
            if (!inputWindow->isShown()) {
                inputWindow->show();
                return true;
            }
        } else if (inputWindow->isShown()) {
            inputWindow->hide();
        }
        return false;
    }

    void raise() override
    {
        if (inputWindow && inputWindow->isShown()) {
            inputWindow->raise();
        }
    }

private:
    void render(const QWidget& window, const QRect& requested)
    {
        QRect changed = requested;
        if (!image || image->size() != window.size()) {
            image = std::make_unique<QImage>(window.size(), QImage::Format_RGB32);
            image->fill(Qt::black);
            mask = QRegion();
            changed = window.rect();
        }
        if (changed.isEmpty()) {
            return;
        }
        // The band of a pixel depends on its neighbours within the band width: draw those too.
        const OutlineShapeRule rule = outlineRuleAt(panel.backingScaleFactor());
        const int margin = rule.bandWidth + 1;
        const QRect drawn = changed.adjusted(-margin, -margin, margin, margin) & window.rect();
        QImage painted(drawn.size(), QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        {
            QPainter painter(&painted);
            painter.translate(-drawn.topLeft());
            panel.drawView(painter);
        }
        const QRect local = changed.translated(-drawn.topLeft());
        const QRegion band = outlineBand(painted, local, rule).translated(drawn.topLeft());
        {
            QPainter painter(image.get());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(changed.topLeft(), opaqueColors(painted.copy(local)));
        }
        mask = mask.subtracted(changed).united(band);
    }

    qt::QtPanel& panel;
    XcbPanelWindowing& windowing;
    std::unique_ptr<XcbInputWindow> inputWindow; // none off an X server
    QTimer refreshTimer;
    std::unique_ptr<QImage> image;
    QRegion mask;  // what shows, in the window's pixels
    QRegion dirty; // what changed since the last refresh
};

void XcbPanelWindowing::prepareWindow(QWidget& window)
{
    window.setWindowFlags(window.windowFlags() | Qt::X11BypassWindowManagerHint);
    window.setAttribute(Qt::WA_X11DoNotAcceptFocus);
    // The input window that a panel takes without a compositor is made ahead with its window.
    if (spareInputWindows.empty()) {
        if (auto made = XcbInputWindow::create(nullptr)) {
            spareInputWindows.push_back(std::move(made));
        }
    }
}

std::unique_ptr<qt::QtPanelDrawing> XcbPanelWindowing::makeOpaqueDrawing(qt::QtPanel& panel)
{
    return std::make_unique<OutlineDrawing>(panel, *this);
}

std::unique_ptr<XcbInputWindow> XcbPanelWindowing::takeInputWindow()
{
    if (spareInputWindows.empty()) {
        return XcbInputWindow::create(nullptr);
    }
    auto window = std::move(spareInputWindows.back());
    spareInputWindows.pop_back();
    return window;
}

void XcbPanelWindowing::keepInputWindow(std::unique_ptr<XcbInputWindow> window)
{
    if (spareInputWindows.size() < kSpareInputWindows) {
        spareInputWindows.push_back(std::move(window));
        return;
    }
    // The panel may go from inside the input window's own event: delete it afterwards.
    std::shared_ptr<XcbInputWindow> later(std::move(window));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [later] {}, Qt::QueuedConnection);
}

void XcbPanelWindowing::flush()
{
    // Qt sends what it was asked when its own X event source next runs, which in an otherwise
    // idle loop can be long after the request.
    if (xcb_connection_t* connection = qtConnection()) {
        xcb_flush(connection);
    }
}

} // namespace halomark::x11

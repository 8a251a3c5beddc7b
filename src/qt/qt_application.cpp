#include "qt/qt_application.h"

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace halomark::qt {

QtApplication::QtApplication()
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, this,
                     [this] { tellDelegateOfTermination(); });
}

int QtApplication::run()
{
    if (terminated) {
        return 0;
    }
    QTimer::singleShot(0, this, [this] { finishLaunching(); });
    return QApplication::exec();
}

void QtApplication::finishLaunching()
{
    if (terminated) {
        return;
    }
    if (auto receiver = delegate.lock()) {
        receiver->applicationDidFinishLaunching();
    }
}

void QtApplication::setDelegate(std::weak_ptr<ApplicationDelegate> value)
{
    delegate = std::move(value);
}

void QtApplication::setActivationPolicy(ActivationPolicy value)
{
    policy = value;
}

void QtApplication::activateIgnoringOtherApps(bool)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowFlags flags = window->windowFlags();
        if (!window->isVisible() || flags.testFlag(Qt::WindowDoesNotAcceptFocus) ||
            window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip) {
            continue;
        }
        window->raise();
        window->activateWindow();
    }
}

void QtApplication::terminate()
{
    if (terminated) {
        return;
    }
    tellDelegateOfTermination();
    // Ends the main loop and every loop nested in it. Asked with no loop running, Qt would
    // end every loop started later at once instead.
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}

void QtApplication::tellDelegateOfTermination()
{
    if (terminated) {
        return;
    }
    terminated = true;
    if (auto receiver = delegate.lock()) {
        receiver->applicationWillTerminate();
    }
}

} // namespace halomark::qt

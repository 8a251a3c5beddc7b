#include "qt/qt_alerts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <utility>
#include <vector>

namespace halomark::qt {
namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::informational:
        return QMessageBox::Information;
    case AlertStyle::critical:
        return QMessageBox::Critical;
    case AlertStyle::warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

QtAlerts::QtAlerts(QString windowTitle) : windowTitle(std::move(windowTitle)) {}

void QtAlerts::setShownHandler(std::function<void(QMessageBox&)> handler)
{
    shownHandler = std::move(handler);
}

ModalResponse QtAlerts::runModal(const Alert& alert)
{
    QMessageBox box;
    box.setWindowTitle(windowTitle);
    box.setIcon(iconFor(alert.style));
    box.setText(QString::fromStdString(alert.title));
    box.setInformativeText(QString::fromStdString(alert.message));
    box.setWindowModality(Qt::ApplicationModal);
    // On top, since the program has no window of its own that the box could sit over.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);

    std::vector<QAbstractButton*> buttons;
    // One role for all keeps them in the order given instead of the platform's role order.
    for (const std::string& title : alert.buttons) {
        buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::ActionRole));
    }
    if (buttons.empty()) {
        // A box needs a way out; it answers as a first button would.
        buttons.push_back(box.addButton(QMessageBox::Ok));
    }
    if (auto* first = qobject_cast<QPushButton*>(buttons.front())) {
        box.setDefaultButton(first);
    }
    box.setEscapeButton(buttons.back());

    QPointer<QMessageBox> shown(&box);
    QTimer::singleShot(0, &box, [this, shown] {
        if (!shown) {
            return;
        }
        shown->raise();
        shown->activateWindow();
        if (shownHandler) {
            shownHandler(*shown);
        }
    });
    box.exec();

    QAbstractButton* clicked = box.clickedButton();
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (buttons[index] == clicked) {
            return alertFirstButtonReturn + static_cast<ModalResponse>(index);
        }
    }
    return alertFirstButtonReturn + static_cast<ModalResponse>(buttons.size() - 1);
}

} // namespace halomark::qt

// Modal alerts as QMessageBoxes: the title as the box's main text, the message below it, an
// icon after the style, and the buttons left to right in the order given, the first being the
// default. The box is raised and activated so that it comes up over other applications, and
// its answer is 1000 + the index of the button that closed it. Escape and the window's close
// button answer with the only button, or with the last of several (the one that changes
// nothing in every alert this program shows).
#pragma once

#include "platform/alerts.h"

#include <QString>

#include <functional>

class QMessageBox;

namespace halomark::qt {

class QtAlerts final : public Alerts
{
public:
    // The window title of every box: the program's name.
    explicit QtAlerts(QString windowTitle = QStringLiteral("Halomark"));

    ModalResponse runModal(const Alert& alert) override;

    // Called with each box once it is up, before the user answers; tests answer through it.
    void setShownHandler(std::function<void(QMessageBox&)> handler);

private:
    QString windowTitle;
    std::function<void(QMessageBox&)> shownHandler;
};

} // namespace halomark::qt

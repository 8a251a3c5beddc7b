// The application port on QApplication. run() tells the delegate that launching has finished
// on the first turn of the event loop and runs the loop; terminate() tells the delegate that
// the application will terminate and then ends every running loop, nested ones (an open menu
// or alert) included. The delegate hears of termination exactly once, also when the loop ends
// some other way (a session manager asking the program to quit).
#pragma once

#include "platform/application.h"

#include <QObject>

#include <memory>
#include <optional>

namespace halomark::qt {

class QtApplication final : public QObject, public Application
{
public:
    // Needs the QApplication to exist.
    QtApplication();

    // Runs the event loop until the application terminates; returns the loop's exit code.
    int run();

    // Whether the delegate has been told of termination.
    bool isTerminated() const { return terminated; }
    std::optional<ActivationPolicy> activationPolicy() const { return policy; }

    // Application.
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) override;
    // No window of this program appears in task bars or pagers in any case: the only windows
    // are overlays, which bypass the window manager, and dialogs, which belong to no task.
    void setActivationPolicy(ActivationPolicy policy) override;
    // Raises and activates this program's windows that take focus (its dialogs), so that the
    // one shown last gets the input.
    void activateIgnoringOtherApps(bool flag) override;
    void terminate() override;

private:
    void finishLaunching();
    void tellDelegateOfTermination();

    std::weak_ptr<ApplicationDelegate> delegate;
    std::optional<ActivationPolicy> policy;
    bool terminated = false;
};

} // namespace halomark::qt

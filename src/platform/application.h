// The application port: how the process presents itself (no dock entry, no menu bar for a
// status-bar utility), taking the input focus for its own dialogs, and quitting. The
// platform tells the delegate when launching has finished and when the application is about
// to terminate, including a termination the application asked for itself.
#pragma once

#include <memory>

namespace halomark {

enum class ActivationPolicy
{
    regular = 0,
    accessory = 1, // no dock entry and no application menu bar
    prohibited = 2
};

class ApplicationDelegate
{
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillTerminate() = 0;
};

class Application
{
public:
    virtual ~Application() = default;
    // The delegate is held weakly; the program's entry owns it.
    virtual void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    // Makes this application active, taking the focus even from the frontmost application.
    virtual void activateIgnoringOtherApps(bool flag) = 0;
    // Tells the delegate that the application will terminate, then ends the run loop.
    virtual void terminate() = 0;
};

} // namespace halomark

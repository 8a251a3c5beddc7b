#include "app/app_model.h"

#include <utility>

namespace halomark {

std::shared_ptr<AppModel> AppModel::create(Platform& platform,
                                           const AppearanceSettings& appearanceSettings)
{
    auto model = std::make_shared<AppModel>(Passkey{}, platform, appearanceSettings);
    // The callbacks refer to the model weakly, which needs the model's owner to exist.
    model->installCallbacks();
    return model;
}

AppModel::AppModel(Passkey, Platform& platform, const AppearanceSettings& appearanceSettings)
    : monitor(std::make_shared<CommandKeyMonitor>(platform.mainLoop, platform.input)),
      focusCueMonitor(std::make_shared<FocusCueMonitor>(
          platform.mainLoop, platform.input,
          ResolverPorts{platform.workspace, platform.windowServer, platform.accessibility,
                        platform.screens})),
      overlayController(std::make_shared<LocatorOverlayController>(
          platform.mainLoop, platform.input, platform.screens, platform.panels,
          appearanceSettings)),
      focusCueOverlayController(std::make_shared<FocusCueOverlayController>(
          platform.screens, platform.panels,
          [&workspace = platform.workspace] { return workspace.operatingSystemMajorVersion(); })),
      rangeSelectionOverlayController(std::make_shared<RangeSelectionOverlayController>(
          platform.mainLoop, platform.input, platform.screens, platform.panels,
          appearanceSettings)),
      pointerCues(std::make_shared<PointerCueController>(platform.mainLoop, platform.input,
                                                         platform.screens, platform.panels,
                                                         appearanceSettings)),
      mainLoop(platform.mainLoop), settings(platform.settings)
{
    enabled = true;
    shortcut = loadRangeSelectionShortcut();
    focusCueOn = loadBool(focusCueEnabledKey, true);
    monitor->setSelectionShortcut(shortcut);
    if (const auto text = settings.stringForKey(locatorKeyKey)) {
        monitor->setLocatorKey(locatorKeyFromRawValue(*text).value_or(defaultLocatorKey));
    }
    // Suspended until start(), so that nothing samples before launch.
    pointerCues->setSuspended(true);
    pointerCues->setShowClicksEnabled(settings.boolForKey(showClicksEnabledKey));
}

void AppModel::defer(std::function<void(AppModel&)> action)
{
    std::weak_ptr<AppModel> weak = weak_from_this();
    mainLoop.post([weak, action = std::move(action)] {
        if (auto self = weak.lock()) {
            action(*self);
        }
    });
}

void AppModel::installCallbacks()
{
    // Each report is acted on in a later turn, so no controller is entered from inside a
    // monitor's pass, and a switch changed in between is honoured. The closures hold the
    // model weakly; the loop outlives every component.
    std::weak_ptr<AppModel> weak = weak_from_this();
    auto later = [weak](std::function<void(AppModel&)> action) {
        return [weak, action = std::move(action)] {
            if (auto self = weak.lock()) {
                self->defer(action);
            }
        };
    };

    monitor->onCommandKeyTap = [weak] {
        if (auto self = weak.lock()) {
            self->locate();
        }
    };
    monitor->onSelectionShortcutPressed =
        later([](AppModel& model) { model.rangeSelectionOverlayController->beginSelection(); });
    monitor->onSelectionShortcutReleased =
        later([](AppModel& model) { model.rangeSelectionOverlayController->endSelection(); });
    monitor->onFocusSwitchShortcutReleased = later([](AppModel& model) {
        if (model.enabled && model.focusCueOn) {
            model.focusCueMonitor->handleFocusSwitchShortcutReleased();
        }
    });
    focusCueMonitor->onFocusCue = [weak](const FocusCueEvent& event) {
        if (auto self = weak.lock()) {
            const Rect frame = event.target.frame;
            self->defer([frame](AppModel& model) {
                if (model.enabled && model.focusCueOn) {
                    model.focusCueOverlayController->show(frame);
                }
            });
        }
    };
    focusCueMonitor->onFocusCueUnavailable =
        later([](AppModel& model) { model.focusCueOverlayController->hide(); });
    // At once, so that a press that became a range selection never shows the ring. The
    // monitor never refers to the selection controller, so holding it strongly makes no cycle.
    rangeSelectionOverlayController->onUserInteractionStarted = [monitor = monitor] {
        monitor->cancelPendingTap();
    };
}

void AppModel::start()
{
    if (!enabled) {
        return;
    }
    monitor->setSelectionShortcut(shortcut);
    monitor->start();
    if (focusCueOn) {
        focusCueMonitor->start();
    }
    pointerCues->setSuspended(false);
}

void AppModel::stop()
{
    pointerCues->stop();
    monitor->stop();
    focusCueMonitor->stop();
    overlayController->hideAll();
    focusCueOverlayController->hide();
    rangeSelectionOverlayController->dismiss();
}

void AppModel::setEnabled(bool value)
{
    enabled = value;
    if (enabled) {
        monitor->setSelectionShortcut(shortcut);
        monitor->start();
        if (focusCueOn) {
            focusCueMonitor->start();
        }
        pointerCues->setSuspended(false);
    } else {
        stop();
    }
}

void AppModel::setSpotlightEnabled(bool value)
{
    if (pointerCues->isAvailable()) {
        pointerCues->setSpotlightEnabled(value);
    }
}

void AppModel::setShowClicksEnabled(bool value)
{
    if (!pointerCues->isAvailable()) {
        return;
    }
    settings.setBool(showClicksEnabledKey, value);
    pointerCues->setShowClicksEnabled(value);
}

void AppModel::setFocusCueEnabled(bool value)
{
    focusCueOn = value;
    settings.setBool(focusCueEnabledKey, value);
    if (value && enabled) {
        focusCueMonitor->start();
    } else {
        focusCueMonitor->stop();
        focusCueOverlayController->hide();
    }
}

void AppModel::setRangeSelectionShortcut(RangeSelectionShortcut value)
{
    if (value == shortcut) {
        return;
    }
    rangeSelectionOverlayController->dismiss();
    shortcut = value;
    settings.setString(rangeSelectionShortcutKey, std::string(rawValue(value)));
    monitor->setSelectionShortcut(value);
}

void AppModel::setLocatorKey(LocatorKey key)
{
    settings.setString(locatorKeyKey, std::string(rawValue(key)));
    monitor->setLocatorKey(key);
}

void AppModel::locate()
{
    defer([](AppModel& model) {
        if (model.enabled) {
            model.overlayController->showAtPointer();
        }
    });
}

RangeSelectionShortcut AppModel::loadRangeSelectionShortcut()
{
    if (const auto text = settings.stringForKey(rangeSelectionShortcutKey)) {
        if (const auto stored = rangeSelectionShortcutFromRawValue(*text)) {
            return *stored;
        }
    }
    // Earlier versions only knew on or off; off carries over as `disabled`, anything else as
    // the default shortcut. The answer is stored so the old key is read only once.
    if (settings.hasValue(legacyCommandSelectionKey) &&
        !settings.boolForKey(legacyCommandSelectionKey)) {
        settings.setString(rangeSelectionShortcutKey,
                           std::string(rawValue(RangeSelectionShortcut::disabled)));
        return RangeSelectionShortcut::disabled;
    }
    settings.setString(rangeSelectionShortcutKey,
                       std::string(rawValue(RangeSelectionShortcut::command)));
    return RangeSelectionShortcut::command;
}

bool AppModel::loadBool(const std::string& key, bool defaultValue)
{
    if (settings.hasValue(key)) {
        return settings.boolForKey(key);
    }
    settings.setBool(key, defaultValue);
    return defaultValue;
}

} // namespace halomark

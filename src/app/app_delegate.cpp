#include "app/app_delegate.h"

#include "app/build_info.h"

#include <string_view>
#include <utility>

namespace halomark {
namespace {

MenuItemState stateFor(bool on)
{
    return on ? MenuItemState::on : MenuItemState::off;
}

// The modifier names are the platform's ("⌘", or "Super" on Linux); "Drag" is translated.
std::string rangeSelectionTitle(RangeSelectionShortcut shortcut, const ModifierKeyNames& keys,
                                const std::string& drag, const std::string& off)
{
    switch (shortcut) {
    case RangeSelectionShortcut::command:
        return keys.command + " + " + drag;
    case RangeSelectionShortcut::controlCommand:
        return keys.control + " + " + keys.command + " + " + drag;
    case RangeSelectionShortcut::optionCommand:
        return keys.option + " + " + keys.command + " + " + drag;
    case RangeSelectionShortcut::disabled:
        break;
    }
    return off;
}

Key locatorKeyTitleKey(LocatorKey key)
{
    switch (key) {
    case LocatorKey::super:
        return Key::locatorKeySuper;
    case LocatorKey::rightControl:
        return Key::locatorKeyRightControl;
    case LocatorKey::rightAlt:
        return Key::locatorKeyRightAlt;
    case LocatorKey::none:
        break;
    }
    return Key::locatorKeyNone;
}

Key colorTitleKey(AppearanceSettings::ColorChoice choice)
{
    using Choice = AppearanceSettings::ColorChoice;
    switch (choice) {
    case Choice::defaultWhite:
        return Key::colorDefault;
    case Choice::red:
        return Key::colorRed;
    case Choice::orange:
        return Key::colorOrange;
    case Choice::yellow:
        return Key::colorYellow;
    case Choice::green:
        return Key::colorGreen;
    case Choice::cyan:
        return Key::colorCyan;
    case Choice::blue:
        return Key::colorBlue;
    case Choice::purple:
        return Key::colorPurple;
    case Choice::custom:
        break;
    }
    return Key::colorCustom;
}

} // namespace

AppDelegate::AppDelegate(Platform& platform)
    : AppDelegate(platform,
                  LocalizationManager::shared(
                      platform.settings,
                      [&workspace = platform.workspace] { return workspace.preferredLanguages(); },
                      [&workspace = platform.workspace] { return workspace.textFamily(); }),
                  AppearanceSettings::shared(platform.settings))
{}

AppDelegate::AppDelegate(Platform& platform, std::shared_ptr<LocalizationManager> localization,
                         std::shared_ptr<AppearanceSettings> appearanceSettings)
    : appModel(AppModel::create(platform, *appearanceSettings)),
      localization(std::move(localization)), appearanceSettings(std::move(appearanceSettings)),
      privacyPolicyURL(build_info::privacyPolicyAddress()),
      supportURL(build_info::supportAddress()), platform(platform)
{}

void AppDelegate::applicationDidFinishLaunching()
{
    platform.application.setActivationPolicy(ActivationPolicy::accessory);
    createStatusItem();
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    platform.screens.setChangeHandler([weak] {
        if (auto self = weak.lock()) {
            self->screenParametersDidChange();
        }
    });
    appModel->start();
    // In a later turn, so that the status item is up before a question is asked.
    platform.mainLoop.post([weak] {
        if (auto self = weak.lock()) {
            self->askAboutLocatorKeyConflict();
        }
    });
}

void AppDelegate::askAboutLocatorKeyConflict()
{
    if (appModel->locatorKey() != LocatorKey::super ||
        platform.settings.boolForKey(locatorKeyConflictAnsweredKey)) {
        return;
    }
    const auto desktop = platform.workspace.desktopReactingToSuperTap();
    if (!desktop) {
        return;
    }
    std::string message = text(Key::locatorKeyConflictMessage);
    constexpr std::string_view placeholder = "{desktop}";
    if (const auto at = message.find(placeholder); at != std::string::npos) {
        message.replace(at, placeholder.size(), *desktop);
    }
    platform.application.activateIgnoringOtherApps(true);
    const ModalResponse response =
        platform.alerts.runModal(Alert{text(Key::locatorKeyConflictTitle),
                                       message,
                                       AlertStyle::informational,
                                       {text(Key::useRightControl), text(Key::keepSuper)}});
    platform.settings.setBool(locatorKeyConflictAnsweredKey, true);
    if (response == alertFirstButtonReturn) {
        appModel->setLocatorKey(LocatorKey::rightControl);
        rebuildMenu();
    }
}

void AppDelegate::createStatusItem()
{
    auto newItem = platform.statusBar.statusItem(StatusBar::squareLength);
    if (StatusBarButton* button = newItem->button()) {
        button->setImage(statusItemSymbolName, productName);
        button->setToolTip(productName);
    }
    auto newMenu = std::make_shared<Menu>();
    newItem->setMenu(newMenu);
    item = std::move(newItem);
    menu = std::move(newMenu);
    rebuildMenu();
}

void AppDelegate::screenParametersDidChange()
{
    if (appModel->isEnabled() && appModel->focusCueEnabled()) {
        appModel->focusCueMonitor->refreshNow();
    }
    appModel->pointerCues->screensChanged();
}

void AppDelegate::applicationWillTerminate()
{
    platform.screens.setChangeHandler(nullptr);
    appModel->stop();
}

MenuItem AppDelegate::actionItem(std::string title, MenuAction action)
{
    MenuItem entry;
    entry.title = std::move(title);
    entry.action = action;
    entry.target = weak_from_this();
    return entry;
}

void AppDelegate::rebuildMenu()
{
    if (onStateChanged) {
        onStateChanged();
    }
    if (!menu) {
        return;
    }
    menu->removeAllItems();
    const bool enabled = appModel->isEnabled();

    MenuItem monitoring = actionItem(text(Key::enableHalomark), MenuAction::toggleMonitoring);
    monitoring.state = stateFor(enabled);
    menu->addItem(std::move(monitoring));

    MenuItem focusCue = actionItem(text(Key::focusCue), MenuAction::toggleFocusCue);
    focusCue.state = stateFor(appModel->focusCueEnabled());
    focusCue.enabled = enabled;
    menu->addItem(std::move(focusCue));

    // Both follow the pointer and the buttons every refresh: where those cannot be read they
    // cannot work.
    const bool pointerCuesWork = enabled && appModel->pointerCues->isAvailable();
    MenuItem spotlight = actionItem(text(Key::spotlight), MenuAction::toggleSpotlight);
    spotlight.state = stateFor(appModel->spotlightEnabled());
    spotlight.enabled = pointerCuesWork;
    menu->addItem(std::move(spotlight));

    MenuItem showClicks = actionItem(text(Key::showClicks), MenuAction::toggleShowClicks);
    showClicks.state = stateFor(appModel->showClicksEnabled());
    showClicks.enabled = pointerCuesWork;
    menu->addItem(std::move(showClicks));

    MenuItem rangeSelection = makeRangeSelectionMenuItem();
    // The shortcut is a key held with a button: where neither can be read it cannot work.
    rangeSelection.enabled = enabled && platform.input.readsKeysAndButtons();
    menu->addItem(std::move(rangeSelection));

    MenuItem locatorKey = makeLocatorKeyMenuItem();
    locatorKey.enabled = enabled;
    menu->addItem(std::move(locatorKey));

    menu->addItem(MenuItem::separator());

    MenuItem launchAtLogin = actionItem(text(Key::launchAtLogin), MenuAction::toggleLaunchAtLogin);
    launchAtLogin.state = stateFor(platform.loginItems.status() == LoginItemStatus::enabled);
    menu->addItem(std::move(launchAtLogin));

    menu->addItem(makeLanguageMenuItem());
    menu->addItem(makeColorMenuItem());

    menu->addItem(MenuItem::separator());

    menu->addItem(actionItem(text(Key::howToUse), MenuAction::showHowToUse));
    menu->addItem(actionItem(text(Key::aboutHalomark), MenuAction::showAbout));
    menu->addItem(actionItem(text(Key::privacyPolicy), MenuAction::showPrivacyPolicy));
    menu->addItem(actionItem(text(Key::support), MenuAction::openSupport));
    MenuItem quitItem = actionItem(text(Key::quitHalomark), MenuAction::quit);
    quitItem.keyEquivalent = "q";
    menu->addItem(std::move(quitItem));
}

MenuItem AppDelegate::makeRangeSelectionMenuItem()
{
    const std::string title = text(Key::rangeSelectionShortcut);
    const std::string drag = text(Key::drag);
    const std::string off = text(Key::off);
    const ModifierKeyNames keys = platform.workspace.modifierKeyNames();
    auto submenu = std::make_shared<Menu>(title);
    for (RangeSelectionShortcut shortcut : allRangeSelectionShortcuts) {
        MenuItem entry = actionItem(rangeSelectionTitle(shortcut, keys, drag, off),
                                    MenuAction::selectRangeSelectionShortcut);
        entry.representedObject = std::string(rawValue(shortcut));
        entry.state = stateFor(shortcut == appModel->rangeSelectionShortcut());
        submenu->addItem(std::move(entry));
    }
    MenuItem parent;
    parent.title = title;
    parent.submenu = std::move(submenu);
    return parent;
}

MenuItem AppDelegate::makeLocatorKeyMenuItem()
{
    const std::string title = text(Key::locatorKey);
    auto submenu = std::make_shared<Menu>(title);
    for (LocatorKey key : allLocatorKeys) {
        MenuItem entry = actionItem(text(locatorKeyTitleKey(key)), MenuAction::selectLocatorKey);
        entry.representedObject = std::string(rawValue(key));
        entry.state = stateFor(key == appModel->locatorKey());
        submenu->addItem(std::move(entry));
    }
    MenuItem parent;
    parent.title = title;
    parent.submenu = std::move(submenu);
    return parent;
}

MenuItem AppDelegate::makeLanguageMenuItem()
{
    const std::string title = text(Key::language);
    auto submenu = std::make_shared<Menu>(title);
    for (Language language : allLanguages) {
        MenuItem entry = actionItem(localization->menuTitle(language), MenuAction::selectLanguage);
        entry.representedObject = std::string(rawValue(language));
        entry.state = stateFor(language == localization->selectedLanguage());
        submenu->addItem(std::move(entry));
    }
    MenuItem parent;
    parent.title = title;
    parent.submenu = std::move(submenu);
    return parent;
}

MenuItem AppDelegate::makeColorMenuItem()
{
    const std::string title = text(Key::color);
    auto submenu = std::make_shared<Menu>(title);
    for (AppearanceSettings::ColorChoice choice : AppearanceSettings::allColorChoices) {
        MenuItem entry = actionItem(text(colorTitleKey(choice)), MenuAction::selectColor);
        entry.representedObject = std::string(AppearanceSettings::rawValue(choice));
        entry.state = stateFor(choice == appearanceSettings->selectedChoice());
        submenu->addItem(std::move(entry));
    }
    MenuItem parent;
    parent.title = title;
    parent.submenu = std::move(submenu);
    return parent;
}

void AppDelegate::performMenuAction(const MenuItem& sender)
{
    if (!sender.action) {
        return;
    }
    switch (*sender.action) {
    case MenuAction::toggleMonitoring:
        toggleMonitoring();
        break;
    case MenuAction::toggleFocusCue:
        toggleFocusCue();
        break;
    case MenuAction::toggleSpotlight:
        toggleSpotlight();
        break;
    case MenuAction::toggleShowClicks:
        toggleShowClicks();
        break;
    case MenuAction::selectRangeSelectionShortcut:
        selectRangeSelectionShortcut(sender);
        break;
    case MenuAction::selectLocatorKey:
        selectLocatorKey(sender);
        break;
    case MenuAction::toggleLaunchAtLogin:
        toggleLaunchAtLogin();
        break;
    case MenuAction::selectLanguage:
        selectLanguage(sender);
        break;
    case MenuAction::selectColor:
        selectColor(sender);
        break;
    case MenuAction::showHowToUse:
        showHowToUse();
        break;
    case MenuAction::showAbout:
        showAbout();
        break;
    case MenuAction::showPrivacyPolicy:
        showPrivacyPolicy();
        break;
    case MenuAction::openSupport:
        openSupport();
        break;
    case MenuAction::quit:
        quit();
        break;
    }
}

void AppDelegate::toggleMonitoring()
{
    setMonitoring(!appModel->isEnabled());
}

void AppDelegate::toggleFocusCue()
{
    setFocusCue(!appModel->focusCueEnabled());
}

void AppDelegate::toggleSpotlight()
{
    setSpotlight(!appModel->spotlightEnabled());
}

void AppDelegate::toggleShowClicks()
{
    setShowClicks(!appModel->showClicksEnabled());
}

void AppDelegate::setSpotlight(bool enabled)
{
    appModel->setSpotlightEnabled(enabled);
    rebuildMenu();
}

void AppDelegate::setShowClicks(bool enabled)
{
    appModel->setShowClicksEnabled(enabled);
    rebuildMenu();
}

void AppDelegate::setMonitoring(bool enabled)
{
    appModel->setEnabled(enabled);
    rebuildMenu();
}

void AppDelegate::locate()
{
    appModel->locate();
}

void AppDelegate::setFocusCue(bool enabled)
{
    const bool wasOn = appModel->focusCueEnabled();
    appModel->setFocusCueEnabled(enabled);
    rebuildMenu();
    if (wasOn || !enabled) {
        return;
    }
    // The monitor has just started; look the active window up once more after a moment, when
    // the switches are still on then.
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    platform.mainLoop.postAfter(focusRefreshDelay, [weak] {
        auto self = weak.lock();
        if (self && self->appModel->isEnabled() && self->appModel->focusCueEnabled()) {
            self->appModel->focusCueMonitor->refreshNow();
        }
    });
}

void AppDelegate::selectRangeSelectionShortcut(const MenuItem& sender)
{
    if (!sender.representedObject) {
        return;
    }
    const auto shortcut = rangeSelectionShortcutFromRawValue(*sender.representedObject);
    if (!shortcut) {
        return;
    }
    appModel->setRangeSelectionShortcut(*shortcut);
    rebuildMenu();
}

void AppDelegate::selectLocatorKey(const MenuItem& sender)
{
    if (!sender.representedObject) {
        return;
    }
    if (const auto key = locatorKeyFromRawValue(*sender.representedObject)) {
        appModel->setLocatorKey(*key);
        rebuildMenu();
    }
}

void AppDelegate::selectLanguage(const MenuItem& sender)
{
    if (!sender.representedObject) {
        return;
    }
    const auto language = languageFromRawValue(*sender.representedObject);
    if (!language) {
        return;
    }
    // Stores the choice too.
    localization->setSelectedLanguage(*language);
    rebuildMenu();
}

void AppDelegate::selectColor(const MenuItem& sender)
{
    if (!sender.representedObject) {
        return;
    }
    const auto choice = AppearanceSettings::colorChoiceFromRawValue(*sender.representedObject);
    if (!choice) {
        return;
    }
    if (*choice == AppearanceSettings::ColorChoice::custom) {
        // The choice changes only once the panel reports a colour.
        showCustomColorPanel();
        return;
    }
    appearanceSettings->setSelectedChoice(*choice);
    rebuildMenu();
    scheduleColorPreview();
}

void AppDelegate::showCustomColorPanel()
{
    ColorPanel& panel = platform.colorPanel;
    panel.setContinuous(true);
    panel.setColor(appearanceSettings->color(AppearanceSettings::ColorChoice::custom));
    panel.setTarget(weak_from_this());
    panel.orderFront();
    platform.application.activateIgnoringOtherApps(true);
}

void AppDelegate::customColorChanged(ColorPanel& sender)
{
    appearanceSettings->setCustomColor(sender.color());
    rebuildMenu();
    scheduleColorPreview();
}

void AppDelegate::scheduleColorPreview()
{
    if (previewWorkItem) {
        previewWorkItem->cancel();
    }
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    previewWorkItem = WorkItem::make([weak] {
        auto self = weak.lock();
        if (self && self->appModel->isEnabled()) {
            self->appModel->overlayController->showAtPointer();
        }
    });
    platform.mainLoop.postAfter(colorPreviewDelay, previewWorkItem);
}

std::optional<std::string> AppDelegate::setLaunchAtLogin(bool enabled)
{
    const LoginItemStatus status = platform.loginItems.status();
    if (enabled) {
        if (status == LoginItemStatus::enabled) {
            return std::nullopt;
        }
        return platform.loginItems.registerItem();
    }
    if (status != LoginItemStatus::enabled && status != LoginItemStatus::requiresApproval) {
        return std::nullopt;
    }
    return platform.loginItems.unregisterItem();
}

void AppDelegate::toggleLaunchAtLogin()
{
    const bool wanted = platform.loginItems.status() != LoginItemStatus::enabled;
    if (const auto error = setLaunchAtLogin(wanted)) {
        showAlert(text(Key::loginErrorTitle), *error);
    }
    // The check mark shows whatever the service reports now.
    rebuildMenu();
}

void AppDelegate::showAlert(const std::string& title, const std::string& message)
{
    platform.application.activateIgnoringOtherApps(true);
    platform.alerts.runModal(Alert{title, message, AlertStyle::informational, {text(Key::ok)}});
}

void AppDelegate::showHowToUse()
{
    showAlert(text(Key::howToUseTitle), text(Key::howToUseMessage));
}

void AppDelegate::showAbout()
{
    std::string version = fallbackVersion;
    if (const auto value = platform.workspace.bundleValue(versionKey)) {
        if (const auto* declared = std::get_if<std::string>(&*value)) {
            version = *declared;
        }
    }
    showAlert(productName, text(Key::aboutMessage) + "\n\n" + text(Key::version) + " " + version);
}

void AppDelegate::showPrivacyPolicy()
{
    platform.application.activateIgnoringOtherApps(true);
    const ModalResponse response =
        platform.alerts.runModal(Alert{text(Key::privacyPolicyTitle),
                                       text(Key::privacyPolicyMessage),
                                       AlertStyle::informational,
                                       {text(Key::openWebVersion), text(Key::close)}});
    if (response == alertFirstButtonReturn) {
        platform.workspace.openURL(privacyPolicyURL);
    }
}

void AppDelegate::openSupport()
{
    platform.workspace.openURL(supportURL);
}

void AppDelegate::quit()
{
    platform.application.terminate();
}

} // namespace halomark

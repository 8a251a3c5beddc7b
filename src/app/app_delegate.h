// The application delegate: the launch sequence (no dock entry, the status item and its menu,
// display changes, the monitors), termination, the status menu rebuilt from scratch in the
// current language after every change it shows, and every menu action: the switches, the
// shortcut, the language, the colour with its debounced preview ring, launch at login, the
// dialogs and the two pages. Own it through a shared_ptr: menu items, the colour panel and
// delayed work hold it weakly.
#pragma once

#include "app/app_model.h"
#include "app/platform.h"
#include "localization/key.h"
#include "localization/localization_manager.h"
#include "locator/appearance_settings.h"
#include "platform/menu.h"
#include "platform/work_item.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace halomark {

class AppDelegate final : public ApplicationDelegate,
                          public MenuActionTarget,
                          public ColorPanelTarget,
                          public std::enable_shared_from_this<AppDelegate>
{
public:
    // After the highlight is switched on, the active window is looked up again this much later.
    static constexpr double focusRefreshDelay = 0.18;
    // A colour must rest this long before a preview ring shows it.
    static constexpr double colorPreviewDelay = 0.12;
    // Shown in the about dialog when the bundle declares no version text.
    static constexpr const char* fallbackVersion = "1.2.1";
    static constexpr const char* versionKey = "CFBundleShortVersionString";
    static constexpr const char* productName = "Halomark";
    static constexpr const char* statusItemSymbolName = "cursorarrow.rays";
    // Set once the user has answered the question about a desktop that reacts to a lone Super
    // tap too, whatever the answer; it is not asked again.
    static constexpr const char* locatorKeyConflictAnsweredKey =
        "Halomark.locatorKeyConflictAnswered";

    // With the process-wide localization manager and colour settings.
    explicit AppDelegate(Platform& platform);
    // With the given localization manager and colour settings: tests give each delegate its
    // own, so that no test sees what another one chose.
    AppDelegate(Platform& platform, std::shared_ptr<LocalizationManager> localization,
                std::shared_ptr<AppearanceSettings> appearanceSettings);

    // ApplicationDelegate.
    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

    void createStatusItem();
    void screenParametersDidChange();
    void rebuildMenu();

    // MenuActionTarget: runs the action of the chosen item.
    void performMenuAction(const MenuItem& sender) override;
    // ColorPanelTarget.
    void customColorChanged(ColorPanel& sender) override;

    // Called after every change the menu shows (switches, choices, language, colour), from the
    // menu, from commands or from the colour panel; the commands' service reports these.
    std::function<void()> onStateChanged;

    void toggleMonitoring();
    void toggleFocusCue();
    void toggleSpotlight();
    void toggleShowClicks();
    // What the switches' menu items do, to a given state; also the commands' way in.
    void setMonitoring(bool enabled);
    void setFocusCue(bool enabled);
    void setSpotlight(bool enabled);
    void setShowClicks(bool enabled);
    // The ring at the pointer, as a lone tap of the locator key shows it.
    void locate();
    void selectRangeSelectionShortcut(const MenuItem& sender);
    void selectLocatorKey(const MenuItem& sender);
    // At launch: when the locator key is Super and the desktop reacts to a lone Super tap
    // itself, says so once and offers to use right Control instead.
    void askAboutLocatorKeyConflict();
    void toggleLaunchAtLogin();
    void selectLanguage(const MenuItem& sender);
    void selectColor(const MenuItem& sender);
    void showHowToUse();
    void showAbout();
    void showPrivacyPolicy();
    void openSupport();
    void quit();

    // An informational alert with one button, brought up over other applications.
    void showAlert(const std::string& title, const std::string& message);
    // Registers or unregisters this application as a login item; the service's own
    // description of the error when it refuses.
    std::optional<std::string> setLaunchAtLogin(bool enabled);
    void showCustomColorPanel();
    void scheduleColorPreview();

    const std::shared_ptr<AppModel> appModel;
    const std::shared_ptr<LocalizationManager> localization;
    const std::shared_ptr<AppearanceSettings> appearanceSettings;
    const std::string privacyPolicyURL;
    const std::string supportURL;

    const std::shared_ptr<StatusItem>& statusItem() const { return item; }
    const std::shared_ptr<Menu>& statusMenu() const { return menu; }
    const WorkItemPtr& colorPreviewWorkItem() const { return previewWorkItem; }

private:
    std::string text(Key key) const { return localization->string(key); }
    MenuItem actionItem(std::string title, MenuAction action);
    MenuItem makeRangeSelectionMenuItem();
    MenuItem makeLocatorKeyMenuItem();
    MenuItem makeLanguageMenuItem();
    MenuItem makeColorMenuItem();

    Platform& platform;
    std::shared_ptr<StatusItem> item;
    std::shared_ptr<Menu> menu;
    WorkItemPtr previewWorkItem;
};

} // namespace halomark

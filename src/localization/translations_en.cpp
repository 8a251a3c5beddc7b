// The English texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> english()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Enable Halomark"},
        {Key::focusCue, "Highlight Active Window"},
        {Key::rangeSelectionShortcut, "Range Selection"},
        {Key::drag, "Drag"},
        {Key::off, "Off"},
        {Key::launchAtLogin, "Launch at Login"},
        {Key::language, "Language"},
        {Key::systemDefault, "System Default"},
        {Key::color, "Color"},
        {Key::colorDefault, "Default (White)"},
        {Key::colorRed, "Red"},
        {Key::colorOrange, "Orange"},
        {Key::colorYellow, "Yellow"},
        {Key::colorGreen, "Green"},
        {Key::colorCyan, "Cyan"},
        {Key::colorBlue, "Blue"},
        {Key::colorPurple, "Purple"},
        {Key::colorCustom, "Custom…"},
        {Key::howToUse, "How to Use"},
        {Key::howToUseTitle, "How to Use Halomark"},
        {Key::howToUseMessage,
         "Highlight the pointer\n"
         "Press and release the Command key to display a shrinking ring around the pointer. The ring uses a clear, deliberately paced animation designed to remain easy to notice during remote meetings and screen sharing, even when motion is displayed at a lower frame rate.\n"
         "\n"
         "Highlight the active window\n"
         "Enable Highlight Active Window to keep the active top-level window clear while covering the rest of that window's usable display area with a 50% translucent white veil. Displays that do not contain the active window remain unmasked. The highlighted area follows Command+Tab, Command+@ / Command+`, clicks, Dock, Stage Manager, Mission Control, and app-driven activation. Masked areas remain fully operable, the menu bar and Dock stay clear, and the pointer is never moved.\n"
         "\n"
         "Outline an area\n"
         "From Range Selection in the menu bar, choose Command + Drag, Control + Command + Drag, Option + Command + Drag, or Off. Hold the selected shortcut and left-drag to draw a temporary rectangle. The rectangle gradually fades out.\n"
         "\n"
         "Change the color\n"
         "Open the Color submenu to choose a preset or custom cue color. After you choose a color, a ring at the current pointer position previews it.\n"
         "\n"
         "Change the language\n"
         "Open the Language submenu to choose a display language. By default, Halomark follows your macOS preferred language.\n"
         "\n"
         "Launch at login\n"
         "Enable Launch at Login to start Halomark automatically when you sign in to your Mac."},
        {Key::aboutHalomark, "About Halomark"},
        {Key::aboutMessage,
         "Halomark is a macOS menu-bar utility for guiding your audience's attention during software demos, presentations, and screen sharing. It makes pointer locations, the active window, and important screen areas clear without moving the pointer automatically."},
        {Key::version, "Version"},
        {Key::privacyPolicy, "Privacy Policy"},
        {Key::privacyPolicyTitle, "Halomark Privacy Policy"},
        {Key::privacyPolicyMessage,
         "Halomark does not collect, store, transmit, or share personal information.\n"
         "\n"
         "Preferences such as selected color, display language, and launch-at-login settings are stored locally on your Mac.\n"
         "\n"
         "To display its cues, Halomark processes active-app, visible-window position, Command-key, and mouse-button state only on your Mac. It does not capture screen content or record typed text.\n"
         "\n"
         "Halomark does not connect to external servers and does not use analytics, advertising, or tracking SDKs."},
        {Key::support, "Support"},
        {Key::openWebVersion, "Open Web Version"},
        {Key::close, "Close"},
        {Key::quitHalomark, "Quit Halomark"},
        {Key::loginErrorTitle, "Could not update Launch at Login"},
        {Key::ok, "OK"},
        {Key::locatorKey, "Locator Key"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "Right Ctrl"},
        {Key::locatorKeyRightAlt, "Right Alt"},
        {Key::locatorKeyNone, "None"},
        {Key::locatorKeyConflictTitle, "Super is also your desktop's key"},
        {Key::locatorKeyConflictMessage, "{desktop} also reacts when Super is tapped on its own, so both it and Halomark will respond to the same tap. Show the ring with Right Ctrl instead?"},
        {Key::useRightControl, "Use Right Ctrl"},
        {Key::keepSuper, "Keep Super"},
        {Key::howToUseMessageLinux,
         "Highlight the pointer\n"
         "Press and release the Super key (the Windows key) to display a shrinking ring around the pointer. The ring uses a clear, deliberately paced animation designed to remain easy to notice during remote meetings and screen sharing, even when motion is displayed at a lower frame rate.\n"
         "\n"
         "Highlight the active window\n"
         "Enable Highlight Active Window to keep the active top-level window clear while covering the rest of that window's usable display area with a 50% translucent white veil. Displays that do not contain the active window remain unmasked. The highlighted area follows Alt+Tab, Super+Tab, clicks, the task bar, and app-driven activation. Masked areas remain fully operable, the panels and the task bar stay clear, and the pointer is never moved.\n"
         "\n"
         "Outline an area\n"
         "From Range Selection in the tray icon's menu, choose Super + Drag, Ctrl + Super + Drag, Alt + Super + Drag, or Off. Hold the selected shortcut and left-drag to draw a temporary rectangle. The rectangle gradually fades out.\n"
         "\n"
         "Change the color\n"
         "Open the Color submenu to choose a preset or custom cue color. After you choose a color, a ring at the current pointer position previews it.\n"
         "\n"
         "Change the language\n"
         "Open the Language submenu to choose a display language. By default, Halomark follows your system's preferred language.\n"
         "\n"
         "Launch at login\n"
         "Enable Launch at Login to start Halomark automatically when you log in to your computer."},
        {Key::aboutMessageLinux,
         "Halomark is a Linux tray utility for guiding your audience's attention during software demos, presentations, and screen sharing. It makes pointer locations, the active window, and important screen areas clear without moving the pointer automatically."},
        {Key::privacyPolicyMessageLinux,
         "Halomark does not collect, store, transmit, or share personal information.\n"
         "\n"
         "Preferences such as selected color, display language, and launch-at-login settings are stored locally on your computer.\n"
         "\n"
         "To display its cues, Halomark processes active-app, visible-window position, modifier-key, and mouse-button state only on your computer. It does not capture screen content or record typed text.\n"
         "\n"
         "Halomark does not connect to external servers and does not use analytics, advertising, or tracking SDKs."},
        {Key::spotlight, "Spotlight"},
        {Key::showClicks, "Show Clicks"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables

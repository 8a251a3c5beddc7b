// The German texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> german()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Halomark aktivieren"},
        {Key::focusCue, "Aktives Fenster hervorheben"},
        {Key::rangeSelectionShortcut, "Tastenkürzel für Bereichsauswahl"},
        {Key::drag, "Ziehen"},
        {Key::off, "Aus"},
        {Key::launchAtLogin, "Bei Anmeldung starten"},
        {Key::language, "Sprache"},
        {Key::systemDefault, "Systemeinstellung verwenden"},
        {Key::color, "Farbe"},
        {Key::colorDefault, "Standard (Weiß)"},
        {Key::colorRed, "Rot"},
        {Key::colorOrange, "Orange"},
        {Key::colorYellow, "Gelb"},
        {Key::colorGreen, "Grün"},
        {Key::colorCyan, "Cyan"},
        {Key::colorBlue, "Blau"},
        {Key::colorPurple, "Violett"},
        {Key::colorCustom, "Benutzerdefiniert…"},
        {Key::howToUse, "Anwendung"},
        {Key::howToUseTitle, "Halomark verwenden"},
        {Key::howToUseMessage,
         "Zeiger hervorheben\n"
         "Drücke die Befehlstaste und lass sie wieder los, um einen schrumpfenden Ring um den Zeiger anzuzeigen. Der Ring nutzt eine klare, bewusst ruhig getaktete Animation, die bei Remote-Meetings und beim Teilen des Bildschirms gut erkennbar bleibt, selbst wenn Bewegungen mit einer niedrigeren Bildrate dargestellt werden.\n"
         "\n"
         "Aktives Fenster hervorheben\n"
         "Aktiviere „Aktives Fenster hervorheben“, damit das aktive Fenster der obersten Ebene frei bleibt, während der übrige nutzbare Bereich des Displays, auf dem es liegt, mit einem zu 50\u00a0% durchscheinenden weißen Schleier bedeckt wird. Displays, die das aktive Fenster nicht enthalten, bleiben unverdeckt. Der hervorgehobene Bereich folgt Befehl+Tab, Befehl+@ / Befehl+`, Klicks, dem Dock, Stage Manager, Mission Control und der Aktivierung durch Apps. Verdeckte Bereiche bleiben voll bedienbar, die Menüleiste und das Dock bleiben frei, und der Zeiger wird nie bewegt.\n"
         "\n"
         "Einen Bereich umrahmen\n"
         "Wähle in der Menüleiste unter „Tastenkürzel für Bereichsauswahl“ Befehl + Ziehen, Control + Befehl + Ziehen, Wahl + Befehl + Ziehen oder Aus. Halte das gewählte Tastenkürzel gedrückt und ziehe mit der linken Maustaste, um ein vorübergehendes Rechteck zu zeichnen. Das Rechteck wird allmählich ausgeblendet.\n"
         "\n"
         "Farbe ändern\n"
         "Öffne das Untermenü „Farbe“, um eine vordefinierte oder eigene Farbe für die Hinweise auszuwählen. Nach der Auswahl zeigt ein Ring an der aktuellen Zeigerposition eine Vorschau der Farbe.\n"
         "\n"
         "Sprache ändern\n"
         "Öffne das Untermenü „Sprache“, um eine Anzeigesprache auszuwählen. Standardmäßig verwendet Halomark deine bevorzugte Sprache von macOS.\n"
         "\n"
         "Bei Anmeldung starten\n"
         "Aktiviere „Bei Anmeldung starten“, damit Halomark automatisch startet, wenn du dich bei deinem Mac anmeldest."},
        {Key::aboutHalomark, "Über Halomark"},
        {Key::aboutMessage,
         "Halomark ist ein Dienstprogramm für die macOS-Menüleiste, das die Aufmerksamkeit deines Publikums bei Softwaredemos, Präsentationen und beim Teilen des Bildschirms lenkt. Es macht Zeigerpositionen, das aktive Fenster und wichtige Bildschirmbereiche deutlich sichtbar, ohne den Zeiger automatisch zu bewegen."},
        {Key::version, "Version"},
        {Key::privacyPolicy, "Datenschutzrichtlinie"},
        {Key::privacyPolicyTitle, "Halomark Datenschutzrichtlinie"},
        {Key::privacyPolicyMessage,
         "Halomark erfasst, speichert, überträgt und teilt keine personenbezogenen Daten.\n"
         "\n"
         "Einstellungen wie die gewählte Farbe, die Anzeigesprache und die Option „Bei Anmeldung starten“ werden lokal auf deinem Mac gespeichert.\n"
         "\n"
         "Um seine Hinweise anzuzeigen, verarbeitet Halomark die aktive App, die Position sichtbarer Fenster sowie den Zustand der Befehlstaste und der Maustasten ausschließlich auf deinem Mac. Es nimmt keine Bildschirminhalte auf und zeichnet keinen eingegebenen Text auf.\n"
         "\n"
         "Halomark stellt keine Verbindung zu externen Servern her und verwendet keine SDKs für Analysen, Werbung oder Tracking."},
        {Key::support, "Support"},
        {Key::openWebVersion, "Webversion öffnen"},
        {Key::close, "Schließen"},
        {Key::quitHalomark, "Halomark beenden"},
        {Key::loginErrorTitle, "Start bei Anmeldung konnte nicht geändert werden"},
        {Key::ok, "OK"},
        {Key::locatorKey, "Locator-Taste"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "Rechte Strg-Taste"},
        {Key::locatorKeyRightAlt, "Rechte Alt-Taste"},
        {Key::locatorKeyNone, "Keine"},
        {Key::locatorKeyConflictTitle, "Super ist auch die Taste deiner Arbeitsumgebung"},
        {Key::locatorKeyConflictMessage, "{desktop} reagiert ebenfalls, wenn Super allein gedrückt wird, sodass die Arbeitsumgebung und Halomark auf denselben Tastendruck reagieren. Den Ring stattdessen mit der rechten Strg-Taste anzeigen?"},
        {Key::useRightControl, "Rechte Strg-Taste verwenden"},
        {Key::keepSuper, "Super beibehalten"},
        {Key::howToUseMessageLinux,
         "Zeiger hervorheben\n"
         "Drücke die Super-Taste (Windows-Taste) und lass sie wieder los, um einen schrumpfenden Ring um den Zeiger anzuzeigen. Der Ring nutzt eine klare, bewusst ruhig getaktete Animation, die bei Remote-Meetings und beim Teilen des Bildschirms gut erkennbar bleibt, selbst wenn Bewegungen mit einer niedrigeren Bildrate dargestellt werden.\n"
         "\n"
         "Aktives Fenster hervorheben\n"
         "Aktiviere „Aktives Fenster hervorheben“, damit das aktive Fenster der obersten Ebene frei bleibt, während der übrige nutzbare Bereich des Displays, auf dem es liegt, mit einem zu 50\u00a0% durchscheinenden weißen Schleier bedeckt wird. Displays, die das aktive Fenster nicht enthalten, bleiben unverdeckt. Der hervorgehobene Bereich folgt Alt+Tab, Super+Tab, Klicks, der Taskleiste und der Aktivierung durch Anwendungen. Verdeckte Bereiche bleiben voll bedienbar, die Leisten und die Taskleiste bleiben frei, und der Zeiger wird nie bewegt.\n"
         "\n"
         "Einen Bereich umrahmen\n"
         "Wähle im Menü des Symbols im Systembereich unter „Tastenkürzel für Bereichsauswahl“ Super + Ziehen, Strg + Super + Ziehen, Alt + Super + Ziehen oder Aus. Halte das gewählte Tastenkürzel gedrückt und ziehe mit der linken Maustaste, um ein vorübergehendes Rechteck zu zeichnen. Das Rechteck wird allmählich ausgeblendet.\n"
         "\n"
         "Farbe ändern\n"
         "Öffne das Untermenü „Farbe“, um eine vordefinierte oder eigene Farbe für die Hinweise auszuwählen. Nach der Auswahl zeigt ein Ring an der aktuellen Zeigerposition eine Vorschau der Farbe.\n"
         "\n"
         "Sprache ändern\n"
         "Öffne das Untermenü „Sprache“, um eine Anzeigesprache auszuwählen. Standardmäßig verwendet Halomark die bevorzugte Sprache deines Systems.\n"
         "\n"
         "Bei Anmeldung starten\n"
         "Aktiviere „Bei Anmeldung starten“, damit Halomark automatisch startet, wenn du dich an deinem Computer anmeldest."},
        {Key::aboutMessageLinux,
         "Halomark ist ein Dienstprogramm für den Systembereich unter Linux, das die Aufmerksamkeit deines Publikums bei Softwaredemos, Präsentationen und beim Teilen des Bildschirms lenkt. Es macht Zeigerpositionen, das aktive Fenster und wichtige Bildschirmbereiche deutlich sichtbar, ohne den Zeiger automatisch zu bewegen."},
        {Key::privacyPolicyMessageLinux,
         "Halomark erfasst, speichert, überträgt und teilt keine personenbezogenen Daten.\n"
         "\n"
         "Einstellungen wie die gewählte Farbe, die Anzeigesprache und die Option „Bei Anmeldung starten“ werden lokal auf deinem Computer gespeichert.\n"
         "\n"
         "Um seine Hinweise anzuzeigen, verarbeitet Halomark die aktive Anwendung, die Position sichtbarer Fenster sowie den Zustand der Modifikatortasten und der Maustasten ausschließlich auf deinem Computer. Es nimmt keine Bildschirminhalte auf und zeichnet keinen eingegebenen Text auf.\n"
         "\n"
         "Halomark stellt keine Verbindung zu externen Servern her und verwendet keine SDKs für Analysen, Werbung oder Tracking."},
        {Key::spotlight, "Spotlight"},
        {Key::showClicks, "Klicks anzeigen"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables

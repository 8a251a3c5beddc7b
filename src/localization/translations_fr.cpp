// The French texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> french()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Activer Halomark"},
        {Key::focusCue, "Mettre en évidence la fenêtre active"},
        {Key::rangeSelectionShortcut, "Raccourci de sélection de zone"},
        {Key::drag, "Faire glisser"},
        {Key::off, "Désactivé"},
        {Key::launchAtLogin, "Lancer à l’ouverture de session"},
        {Key::language, "Langue"},
        {Key::systemDefault, "Utiliser les réglages système"},
        {Key::color, "Couleur"},
        {Key::colorDefault, "Par défaut (blanc)"},
        {Key::colorRed, "Rouge"},
        {Key::colorOrange, "Orange"},
        {Key::colorYellow, "Jaune"},
        {Key::colorGreen, "Vert"},
        {Key::colorCyan, "Cyan"},
        {Key::colorBlue, "Bleu"},
        {Key::colorPurple, "Violet"},
        {Key::colorCustom, "Personnalisée…"},
        {Key::howToUse, "Mode d’emploi"},
        {Key::howToUseTitle, "Utiliser Halomark"},
        {Key::howToUseMessage,
         "Mettre en évidence le pointeur\n"
         "Appuyez sur la touche Commande puis relâchez-la pour afficher un anneau qui se resserre autour du pointeur. L’anneau utilise une animation nette au rythme volontairement posé, conçue pour rester facile à remarquer pendant les réunions à distance et le partage d’écran, même lorsque le mouvement est affiché avec une fréquence d’images réduite.\n"
         "\n"
         "Mettre en évidence la fenêtre active\n"
         "Activez «\u00a0Mettre en évidence la fenêtre active\u00a0» pour laisser dégagée la fenêtre active de premier niveau tout en recouvrant le reste de la zone utilisable de l’écran de cette fenêtre d’un voile blanc translucide à 50\u00a0%. Les écrans qui ne contiennent pas la fenêtre active ne sont pas masqués. La zone mise en évidence suit Commande+Tab, Commande+@ / Commande+`, les clics, le Dock, Stage Manager, Mission Control et l’activation déclenchée par les apps. Les zones masquées restent entièrement utilisables, la barre des menus et le Dock restent dégagés, et le pointeur n’est jamais déplacé.\n"
         "\n"
         "Encadrer une zone\n"
         "Dans «\u00a0Raccourci de sélection de zone\u00a0» de la barre des menus, choisissez Commande + Faire glisser, Contrôle + Commande + Faire glisser, Option + Commande + Faire glisser ou Désactivé. Maintenez le raccourci choisi et faites glisser avec le bouton gauche pour tracer un rectangle temporaire. Le rectangle s’estompe progressivement.\n"
         "\n"
         "Changer la couleur\n"
         "Ouvrez le sous-menu Couleur pour choisir une couleur prédéfinie ou personnalisée pour les repères. Une fois la couleur choisie, un anneau affiché à la position actuelle du pointeur en donne un aperçu.\n"
         "\n"
         "Changer la langue\n"
         "Ouvrez le sous-menu Langue pour choisir la langue d’affichage. Par défaut, Halomark suit votre langue préférée de macOS.\n"
         "\n"
         "Lancer à l’ouverture de session\n"
         "Activez «\u00a0Lancer à l’ouverture de session\u00a0» pour que Halomark démarre automatiquement lorsque vous ouvrez une session sur votre Mac."},
        {Key::aboutHalomark, "À propos de Halomark"},
        {Key::aboutMessage,
         "Halomark est un utilitaire de la barre des menus de macOS qui guide l’attention de votre public pendant les démonstrations de logiciels, les présentations et le partage d’écran. Il rend bien visibles la position du pointeur, la fenêtre active et les zones importantes de l’écran, sans déplacer automatiquement le pointeur."},
        {Key::version, "Version"},
        {Key::privacyPolicy, "Politique de confidentialité"},
        {Key::privacyPolicyTitle, "Politique de confidentialité de Halomark"},
        {Key::privacyPolicyMessage,
         "Halomark ne collecte, ne stocke, ne transmet ni ne partage aucune information personnelle.\n"
         "\n"
         "Les préférences, comme la couleur choisie, la langue d’affichage et le réglage de lancement à l’ouverture de session, sont stockées localement sur votre Mac.\n"
         "\n"
         "Pour afficher ses repères, Halomark traite l’app active, la position des fenêtres visibles et l’état de la touche Commande et des boutons de la souris uniquement sur votre Mac. Il ne capture pas le contenu de l’écran et n’enregistre pas le texte saisi.\n"
         "\n"
         "Halomark ne se connecte à aucun serveur externe et n’utilise aucun SDK d’analyse, de publicité ou de suivi."},
        {Key::support, "Assistance"},
        {Key::openWebVersion, "Ouvrir la version web"},
        {Key::close, "Fermer"},
        {Key::quitHalomark, "Quitter Halomark"},
        {Key::loginErrorTitle, "Impossible de modifier le lancement à l’ouverture de session"},
        {Key::ok, "OK"},
        {Key::locatorKey, "Touche de localisation"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "Ctrl droite"},
        {Key::locatorKeyRightAlt, "Alt droite"},
        {Key::locatorKeyNone, "Aucune"},
        {Key::locatorKeyConflictTitle, "Super est aussi la touche de votre bureau"},
        {Key::locatorKeyConflictMessage, "{desktop} réagit aussi lorsque la touche Super est pressée seule\u00a0; votre bureau et Halomark répondront donc tous deux au même appui. Afficher plutôt l’anneau avec Ctrl droite\u00a0?"},
        {Key::useRightControl, "Utiliser Ctrl droite"},
        {Key::keepSuper, "Garder Super"},
        {Key::howToUseMessageLinux,
         "Mettre en évidence le pointeur\n"
         "Appuyez sur la touche Super (la touche Windows) puis relâchez-la pour afficher un anneau qui se resserre autour du pointeur. L’anneau utilise une animation nette au rythme volontairement posé, conçue pour rester facile à remarquer pendant les réunions à distance et le partage d’écran, même lorsque le mouvement est affiché avec une fréquence d’images réduite.\n"
         "\n"
         "Mettre en évidence la fenêtre active\n"
         "Activez «\u00a0Mettre en évidence la fenêtre active\u00a0» pour laisser dégagée la fenêtre active de premier niveau tout en recouvrant le reste de la zone utilisable de l’écran de cette fenêtre d’un voile blanc translucide à 50\u00a0%. Les écrans qui ne contiennent pas la fenêtre active ne sont pas masqués. La zone mise en évidence suit Alt+Tab, Super+Tab, les clics, la barre des tâches et l’activation déclenchée par les applications. Les zones masquées restent entièrement utilisables, les panneaux et la barre des tâches restent dégagés, et le pointeur n’est jamais déplacé.\n"
         "\n"
         "Encadrer une zone\n"
         "Dans «\u00a0Raccourci de sélection de zone\u00a0» du menu de l’icône de la zone de notification, choisissez Super + Faire glisser, Ctrl + Super + Faire glisser, Alt + Super + Faire glisser ou Désactivé. Maintenez le raccourci choisi et faites glisser avec le bouton gauche pour tracer un rectangle temporaire. Le rectangle s’estompe progressivement.\n"
         "\n"
         "Changer la couleur\n"
         "Ouvrez le sous-menu Couleur pour choisir une couleur prédéfinie ou personnalisée pour les repères. Une fois la couleur choisie, un anneau affiché à la position actuelle du pointeur en donne un aperçu.\n"
         "\n"
         "Changer la langue\n"
         "Ouvrez le sous-menu Langue pour choisir la langue d’affichage. Par défaut, Halomark suit la langue préférée de votre système.\n"
         "\n"
         "Lancer à l’ouverture de session\n"
         "Activez «\u00a0Lancer à l’ouverture de session\u00a0» pour que Halomark démarre automatiquement lorsque vous ouvrez une session sur votre ordinateur."},
        {Key::aboutMessageLinux,
         "Halomark est un utilitaire de la zone de notification pour Linux qui guide l’attention de votre public pendant les démonstrations de logiciels, les présentations et le partage d’écran. Il rend bien visibles la position du pointeur, la fenêtre active et les zones importantes de l’écran, sans déplacer automatiquement le pointeur."},
        {Key::privacyPolicyMessageLinux,
         "Halomark ne collecte, ne stocke, ne transmet ni ne partage aucune information personnelle.\n"
         "\n"
         "Les préférences, comme la couleur choisie, la langue d’affichage et le réglage de lancement à l’ouverture de session, sont stockées localement sur votre ordinateur.\n"
         "\n"
         "Pour afficher ses repères, Halomark traite l’application active, la position des fenêtres visibles et l’état des touches de modification et des boutons de la souris uniquement sur votre ordinateur. Il ne capture pas le contenu de l’écran et n’enregistre pas le texte saisi.\n"
         "\n"
         "Halomark ne se connecte à aucun serveur externe et n’utilise aucun SDK d’analyse, de publicité ou de suivi."},
        {Key::spotlight, "Projecteur"},
        {Key::showClicks, "Afficher les clics"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables

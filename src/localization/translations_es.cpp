// The Spanish texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> spanish()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Activar Halomark"},
        {Key::focusCue, "Resaltar la ventana activa"},
        {Key::rangeSelectionShortcut, "Atajo de selección de área"},
        {Key::drag, "Arrastrar"},
        {Key::off, "Desactivado"},
        {Key::launchAtLogin, "Abrir al iniciar sesión"},
        {Key::language, "Idioma"},
        {Key::systemDefault, "Usar configuración del sistema"},
        {Key::color, "Color"},
        {Key::colorDefault, "Predeterminado (blanco)"},
        {Key::colorRed, "Rojo"},
        {Key::colorOrange, "Naranja"},
        {Key::colorYellow, "Amarillo"},
        {Key::colorGreen, "Verde"},
        {Key::colorCyan, "Cian"},
        {Key::colorBlue, "Azul"},
        {Key::colorPurple, "Morado"},
        {Key::colorCustom, "Personalizado…"},
        {Key::howToUse, "Cómo usar Halomark"},
        {Key::howToUseTitle, "Cómo usar Halomark"},
        {Key::howToUseMessage,
         "Resaltar el puntero\n"
         "Pulsa y suelta la tecla Comando para mostrar un anillo que se encoge alrededor del puntero. El anillo usa una animación clara y de ritmo deliberadamente pausado, pensada para que siga siendo fácil de ver en reuniones remotas y al compartir pantalla, incluso cuando el movimiento se muestra con una frecuencia de fotogramas más baja.\n"
         "\n"
         "Resaltar la ventana activa\n"
         "Activa «Resaltar la ventana activa» para dejar despejada la ventana activa de nivel superior mientras el resto del área utilizable de la pantalla de esa ventana se cubre con un velo blanco translúcido al 50\u00a0%. Las pantallas que no contienen la ventana activa quedan sin cubrir. El área resaltada sigue a Comando+Tab, Comando+@ / Comando+`, los clics, el Dock, Organizador visual, Mission Control y la activación por parte de las apps. Las áreas cubiertas se pueden seguir usando con total normalidad, la barra de menús y el Dock permanecen despejados y el puntero nunca se mueve.\n"
         "\n"
         "Enmarcar un área\n"
         "En «Atajo de selección de área» de la barra de menús, elige Comando + Arrastrar, Control + Comando + Arrastrar, Opción + Comando + Arrastrar o Desactivado. Mantén pulsado el atajo seleccionado y arrastra con el botón izquierdo para dibujar un rectángulo temporal. El rectángulo se desvanece poco a poco.\n"
         "\n"
         "Cambiar el color\n"
         "Abre el submenú Color para elegir un color predefinido o personalizado para las indicaciones. Después de elegir un color, un anillo en la posición actual del puntero te muestra una vista previa.\n"
         "\n"
         "Cambiar el idioma\n"
         "Abre el submenú Idioma para elegir el idioma de la interfaz. De forma predeterminada, Halomark usa tu idioma preferido de macOS.\n"
         "\n"
         "Abrir al iniciar sesión\n"
         "Activa «Abrir al iniciar sesión» para que Halomark se abra automáticamente cuando inicies sesión en tu Mac."},
        {Key::aboutHalomark, "Acerca de Halomark"},
        {Key::aboutMessage,
         "Halomark es una utilidad de la barra de menús de macOS que guía la atención de tu público durante demostraciones de software, presentaciones y al compartir pantalla. Hace bien visibles la posición del puntero, la ventana activa y las áreas importantes de la pantalla sin mover el puntero automáticamente."},
        {Key::version, "Versión"},
        {Key::privacyPolicy, "Política de privacidad"},
        {Key::privacyPolicyTitle, "Política de privacidad de Halomark"},
        {Key::privacyPolicyMessage,
         "Halomark no recopila, almacena, transmite ni comparte información personal.\n"
         "\n"
         "Las preferencias, como el color seleccionado, el idioma de la interfaz y el ajuste de abrir al iniciar sesión, se guardan localmente en tu Mac.\n"
         "\n"
         "Para mostrar sus indicaciones, Halomark procesa la app activa, la posición de las ventanas visibles y el estado de la tecla Comando y de los botones del ratón solo en tu Mac. No captura el contenido de la pantalla ni registra el texto que escribes.\n"
         "\n"
         "Halomark no se conecta a servidores externos y no usa SDK de análisis, publicidad ni seguimiento."},
        {Key::support, "Soporte"},
        {Key::openWebVersion, "Abrir versión web"},
        {Key::close, "Cerrar"},
        {Key::quitHalomark, "Salir de Halomark"},
        {Key::loginErrorTitle, "No se pudo actualizar el inicio de sesión"},
        {Key::ok, "Aceptar"},
        {Key::locatorKey, "Tecla del localizador"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "Ctrl derecho"},
        {Key::locatorKeyRightAlt, "Alt derecho"},
        {Key::locatorKeyNone, "Ninguna"},
        {Key::locatorKeyConflictTitle, "Super también es la tecla de tu escritorio"},
        {Key::locatorKeyConflictMessage, "{desktop} también reacciona cuando se pulsa Super sola, así que tanto el escritorio como Halomark responderán a la misma pulsación. ¿Mostrar el anillo con Ctrl derecho en su lugar?"},
        {Key::useRightControl, "Usar Ctrl derecho"},
        {Key::keepSuper, "Mantener Super"},
        {Key::howToUseMessageLinux,
         "Resaltar el puntero\n"
         "Pulsa y suelta la tecla Super (la tecla Windows) para mostrar un anillo que se encoge alrededor del puntero. El anillo usa una animación clara y de ritmo deliberadamente pausado, pensada para que siga siendo fácil de ver en reuniones remotas y al compartir pantalla, incluso cuando el movimiento se muestra con una frecuencia de fotogramas más baja.\n"
         "\n"
         "Resaltar la ventana activa\n"
         "Activa «Resaltar la ventana activa» para dejar despejada la ventana activa de nivel superior mientras el resto del área utilizable de la pantalla de esa ventana se cubre con un velo blanco translúcido al 50\u00a0%. Las pantallas que no contienen la ventana activa quedan sin cubrir. El área resaltada sigue a Alt+Tab, Super+Tab, los clics, la barra de tareas y la activación por parte de las aplicaciones. Las áreas cubiertas se pueden seguir usando con total normalidad, los paneles y la barra de tareas permanecen despejados y el puntero nunca se mueve.\n"
         "\n"
         "Enmarcar un área\n"
         "En «Atajo de selección de área» del menú del icono de la bandeja, elige Super + Arrastrar, Ctrl + Super + Arrastrar, Alt + Super + Arrastrar o Desactivado. Mantén pulsado el atajo seleccionado y arrastra con el botón izquierdo para dibujar un rectángulo temporal. El rectángulo se desvanece poco a poco.\n"
         "\n"
         "Cambiar el color\n"
         "Abre el submenú Color para elegir un color predefinido o personalizado para las indicaciones. Después de elegir un color, un anillo en la posición actual del puntero te muestra una vista previa.\n"
         "\n"
         "Cambiar el idioma\n"
         "Abre el submenú Idioma para elegir el idioma de la interfaz. De forma predeterminada, Halomark usa el idioma preferido de tu sistema.\n"
         "\n"
         "Abrir al iniciar sesión\n"
         "Activa «Abrir al iniciar sesión» para que Halomark se abra automáticamente cuando inicies sesión en tu ordenador."},
        {Key::aboutMessageLinux,
         "Halomark es una utilidad de la bandeja del sistema de Linux que guía la atención de tu público durante demostraciones de software, presentaciones y al compartir pantalla. Hace bien visibles la posición del puntero, la ventana activa y las áreas importantes de la pantalla sin mover el puntero automáticamente."},
        {Key::privacyPolicyMessageLinux,
         "Halomark no recopila, almacena, transmite ni comparte información personal.\n"
         "\n"
         "Las preferencias, como el color seleccionado, el idioma de la interfaz y el ajuste de abrir al iniciar sesión, se guardan localmente en tu ordenador.\n"
         "\n"
         "Para mostrar sus indicaciones, Halomark procesa la aplicación activa, la posición de las ventanas visibles y el estado de las teclas modificadoras y de los botones del ratón solo en tu ordenador. No captura el contenido de la pantalla ni registra el texto que escribes.\n"
         "\n"
         "Halomark no se conecta a servidores externos y no usa SDK de análisis, publicidad ni seguimiento."},
        {Key::spotlight, "Foco"},
        {Key::showClicks, "Mostrar clics"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables

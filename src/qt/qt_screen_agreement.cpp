#include "qt/qt_screen_agreement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

#include <sstream>

namespace halomark::qt {

DevicePixelEnvironment::DevicePixelEnvironment()
{
    // A global or per-screen factor would still apply with the platform's scaling turned off.
    for (const char* name : {"QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR",
                             "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"}) {
        saved.push_back({name, qEnvironmentVariableIsSet(name)
                                   ? std::optional<QByteArray>(qgetenv(name))
                                   : std::nullopt});
        qunsetenv(name);
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

void DevicePixelEnvironment::restore()
{
    for (const Saved& variable : saved) {
        if (variable.value) {
            qputenv(variable.name, *variable.value);
        } else {
            qunsetenv(variable.name);
        }
    }
    saved.clear();
}

std::optional<std::string> scaledScreen()
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->devicePixelRatio() != 1.0) {
            std::ostringstream text;
            text << "Qt scales the screen " << screen->name().toStdString() << " by "
                 << screen->devicePixelRatio();
            return text.str();
        }
    }
    return std::nullopt;
}

} // namespace halomark::qt

#pragma once

#include <QSettings>

#include <memory>

// The program's settings file: INI under $XDG_CONFIG_HOME/Quillmoth/.
namespace Settings {
std::unique_ptr<QSettings> open();
QString filePath();
}

#include "Model/Settings.h"

#include <QDir>
#include <QStandardPaths>

QString Settings::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quillmoth/Quillmoth.ini");
}

std::unique_ptr<QSettings> Settings::open()
{
    return std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
}

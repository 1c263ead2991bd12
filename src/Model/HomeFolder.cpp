#include "Model/HomeFolder.h"

#include <QDir>

QString HomeFolder::path()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QFile::decodeName(home));
    return QDir::homePath();
}

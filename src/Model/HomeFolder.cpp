// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/HomeFolder.h"

#include <QDir>

QString HomeFolder::path()
{
    const QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        return QDir::homePath();
    // Every listed item asks (for its breadcrumb): cleaned again only when HOME changed.
    thread_local QByteArray lastHome;
    thread_local QString lastPath;
    if (home != lastHome) {
        lastPath = QDir::cleanPath(QFile::decodeName(home));
        lastHome = home;
    }
    return lastPath;
}

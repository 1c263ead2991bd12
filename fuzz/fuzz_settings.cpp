// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Arbitrary settings files: reading never crashes and always yields a defined mode, a list of
// folders and a width within the allowed range; writing keeps them readable.
#include "Model/FolderFilter.h"
#include "Model/PanelWidth.h"
#include "Model/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmoth.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const double width = PanelWidth::stored(*Settings::open(path));
    if (!(width >= PanelWidth::minimum && width <= PanelWidth::maximum))
        abort();

    const auto settings = Settings::open(path);
    FolderFilter filter(*settings);
    const QStringList folders = filter.folders();
    const FolderFilterMode mode = filter.mode();
    filter.setFolders(folders);
    filter.setMode(mode);
    const auto reopened = Settings::open(path);
    FolderFilter again(*reopened);
    if (again.folders() != folders || again.mode() != mode)
        abort();
    return 0;
}

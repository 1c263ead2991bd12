// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

// Where this desktop keeps what people do not open as documents: anything in a folder or file
// whose name begins with "." (hidden by every file manager here), and everything inside the XDG
// config, cache, data and state homes, wherever they point. Read from the environment once, so
// that judging a large store costs no look-ups per item.
class HiddenLocations
{
public:
    static HiddenLocations current();
    HiddenLocations(const QString &home, const QStringList &xdgHomes);

    // Whether a standardised absolute path lies in a hidden location.
    bool hides(const QString &path) const;

    friend bool operator==(const HiddenLocations &, const HiddenLocations &) = default;

private:
    QString m_home;
    QStringList m_xdgHomes;
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Autostart.h"

#include "Platform/PlatformLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr qint64 maxEntryBytes = 64 * 1024;

QByteArray readEntry(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxEntryBytes);
}

// The value of `key` in the [Desktop Entry] group, trimmed.
QByteArray value(const QByteArray &entry, const QByteArray &key)
{
    bool inMain = false;
    for (const QByteArray &raw : entry.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inMain = line == "[Desktop Entry]";
        else if (inMain && line.startsWith(key) && line.mid(key.size()).trimmed().startsWith('='))
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return {};
}

// The entry with `key` set to `newValue` in [Desktop Entry], every other line as it was.
QByteArray withValue(const QByteArray &entry, const QByteArray &key, const QByteArray &newValue)
{
    QList<QByteArray> lines = entry.split('\n');
    qsizetype mainAt = -1;
    bool inMain = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]";
            if (inMain)
                mainAt = i;
        } else if (inMain && line.startsWith(key)
            && line.mid(key.size()).trimmed().startsWith('=')) {
            lines[i] = key + '=' + newValue;
            return lines.join('\n');
        }
    }
    if (mainAt < 0)
        return entry;
    lines.insert(mainAt + 1, key + '=' + newValue);
    return lines.join('\n');
}

// The installed launcher, or one made for this binary when the program runs uninstalled.
QByteArray programEntry()
{
    const QString installed = QStandardPaths::locate(
        QStandardPaths::ApplicationsLocation, QStringLiteral(QUILLMOTH_APP_ID ".desktop"));
    if (QByteArray entry = readEntry(installed); !entry.isEmpty())
        return entry;
    return "[Desktop Entry]\nType=Application\nName=Quillmoth\nExec="
        + QFile::encodeName(QCoreApplication::applicationFilePath())
        + "\nIcon=" QUILLMOTH_APP_ID "\nTerminal=false\nNoDisplay=true\n";
}

bool write(const QString &path, const QByteArray &entry)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.commit())
        return true;
    qCWarning(lcPlatform) << "The autostart entry cannot be written:" << file.errorString();
    return false;
}

} // namespace

QString Autostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/" QUILLMOTH_APP_ID ".desktop");
}

bool Autostart::isEnabled(const QString &path)
{
    const QByteArray entry = readEntry(path);
    return !entry.isEmpty() && value(entry, "Hidden") != "true"
        && value(entry, "X-GNOME-Autostart-enabled") != "false";
}

bool Autostart::setEnabled(bool enabled, const QString &path, const QByteArray &launcher)
{
    if (enabled == isEnabled(path))
        return true;
    const QByteArray ours = launcher.isEmpty() ? programEntry() : launcher;
    QByteArray entry = readEntry(path);
    if (!enabled && (entry == ours || entry.isEmpty())) {
        if (QFile::remove(path) || !QFileInfo::exists(path))
            return true;
        qCWarning(lcPlatform) << "The autostart entry cannot be removed";
        return false;
    }
    if (entry.isEmpty()) {
        entry = ours;
    } else {
        entry = withValue(entry, "Hidden", enabled ? "false" : "true");
        if (enabled && value(entry, "X-GNOME-Autostart-enabled") == "false")
            entry = withValue(entry, "X-GNOME-Autostart-enabled", "true");
    }
    return write(path, entry) && isEnabled(path) == enabled;
}

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/Settings.h"

#include "Model/QtIniValue.h"

#include <QDir>
#include <QIODevice>
#include <QStandardPaths>

#include <algorithm>
#include <iterator>
#include <utility>

// The settings file is a small INI file that this program reads and writes itself: lines of
// "key=value" under "[General]", and lists as numbered keys ("key\1=...", "key\size=N") whose
// entries keep every character, escaped with backslashes. Plain values are read as Qt's own INI
// format reads them (QtIniValue), so that a file written by Qt's format, or edited by hand, keeps
// its meaning: "key=/a, /b" is a list there. Qt's reader would also decode binary
// "@Variant(...)" blobs, where one corrupt length asks for gigabytes; here anything unexpected
// is skipped and the key falls back to its default.
namespace {

// Each character a list entry escapes, with the letter that stands for it after a backslash.
constexpr std::pair<char16_t, char16_t> escapes[] = {
    { u'\\', u'\\' },
    { u'\n', u'n' },
    { u'\r', u'r' },
    { u'\t', u't' },
    { u'\0', u'0' },
};

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        const auto *escape = std::find_if(std::begin(escapes), std::end(escapes),
            [c](const auto &pair) { return pair.first == c.unicode(); });
        if (escape == std::end(escapes)) {
            out += c;
        } else {
            out += QLatin1Char('\\');
            out += QChar(escape->second);
        }
    }
    return out;
}

std::optional<QString> unescaped(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= value.size())
            return std::nullopt;
        const QChar letter = value.at(i);
        const auto *escape = std::find_if(std::begin(escapes), std::end(escapes),
            [letter](const auto &pair) { return pair.second == letter.unicode(); });
        if (escape == std::end(escapes))
            return std::nullopt;
        out += QChar(escape->first);
    }
    return out;
}

// Numbered keys make lists; a list in this form wins over a plain value of the same key.
void insertNumberedLists(const QMap<QString, QString> &entries, QSettings::SettingsMap &map)
{
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (!it.key().endsWith(QLatin1String("\\size")))
            continue;
        const QString base = it.key().chopped(5);
        bool ok = false;
        const int size = it.value().trimmed().toInt(&ok);
        if (!ok || size < 0 || size > 100000)
            continue;
        QStringList list;
        for (int i = 1; ok && i <= size; ++i) {
            const auto entry = entries.constFind(base + QLatin1Char('\\') + QString::number(i));
            ok = entry != entries.cend();
            if (ok)
                list << entry.value();
        }
        if (ok)
            map.insert(base, list);
    }
}

bool readSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    // Never more than a settings file's worth: a huge file is not ours.
    constexpr qint64 limit = 4 * 1024 * 1024;
    const QByteArray data = device.read(limit);
    QString section;
    QMap<QString, QString> entries;
    for (const QByteArray &rawLine : data.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))
            || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The value is everything after the first '='.
        QString rawValue = QString::fromUtf8(rawLine);
        rawValue = rawValue.mid(rawValue.indexOf(QLatin1Char('=')) + 1);
        if (rawValue.endsWith(QLatin1Char('\r')))
            rawValue.chop(1);
        const QString name = section.isEmpty() ? key : section + QLatin1Char('/') + key;
        if (key.contains(QLatin1Char('\\'))) {
            // A numbered list entry or size: this program's own, exact to the character.
            if (const std::optional<QString> value = unescaped(rawValue))
                entries.insert(name, *value);
        } else if (const std::optional<QVariant> value = QtIniValue::read(rawValue)) {
            if (value->isValid())
                map.insert(name, *value);
        }
    }
    insertNumberedLists(entries, map);
    return true;
}

bool writeSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    QString out = QStringLiteral("[General]\n");
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QVariant &value = it.value();
        if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList) {
            const QStringList list = value.toStringList();
            for (qsizetype i = 0; i < list.size(); ++i)
                out += it.key() + QLatin1Char('\\') + QString::number(i + 1) + QLatin1Char('=')
                    + escaped(list.at(i)) + QLatin1Char('\n');
            out += it.key() + QStringLiteral("\\size=") + QString::number(list.size())
                + QLatin1Char('\n');
        } else if (value.typeId() == QMetaType::Double) {
            out += it.key() + QLatin1Char('=') + QString::number(value.toDouble(), 'g', 17)
                + QLatin1Char('\n');
        } else {
            out += it.key() + QLatin1Char('=') + QtIniValue::written(value.toString())
                + QLatin1Char('\n');
        }
    }
    return device.write(out.toUtf8()) >= 0;
}

QSettings::Format format()
{
    static const QSettings::Format registered
        = QSettings::registerFormat(QStringLiteral("ini"), readSettings, writeSettings);
    return registered;
}

} // namespace

QString Settings::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quillmoth/Quillmoth.ini");
}

std::unique_ptr<QSettings> Settings::open()
{
    return open(filePath());
}

std::unique_ptr<QSettings> Settings::open(const QString &path)
{
    return std::make_unique<QSettings>(path, format());
}

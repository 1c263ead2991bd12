// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/SettingsFormat.h"

#include "Model/QtIniValue.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

// Qt's reader would also decode binary "@Variant(...)" blobs, where one corrupt length asks for
// gigabytes; here anything unexpected is skipped, and only that key falls back to its default.
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
    const auto plain = [](QChar c) {
        return std::none_of(std::begin(escapes), std::end(escapes),
            [c](const auto &pair) { return pair.first == c.unicode(); });
    };
    if (std::all_of(value.cbegin(), value.cend(), plain))
        return value;
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

// Numbered keys make lists; a list in this form wins over a plain value of the same key. An
// entry that is missing or could not be read costs that entry only.
void insertNumberedLists(const QHash<QString, QString> &entries, SettingsFormat::Reading &reading)
{
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (!it.key().endsWith(QLatin1String("\\size")))
            continue;
        const QString base = it.key().chopped(5);
        bool ok = false;
        const qsizetype size = it.value().trimmed().toLongLong(&ok);
        if (!ok || size < 0 || size > SettingsFormat::maximumListSize) {
            reading.isWhole = false;
            continue;
        }
        QStringList list;
        list.reserve(size);
        for (qsizetype i = 1; i <= size; ++i) {
            const auto entry = entries.constFind(base + QLatin1Char('\\') + QString::number(i));
            if (entry != entries.cend())
                list << entry.value();
        }
        reading.isWhole = reading.isWhole && list.size() == size;
        reading.values.insert(base, list);
    }
}

struct Line
{
    QString name; // with its section, "section/key", outside [General]
    QString key;
    QString rawValue;
};

std::optional<Line> parseLine(const QString &line, QString &section)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
        section = trimmed.mid(1, trimmed.size() - 2).trimmed();
        if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
            section.clear();
        return Line {};
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    Line parsed;
    parsed.key = line.left(equals).trimmed();
    if (parsed.key.isEmpty())
        return std::nullopt;
    // The value is everything after the first '='.
    parsed.rawValue = line.mid(equals + 1);
    if (parsed.rawValue.endsWith(QLatin1Char('\r')))
        parsed.rawValue.chop(1);
    parsed.name = section.isEmpty() ? parsed.key : section + QLatin1Char('/') + parsed.key;
    return parsed;
}

} // namespace

SettingsFormat::Reading SettingsFormat::read(const QByteArray &text)
{
    Reading reading;
    QString section;
    QHash<QString, QString> entries;
    for (const QByteArray &rawLine : text.split('\n')) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString line = decoder(rawLine);
        reading.isWhole = reading.isWhole && !decoder.hasError();
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))
            || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const std::optional<Line> parsed = parseLine(line, section);
        if (!parsed) {
            reading.isWhole = false;
        } else if (parsed->key.isEmpty()) {
            continue; // a section header
        } else if (parsed->key.contains(QLatin1Char('\\'))) {
            // A numbered list entry or size: this program's own, exact to the character.
            const std::optional<QString> value = unescaped(parsed->rawValue);
            reading.isWhole = reading.isWhole && value.has_value();
            if (value)
                entries.insert(parsed->name, *value);
        } else {
            const std::optional<QVariant> value = QtIniValue::read(parsed->rawValue);
            reading.isWhole = reading.isWhole && value.has_value();
            if (value && value->isValid())
                reading.values.insert(parsed->name, *value);
        }
    }
    insertNumberedLists(entries, reading);
    return reading;
}

std::optional<QByteArray> SettingsFormat::written(const QVariantMap &values)
{
    // Appended piece by piece into one buffer: a list of thousands of folders is written on
    // every change and must cost well under a frame.
    QByteArray out("[General]\n");
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant &value = it.value();
        const QByteArray key = it.key().toUtf8();
        if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList) {
            const QStringList list = value.toStringList();
            if (list.size() > maximumListSize)
                return std::nullopt;
            for (qsizetype i = 0; i < list.size() && out.size() <= maximumBytes; ++i)
                out.append(key)
                    .append('\\')
                    .append(QByteArray::number(i + 1))
                    .append('=')
                    .append(escaped(list.at(i)).toUtf8())
                    .append('\n');
            out.append(key).append("\\size=").append(QByteArray::number(list.size())).append('\n');
        } else if (value.typeId() == QMetaType::Double) {
            out.append(key)
                .append('=')
                .append(QByteArray::number(value.toDouble(), 'g', 17))
                .append('\n');
        } else {
            out.append(key)
                .append('=')
                .append(QtIniValue::written(value.toString()).toUtf8())
                .append('\n');
        }
        if (out.size() > maximumBytes)
            return std::nullopt;
    }
    return out;
}

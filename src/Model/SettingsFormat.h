// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QVariantMap>

#include <optional>

// The settings file's text: "key=value" lines under "[General]", lists as numbered keys
// ("key\1=...", "key\size=N") whose entries keep every character, escaped with backslashes.
// Plain values are read as Qt's own INI format reads them (QtIniValue), so that a file written
// by Qt's format, or edited by hand, keeps its meaning. Reader and writer share one set of
// limits: what is written is always read back.
namespace SettingsFormat {
// Far above any real settings file, low enough that reading one never stalls the panel.
inline constexpr qsizetype maximumBytes = 16 * 1024 * 1024;
inline constexpr qsizetype maximumListSize = 100000;

struct Reading
{
    QVariantMap values; // QString or QStringList each
    // False when something in the text was skipped (a bad line or entry, a value in a form this
    // program does not read, bytes that are not UTF-8): writing the values back would lose it.
    bool isWhole = true;
};

Reading read(const QByteArray &text);
// The file's text, or nothing when a list or the whole text exceeds the limits above.
std::optional<QByteArray> written(const QVariantMap &values);
} // namespace SettingsFormat

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// One value in the notation of Qt's own INI format, which this program once wrote and which
// people edit by hand: "a, b" is a list, quotes keep commas and spaces, C escapes, an unquoted
// ";" starts a comment, spaces around the value do not count.
namespace QtIniValue {
// A QString, a QStringList, or an invalid QVariant for "@Invalid()" (how Qt writes an empty
// list). Nothing for Qt's binary "@Variant(...)" and similar forms, which are not read.
std::optional<QVariant> read(QStringView raw);
// A text written so that read() gives it back unchanged.
QString written(const QString &text);
} // namespace QtIniValue

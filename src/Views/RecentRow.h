// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/RecentItem.h"
#include "Views/Theme.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QRect>
#include <optional>

class QPainter;

// One item drawn as a row: 24 x 24 icon (or thumbnail), name (13 medium) over breadcrumb (11), the
// time of day (11, never squeezed), on a rounded background that shows selection or hover.
struct RecentRow
{
    const RecentItem &item;
    bool isSelected;
    bool isHovering;
    Theme theme;
    // Drawn in the icon's place when not null: the shared cache's thumbnail of the file.
    QImage thumbnail = {};

    static constexpr int height = 6 + 31 + 6;
    static constexpr int cornerRadius = 7;

    // Selection wins over hover; nothing when neither.
    std::optional<QColor> rowBackground() const;
    void paint(QPainter &painter, const QRect &rect) const;

    // "h:mm a" with the locale's own before-noon and after-noon markers, one format for every row.
    static QString time(const QDateTime &date, const QLocale &locale = QLocale());
    static QFont font(int pixelSize, QFont::Weight weight);
};

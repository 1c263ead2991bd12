// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/RecentRow.h"

#include "Views/ItemIcon.h"
#include "Views/PlainText.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

std::optional<QColor> RecentRow::rowBackground() const
{
    if (isSelected)
        return theme.rowSelection();
    if (isHovering)
        return theme.rowHover();
    return std::nullopt;
}

QFont RecentRow::font(int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QString RecentRow::time(const QDateTime &date, const QLocale &locale)
{
    // "aP" keeps the marker as the locale writes it ("am", "p. m.", "μ.μ."); "AP" would shout it.
    static const QString format = QStringLiteral("h:mm aP");
    return locale.toString(date.toLocalTime(), format);
}

void RecentRow::paint(QPainter &painter, const QRect &rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect), cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    if (const std::optional<QColor> background = rowBackground())
        painter.fillPath(clip, *background);

    const QRect content = rect.adjusted(8, 6, -8, -6);
    const QRect iconRect(content.left(), content.center().y() - 12, 24, 24);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!thumbnail.isNull()) {
        // Whole, in its own proportions, centred in the icon's square.
        QSizeF size = thumbnail.size();
        size.scale(iconRect.size(), Qt::KeepAspectRatio);
        QRectF target(QPointF(), size);
        target.moveCenter(QRectF(iconRect).center());
        painter.drawImage(target, thumbnail);
    } else {
        painter.drawPixmap(iconRect, ItemIcon::icon(item));
    }

    const QFont timeFont = font(11, QFont::Normal);
    const QString timeText = time(item.date());
    const int timeWidth = QFontMetrics(timeFont).horizontalAdvance(timeText);
    const QRect timeRect(
        content.right() - timeWidth + 1, content.top(), timeWidth, content.height());

    const int textLeft = iconRect.right() + 1 + 10;
    const int textWidth = std::max(0, timeRect.left() - 10 - textLeft);
    const QFont nameFont = font(13, QFont::Medium);
    const QFont pathFont = font(11, QFont::Normal);
    const QFontMetrics nameMetrics(nameFont), pathMetrics(pathFont);
    const int block = nameMetrics.height() + 1 + pathMetrics.height();
    const int top = content.center().y() - block / 2;
    // One line each, cut at the end: nothing in a name may break the row.
    using PlainText::oneLine;
    painter.setFont(nameFont);
    painter.setPen(theme.primaryText());
    painter.drawText(QRect(textLeft, top, textWidth, nameMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(oneLine(item.name()), Qt::ElideRight, textWidth));
    painter.setFont(pathFont);
    painter.setPen(theme.secondaryText());
    painter.drawText(
        QRect(textLeft, top + nameMetrics.height() + 1, textWidth, pathMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        pathMetrics.elidedText(oneLine(item.path()), Qt::ElideRight, textWidth));
    painter.setFont(timeFont);
    painter.drawText(timeRect, Qt::AlignRight | Qt::AlignVCenter, timeText);
    painter.restore();
}

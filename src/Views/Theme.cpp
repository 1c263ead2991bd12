// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/Theme.h"

#include "Platform/ColorScheme.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPalette>

namespace {

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(float(colour.alphaF() * alpha));
    return colour;
}

} // namespace

Theme::Theme(ColorScheme scheme)
    : m_scheme(scheme)
{
}

Theme Theme::from(const ColorSchemeMonitor &monitor)
{
    return Theme(
        monitor.preference() == ColorPreference::dark ? ColorScheme::dark : ColorScheme::light);
}

QColor Theme::primary() const
{
    return isDark() ? QColor(Qt::white) : QColor(Qt::black);
}

QColor Theme::primaryText() const
{
    // The palette's text colour, unless the palette disagrees with the scheme (a light palette
    // under a dark portal preference): then text would vanish into the backdrop.
    const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    const bool fits = isDark() ? text.lightnessF() > 0.6 : text.lightnessF() < 0.4;
    if (fits)
        return text;
    return isDark() ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
}

QColor Theme::secondaryText() const
{
    return withAlpha(primaryText(), isDark() ? 0.55 : 0.5);
}

QColor Theme::accent() const
{
    QColor highlight = QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    highlight.setAlpha(255);
    // A highlight too close to the backdrop would make accent texts unreadable.
    if (isDark() ? highlight.lightnessF() < 0.3 : highlight.lightnessF() > 0.75)
        return QColor(10, 132, 255);
    return highlight;
}

QColor Theme::hairline() const
{
    return withAlpha(primary(), isDark() ? 0.10 : 0.09);
}

QColor Theme::fieldFill() const
{
    return withAlpha(primary(), isDark() ? 0.08 : 0.05);
}

QColor Theme::segmentFill() const
{
    return isDark() ? withAlpha(Qt::white, 0.18) : QColor(Qt::white);
}

QColor Theme::segmentShadow() const
{
    return withAlpha(Qt::black, isDark() ? 0.40 : 0.16);
}

QColor Theme::rowSelection() const
{
    return withAlpha(QColor(48, 110, 255), isDark() ? 0.32 : 0.16);
}

QColor Theme::rowHover() const
{
    return withAlpha(primary(), isDark() ? 0.06 : 0.05);
}

QLinearGradient Theme::badgeGradient(const QRectF &rect)
{
    QLinearGradient gradient(rect.center().x(), rect.top(), rect.center().x(), rect.bottom());
    gradient.setColorAt(0, badgeTop());
    gradient.setColorAt(1, badgeBottom());
    return gradient;
}

QColor Theme::backdrop(bool composited) const
{
    const QColor base = isDark() ? QColor(38, 38, 41) : QColor(234, 234, 237);
    return composited ? withAlpha(base, isDark() ? 0.80 : 0.78) : base;
}

QAbstractButton *noFocusRing(QAbstractButton *button)
{
    if (!button)
        return button;
    button->setFocusPolicy(Qt::NoFocus);
    button->setAttribute(Qt::WA_MacShowFocusRect, false);
    if (button->hasFocus())
        button->clearFocus();
    return button;
}

QString Theme::css(const QColor &c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alphaF());
}

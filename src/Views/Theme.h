// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRectF>

class QAbstractButton;
class ColorSchemeMonitor;

// The panel's light or dark appearance.
enum class ColorScheme { light, dark };

// The panel's style record: built from a colour scheme whenever the views draw, never stored
// between renders, so every view switches together when the desktop's appearance changes.
class Theme
{
public:
    explicit Theme(ColorScheme scheme);
    // The theme for the desktop's current preference.
    static Theme from(const ColorSchemeMonitor &monitor);

    ColorScheme scheme() const { return m_scheme; }
    bool isDark() const { return m_scheme == ColorScheme::dark; }

    // Black in light, white in dark, before any opacity.
    QColor primary() const;
    QColor primaryText() const;
    QColor secondaryText() const;
    QColor accent() const;
    QColor hairline() const;
    QColor fieldFill() const;
    QColor segmentFill() const;
    QColor segmentShadow() const;
    QColor rowSelection() const;
    QColor rowHover() const;
    static QColor badgeTop() { return QColor(91, 155, 255); }
    static QColor badgeBottom() { return QColor(47, 107, 255); }
    // Top to bottom across `rect`.
    static QLinearGradient badgeGradient(const QRectF &rect);
    // The sidebar backdrop: translucent over a compositor's blur, opaque where nothing composites.
    QColor backdrop(bool composited) const;
    // A colour as style-sheet text.
    static QString css(const QColor &colour);

private:
    ColorScheme m_scheme;
};

// Keeps a plain button out of keyboard focus and free of any focus indication.
QAbstractButton *noFocusRing(QAbstractButton *button);

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/ToggleSwitch.h"

#include <QPainter>

namespace {
constexpr int trackWidth = 32;
constexpr int trackHeight = 18;
constexpr int knobInset = 2;
} // namespace

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::setTheme(const Theme &theme)
{
    m_theme = theme;
    update();
}

QSize ToggleSwitch::sizeHint() const
{
    return QSize(trackWidth, trackHeight);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(0.5, 0.5, trackWidth - 1, trackHeight - 1);
    // Off: the secondary text colour, thinned, which stands out on both schemes' backdrops.
    QColor off = m_theme.secondaryText();
    off.setAlphaF(0.45f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? m_theme.accent() : off);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = trackHeight - 2 * knobInset;
    const qreal x = isChecked() ? trackWidth - knobInset - knob : knobInset;
    painter.setPen(QPen(m_theme.segmentShadow(), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, knobInset, knob, knob));
}

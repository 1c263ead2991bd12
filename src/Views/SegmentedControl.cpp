// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/SegmentedControl.h"

#include "Views/RecentRow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

SegmentedControl::SegmentedControl(QStringList titles, QWidget *parent)
    : QWidget(parent)
    , m_titles(std::move(titles))
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_slide.setDuration(120);
    m_slide.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_slide, &QVariantAnimation::valueChanged, this, [this](const QVariant &x) {
        m_pillX = x.toReal();
        update();
    });
}

QSize SegmentedControl::sizeHint() const
{
    // 12-point text, 5 above and below, inside a 2-point padded track.
    return QSize(200, QFontMetrics(RecentRow::font(12, QFont::DemiBold)).height() + 10 + 4);
}

QRect SegmentedControl::segmentRect(int index) const
{
    const int count = int(m_titles.size());
    const QRect track = rect().adjusted(2, 2, -2, -2);
    const int spacing = 2;
    const int width = (track.width() - spacing * (count - 1)) / std::max(1, count);
    return QRect(track.left() + index * (width + spacing), track.top(), width, track.height());
}

void SegmentedControl::setSelected(int index, bool animated)
{
    const qreal from = m_pillX >= 0 ? m_pillX : segmentRect(index).x();
    m_selected = index;
    m_slide.stop();
    if (animated && isVisible()) {
        m_slide.setStartValue(from);
        m_slide.setEndValue(qreal(segmentRect(index).x()));
        m_slide.start();
    } else {
        m_pillX = -1;
    }
    update();
}

void SegmentedControl::setTheme(const Theme &theme)
{
    m_theme = theme;
    update();
}

void SegmentedControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_theme.fieldFill());
    painter.drawRoundedRect(QRectF(rect()), 8, 8);

    QRectF pill = segmentRect(m_selected);
    if (m_slide.state() == QAbstractAnimation::Running && m_pillX >= 0)
        pill.moveLeft(m_pillX);
    // Shadow: radius 1, one point down.
    painter.setBrush(m_theme.segmentShadow());
    painter.drawRoundedRect(pill.translated(0, 1).adjusted(-0.5, -0.5, 0.5, 0.5), 6, 6);
    painter.setBrush(m_theme.segmentFill());
    painter.drawRoundedRect(pill, 6, 6);

    for (int i = 0; i < m_titles.size(); ++i) {
        const bool selected = i == m_selected;
        painter.setFont(RecentRow::font(12, selected ? QFont::DemiBold : QFont::Normal));
        painter.setPen(selected ? m_theme.primaryText() : m_theme.secondaryText());
        painter.drawText(segmentRect(i), Qt::AlignCenter, m_titles.at(i));
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent *event)
{
    for (int i = 0; i < m_titles.size(); ++i)
        if (segmentRect(i).contains(event->position().toPoint()))
            Q_EMIT segmentClicked(i);
}

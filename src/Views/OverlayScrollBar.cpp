// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/OverlayScrollBar.h"

#include "Views/ResizeHandle.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {
// Clear space between the thumb and whatever lies to its right.
constexpr int gap = 2;
} // namespace

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea *area)
    : QWidget(area)
    , m_area(area)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleMs);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (m_grab >= 0 || m_hover)
            return;
        m_fade.stop();
        m_fade.setStartValue(m_opacity);
        m_fade.setEndValue(0.0);
        m_fade.setDuration(300);
        m_fade.start();
    });
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_opacity = value.toReal();
        update();
    });
    QScrollBar *bar = area->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &OverlayScrollBar::reveal);
    connect(bar, &QScrollBar::rangeChanged, this, [this] { update(); });
    area->installEventFilter(this);
    place();
    raise();
}

bool OverlayScrollBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area && event->type() == QEvent::Resize)
        place();
    return false;
}

void OverlayScrollBar::place()
{
    // Left of the panel's resize grip on the window's trailing edge (where the list reaches
    // it), so that a press on the thumb scrolls and never resizes.
    const QWidget *panel = window();
    const int gripLeft
        = m_area->mapFrom(panel, QPoint(panel->width() - ResizeHandle::gripWidth, 0)).x();
    const int right = std::min(m_area->width(), gripLeft) - gap;
    setGeometry(right - thickness, 0, thickness, m_area->height());
    raise();
}

void OverlayScrollBar::reveal()
{
    m_fade.stop();
    m_opacity = 1;
    update();
    m_idle.start();
}

QRect OverlayScrollBar::thumb() const
{
    const QScrollBar *bar = m_area->verticalScrollBar();
    const int range = bar->maximum() - bar->minimum();
    if (range <= 0)
        return {};
    const int total = range + bar->pageStep();
    const int length = std::max(24, height() * bar->pageStep() / std::max(1, total));
    const int top = (height() - length) * (bar->value() - bar->minimum()) / range;
    return QRect(0, top, width(), length);
}

void OverlayScrollBar::paintEvent(QPaintEvent *)
{
    const QRect knob = thumb();
    if (m_opacity <= 0 || knob.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = palette().color(QPalette::WindowText);
    colour.setAlphaF(float(0.45 * m_opacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(
        QRectF(knob).adjusted(0.5, 1, -0.5, -1), thickness / 2.0, thickness / 2.0);
}

void OverlayScrollBar::mousePressEvent(QMouseEvent *event)
{
    const QRect knob = thumb();
    if (knob.contains(event->position().toPoint()))
        m_grab = event->position().toPoint().y() - knob.top();
    reveal();
}

void OverlayScrollBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_grab < 0 || !(event->buttons() & Qt::LeftButton)) {
        m_grab = -1;
        return;
    }
    QScrollBar *bar = m_area->verticalScrollBar();
    const int length = thumb().height();
    const int travel = std::max(1, height() - length);
    const int top = int(event->position().y()) - m_grab;
    bar->setValue(
        bar->minimum() + (bar->maximum() - bar->minimum()) * std::clamp(top, 0, travel) / travel);
}

void OverlayScrollBar::enterEvent(QEnterEvent *)
{
    m_hover = true;
    if (!thumb().isEmpty())
        reveal();
}

void OverlayScrollBar::leaveEvent(QEvent *)
{
    m_hover = false;
    m_grab = -1;
    m_idle.start();
}

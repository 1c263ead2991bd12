// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/ResizeHandle.h"

#include "Model/PanelWidth.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

ResizeHandle::ResizeHandle(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::SizeHorCursor);
    setFixedWidth(gripWidth);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ResizeHandle::mouseMoveEvent(QMouseEvent *event)
{
    QWidget *panel = window();
    if (!panel || panel == this || !(event->buttons() & Qt::LeftButton))
        return;
    const QRect frame = panel->geometry();
    const double width = PanelWidth::clamped(QCursor::pos().x() - frame.x());
    panel->setGeometry(frame.x(), frame.y(), int(width), frame.height());
}

void ResizeHandle::mouseReleaseEvent(QMouseEvent *)
{
    QWidget *panel = window();
    if (!panel || panel == this)
        return;
    Q_EMIT released(panel->width());
}

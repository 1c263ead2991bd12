// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SidebarPanel.h"

#include "Model/PanelWidth.h"
#include "Platform/X11Window.h"

#include <QApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

#include "FinderFollower.h"

namespace {
// How long the width must stay unchanged, with no button held, before a resize counts as ended.
constexpr int settleMs = 250;
} // namespace

SidebarPanel::SidebarPanel(const QRect &frame)
    : QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
            | Qt::WindowDoesNotAcceptFocus)
    , m_settledWidth(frame.width())
{
    setWindowTitle(QStringLiteral("Quillmoth"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMinimumSize(int(PanelWidth::minimum), frame.height());
    setMaximumSize(int(PanelWidth::maximum), frame.height());
    setGeometry(frame);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_resizeSettle.setSingleShot(true);
    m_resizeSettle.setInterval(settleMs);
    connect(&m_resizeSettle, &QTimer::timeout, this, &SidebarPanel::settle);

    qApp->installEventFilter(this);
}

SidebarPanel::~SidebarPanel()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void SidebarPanel::setContentView(QWidget *view)
{
    while (QLayoutItem *item = layout()->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout()->addWidget(view);
}

void SidebarPanel::requestKeyboardFocus()
{
    setTakesKeyboard(true);
    activateWindow();
}

void SidebarPanel::setTakesKeyboard(bool takes)
{
    // On the platform window only: changing the widget's own flags would unmap and remap it.
    if (QWindow *w = windowHandle())
        w->setFlag(Qt::WindowDoesNotAcceptFocus, !takes);
}

bool SidebarPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        // A text field (it takes input-method text) in this panel: the one place that needs keys.
        if (widget->window() == this && widget != this
            && widget->testAttribute(Qt::WA_InputMethodEnabled) && widget->isEnabled())
            requestKeyboardFocus();
    }
    return false;
}

bool SidebarPanel::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate)
        setTakesKeyboard(false);
    return QWidget::event(event);
}

void SidebarPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isVisible() && width() != m_settledWidth)
        m_resizeSettle.start();
}

void SidebarPanel::settle()
{
    if (X11Window::pointerButtonDown()) {
        m_resizeSettle.start();
        return;
    }
    if (width() == m_settledWidth)
        return;
    m_settledWidth = width();
    Q_EMIT resizeEnded(width());
}

void SidebarPanel::paintEvent(QPaintEvent *)
{
    // The panel itself is clear; its content view draws the backdrop.
    if (m_firstPaintReported)
        return;
    m_firstPaintReported = true;
    // Reported once the frame has reached the screen, after this paint's flush.
    QMetaObject::invokeMethod(
        this,
        [] {
            qCDebug(lcShell, "first paint at %lld ms since the epoch",
                QDateTime::currentMSecsSinceEpoch());
        },
        Qt::QueuedConnection);
}

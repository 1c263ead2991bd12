// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SidebarPanel.h"

#include "Model/PanelWidth.h"
#include "Platform/LayerShellPanel.h"
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
// Window managers that place windows themselves (sway, weston) answer every move with their own
// position: after this many refusals in a row the panel stays where it is put until it shows again.
constexpr int maxPlaceBackTries = 3;
} // namespace

SidebarPanel::SidebarPanel(const QRect &frame)
    : QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
            | Qt::WindowDoesNotAcceptFocus)
    , m_frame(frame)
    , m_settledWidth(frame.width())
    , m_layer(LayerShellPanel::make())
{
    if (m_layer) {
        // A surface without a shell role, which the layer shell then takes.
        setWindowFlag(Qt::BypassWindowManagerHint);
        connect(
            m_layer.get(), &LayerShellPanel::configured, this, &SidebarPanel::takeCompositorSize);
        // Its output went away: hidden until the follower shows it again, on the output then.
        connect(m_layer.get(), &LayerShellPanel::closed, this, &QWidget::hide);
    } else if (X11Window::managerIgnoresPlacement()) {
        // Placed by the program alone, at the edge, and moved when the work area changes.
        setWindowFlag(Qt::BypassWindowManagerHint);
    }
    setWindowTitle(QStringLiteral("Quillmoth"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Qt shows tooltips only over the active window unless the window asks otherwise, and the
    // panel is seldom active: the file manager is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFrame(frame);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_resizeSettle.setSingleShot(true);
    m_resizeSettle.setInterval(settleMs);
    connect(&m_resizeSettle, &QTimer::timeout, this, &SidebarPanel::settle);
    m_placeBack.setSingleShot(true);
    m_placeBack.setInterval(settleMs);
    connect(&m_placeBack, &QTimer::timeout, this, &SidebarPanel::placeBack);

    qApp->installEventFilter(this);
}

SidebarPanel::~SidebarPanel()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void SidebarPanel::setFrame(const QRect &frame)
{
    m_frame = frame;
    setMinimumSize(int(PanelWidth::minimum), frame.height());
    setMaximumSize(int(PanelWidth::maximum), frame.height());
    // The width the panel has (the user's); the frame's only until it has one.
    setGeometry(frame.x(), frame.y(), testAttribute(Qt::WA_Resized) ? width() : frame.width(),
        frame.height());
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
    X11Window::activate(windowHandle());
}

void SidebarPanel::setVisible(bool visible)
{
    // Qt destroys the window's surface on hide and makes a new one on show: the role goes first
    // and comes back with the new surface, before anything is drawn on it.
    if (m_layer && !visible)
        m_layer->unmap();
    QWidget::setVisible(visible);
    if (m_layer && visible && !m_layer->isMapped() && windowHandle())
        m_layer->map(*windowHandle(), width());
}

void SidebarPanel::takeCompositorSize(const QSize &size)
{
    if (size.height() <= 0)
        return;
    setFrame(QRect(m_frame.x(), m_frame.y(), width(), size.height()));
}

void SidebarPanel::setTakesKeyboard(bool takes)
{
    if (m_layer)
        m_layer->setKeyboardWanted(takes);
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
    if (event->type() == QEvent::WindowDeactivate) {
        qCDebug(lcShell, "the panel gave the keyboard back");
        setTakesKeyboard(false);
    } else if (event->type() == QEvent::WindowActivate) {
        qCDebug(lcShell, "the panel has the keyboard");
    } else if (event->type() == QEvent::Leave && m_layer) {
        m_layer->pointerLeft();
    }
    return QWidget::event(event);
}

void SidebarPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_layer)
        m_layer->setWidth(width());
    if (isVisible() && width() != m_settledWidth)
        m_resizeSettle.start();
}

void SidebarPanel::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (pos() == m_frame.topLeft())
        m_placeBackTries = 0;
    else if (isVisible() && m_placeBackTries < maxPlaceBackTries)
        m_placeBack.start();
}

void SidebarPanel::placeBack()
{
    // Not while a drag (the window manager's move) is still going on.
    if (X11Window::pointerButtonDown()) {
        m_placeBack.start();
        return;
    }
    if (pos() != m_frame.topLeft()) {
        ++m_placeBackTries;
        move(m_frame.topLeft());
    }
}

void SidebarPanel::showEvent(QShowEvent *event)
{
    // Sent before the window maps: the states go with the map, where window managers read them.
    X11Window::setPanelStates(windowHandle());
    m_placeBackTries = 0;
    if (pos() != m_frame.topLeft())
        move(m_frame.topLeft());
    QWidget::showEvent(event);
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

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FinderFollower.h"

#include "Platform/FileManagerIdentity.h"
#include "Platform/X11Window.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>
#include <QWindow>

// Warnings by default, as every category here: info and debug lines are for a user who asks.
Q_LOGGING_CATEGORY(lcShell, QUILLMOTH_APP_ID ".shell", QtWarningMsg)

namespace {

QString describe(const std::optional<WindowApplication> &app)
{
    if (!app)
        return QStringLiteral("no application");
    return app->isDesktop ? QStringLiteral("the desktop") : app->identifiers().join(u',');
}

} // namespace

FinderFollower::FinderFollower(std::unique_ptr<ActiveApplicationSource> source, QObject *parent)
    : QObject(parent)
    , m_observer(std::move(source))
{
    connect(m_observer.get(), &ActiveApplicationSource::activeApplicationChanged, this, [this] {
        // The candidate is the application active when the change is seen.
        decideLater(m_observer->current());
    });
    connect(m_observer.get(), &ActiveApplicationSource::observabilityChanged, this, [this] {
        reportObservability();
        decideLater(std::nullopt);
    });
    reportObservability();
}

void FinderFollower::reportObservability()
{
    if (!m_observer->observable())
        qCWarning(lcShell).noquote()
            << "The panel stays shown:" << m_observer->unobservableReason();
}

void FinderFollower::attach(QWidget *panel)
{
    m_window = panel;
    apply(std::nullopt);
}

void FinderFollower::ownActivation()
{
    WindowApplication self;
    self.pid = QCoreApplication::applicationPid();
    decideLater(self);
}

void FinderFollower::decideLater(const std::optional<WindowApplication> &front)
{
    QPointer<FinderFollower> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, front] {
            if (self)
                self->apply(front);
        },
        Qt::QueuedConnection);
}

void FinderFollower::apply(const std::optional<WindowApplication> &front)
{
    QWidget *panel = m_window.data();
    if (!panel)
        return;

    // Floating level on every decision, shown or not: the flag covers later maps, the request
    // covers a window manager that dropped the state meanwhile.
    if (QWindow *w = panel->windowHandle(); w && !(w->flags() & Qt::WindowStaysOnTopHint))
        w->setFlag(Qt::WindowStaysOnTopHint, true);

    bool show;
    std::optional<WindowApplication> judged;
    if (!m_observer->observable()) {
        show = true;
    } else {
        judged = front ? front : m_observer->current();
        if (!judged)
            show = false;
        else if (judged->isDesktop // the desktop belongs to the file manager
            || FileManagerIdentity::matches(
                judged->identifiers(), FileManagerIdentity::identifiers()))
            show = true;
        else
            show = judged->pid && *judged->pid == QCoreApplication::applicationPid();
    }
    qCDebug(lcShell).noquote() << (show ? "show" : "hide") << "for" << describe(judged) << "pid"
                               << (judged && judged->pid ? *judged->pid : -1);

    if (show) {
        // In front within its level, without taking the keyboard.
        if (!panel->isVisible())
            panel->show();
        X11Window::bringToFront(panel->windowHandle());
    } else {
        panel->hide();
    }
}

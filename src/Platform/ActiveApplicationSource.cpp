// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ActiveApplicationSource.h"

#include "Platform/ActiveWindow.h"
#include "Platform/GnomeShellSource.h"
#include "Platform/KWinScriptSource.h"
#include "Platform/PlasmaWindowManagement.h"
#include "Platform/WlrForeignToplevel.h"

QStringList WindowApplication::identifiers() const
{
    QStringList ids;
    for (const QString &s : { applicationId, classInstance, className })
        if (!s.isEmpty())
            ids << s;
    return ids;
}

namespace {

// A session that tells nobody which application is active.
class UnobservableSource : public ActiveApplicationSource
{
public:
    UnobservableSource(QString reason, QObject *parent)
        : ActiveApplicationSource(parent)
        , m_reason(std::move(reason))
    {
    }
    bool observable() const override { return false; }
    QString unobservableReason() const override { return m_reason; }
    std::optional<WindowApplication> current() const override { return std::nullopt; }

private:
    QString m_reason;
};

} // namespace

std::unique_ptr<ActiveApplicationSource> ActiveApplicationSource::make(
    GnomeShellExtension *gnomeExtension, QObject *parent)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::make_unique<ActiveWindow>(parent);
    // A Wayland session: XWayland's root window sees only X11 windows, so EWMH would read None
    // for every native window. Each step below returns a source or says why it cannot.
    QString whyNot;
    if (auto wlr = WlrForeignToplevel::make(whyNot, parent))
        return wlr;
    // KWin grants its window management to installed programs only; the script needs nothing.
    QString whyNotPlasma;
    if (auto plasma = PlasmaWindowManagement::make(whyNotPlasma, parent))
        return plasma;
    if (auto kwin = KWinScriptSource::tryMake(parent))
        return kwin;
    if (gnomeExtension)
        if (auto gnome = GnomeShellSource::tryMake(*gnomeExtension, parent))
            return gnome;
    return std::make_unique<UnobservableSource>(
        QStringLiteral("%1, so the active application cannot be observed").arg(whyNot), parent);
}

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ColorScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Read wraps the value in one more variant than ReadOne; unwrap whatever arrives.
std::optional<uint> portalNumber(QVariant value)
{
    for (int depth = 0; depth < 3 && value.canConvert<QDBusVariant>()
         && value.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}
} // namespace

ColorSchemeMonitor &ColorSchemeMonitor::shared()
{
    static ColorSchemeMonitor *monitor = new ColorSchemeMonitor;
    return *monitor;
}

ColorSchemeMonitor::ColorSchemeMonitor()
{
    m_last = scheme();
    if (qApp)
        qApp->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
            this, SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
        readPortal();
    }
}

std::optional<ColorScheme> ColorSchemeMonitor::fromPortalValue(uint value)
{
    if (value == 1)
        return ColorScheme::dark;
    if (value == 2)
        return ColorScheme::light;
    return std::nullopt;
}

ColorScheme ColorSchemeMonitor::fromPalette()
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightnessF() < 0.5 ? ColorScheme::dark : ColorScheme::light;
}

ColorScheme ColorSchemeMonitor::scheme() const
{
    if (m_override)
        return *m_override;
    if (m_portal)
        return *m_portal;
    return fromPalette();
}

void ColorSchemeMonitor::setOverride(std::optional<ColorScheme> scheme)
{
    m_override = scheme;
    emitIfChanged();
}

void ColorSchemeMonitor::readPortal()
{
    // Asynchronous, so a slow or absent portal never holds up the first paint.
    auto ask = [this](const QString &method, bool fallBack) {
        QDBusMessage call
            = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
        call << appearance << colorSchemeKey;
        auto *watcher = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(call, 2000), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, fallBack](QDBusPendingCallWatcher *) {
                watcher->deleteLater();
                const QDBusMessage reply = watcher->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                    if (const std::optional<uint> number
                        = portalNumber(reply.arguments().constFirst()))
                        setPortalPreference(fromPortalValue(*number));
                    return;
                }
                // Older portals have only Read.
                if (fallBack) {
                    QDBusMessage older = QDBusMessage::createMethodCall(
                        portalService, portalPath, settingsInterface, QStringLiteral("Read"));
                    older << appearance << colorSchemeKey;
                    auto *second = new QDBusPendingCallWatcher(
                        QDBusConnection::sessionBus().asyncCall(older, 2000), this);
                    connect(second, &QDBusPendingCallWatcher::finished, this,
                        [this, second](QDBusPendingCallWatcher *) {
                            second->deleteLater();
                            const QDBusMessage r = second->reply();
                            if (r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty())
                                if (const std::optional<uint> number
                                    = portalNumber(r.arguments().constFirst()))
                                    setPortalPreference(fromPortalValue(*number));
                        });
                }
            });
    };
    ask(QStringLiteral("ReadOne"), true);
}

void ColorSchemeMonitor::portalSettingChanged(
    const QString &nameSpace, const QString &key, const QDBusVariant &value)
{
    if (nameSpace != appearance || key != colorSchemeKey)
        return;
    if (const std::optional<uint> number = portalNumber(value.variant()))
        setPortalPreference(fromPortalValue(*number));
}

void ColorSchemeMonitor::setPortalPreference(std::optional<ColorScheme> preference)
{
    m_portal = preference;
    emitIfChanged();
}

bool ColorSchemeMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // The text and accent colours come from the palette, so any palette change re-renders.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        m_last = scheme();
        Q_EMIT changed();
    }
    return false;
}

void ColorSchemeMonitor::emitIfChanged()
{
    const ColorScheme now = scheme();
    if (now == m_last)
        return;
    m_last = now;
    Q_EMIT changed();
}

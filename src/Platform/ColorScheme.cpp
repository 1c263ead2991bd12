// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ColorScheme.h"

#include "Platform/InstalledGSettings.h"

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>

#include <gio/gio.h>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr const char *gnomeSchema = "org.gnome.desktop.interface";
constexpr const char *gnomeKey = "color-scheme";
// kdeglobals holds a few kilobytes; anything far beyond is not a settings file.
constexpr qint64 maxKdeGlobalsBytes = 1024 * 1024;

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

ColorSchemeMonitor::~ColorSchemeMonitor()
{
    if (m_gnomeSettings) {
        g_signal_handlers_disconnect_by_data(m_gnomeSettings, this);
        g_object_unref(m_gnomeSettings);
    }
}

ColorSchemeMonitor::ColorSchemeMonitor(QObject *parent)
    : QObject(parent)
{
    watchGnome();
    watchKde();
    m_last = preference();
    if (qApp)
        qApp->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
            this, SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
        readPortal();
    }
}

std::optional<ColorPreference> ColorSchemeMonitor::fromPortalValue(uint value)
{
    if (value == 1)
        return ColorPreference::dark;
    if (value == 2)
        return ColorPreference::light;
    return std::nullopt;
}

std::optional<ColorPreference> ColorSchemeMonitor::fromGnomeValue(const QString &value)
{
    if (value == QLatin1String("prefer-dark"))
        return ColorPreference::dark;
    if (value == QLatin1String("prefer-light"))
        return ColorPreference::light;
    return std::nullopt;
}

std::optional<ColorPreference> ColorSchemeMonitor::fromKdeGlobals(const QByteArray &text)
{
    QByteArray group, scheme, background;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            group = line;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals).trimmed();
        if (group == "[General]" && key == "ColorScheme")
            scheme = line.mid(equals + 1).trimmed();
        else if (group == "[Colors:Window]" && key == "BackgroundNormal")
            background = line.mid(equals + 1).trimmed();
    }
    if (scheme.contains("Dark"))
        return ColorPreference::dark;
    const QList<QByteArray> rgb = background.split(',');
    if (rgb.size() >= 3) {
        const QColor window(
            rgb[0].trimmed().toInt(), rgb[1].trimmed().toInt(), rgb[2].trimmed().toInt());
        if (window.isValid())
            return window.lightnessF() < 0.5 ? ColorPreference::dark : ColorPreference::light;
    }
    if (!scheme.isEmpty())
        return ColorPreference::light;
    return std::nullopt;
}

ColorPreference ColorSchemeMonitor::fromPalette()
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightnessF() < 0.5 ? ColorPreference::dark : ColorPreference::light;
}

ColorPreference ColorSchemeMonitor::preference() const
{
    for (const std::optional<ColorPreference> &source : { m_override, m_portal, m_gnome, m_kde })
        if (source)
            return *source;
    return fromPalette();
}

void ColorSchemeMonitor::setOverride(std::optional<ColorPreference> preference)
{
    m_override = preference;
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

void ColorSchemeMonitor::watchGnome()
{
    m_gnomeSettings = installedGSettings(gnomeSchema, { gnomeKey });
    if (!m_gnomeSettings)
        return;
    g_signal_connect(m_gnomeSettings, "changed::color-scheme",
        G_CALLBACK(+[](GSettings *, const char *, gpointer self) {
            static_cast<ColorSchemeMonitor *>(self)->readGnome();
        }),
        this);
    readGnome(); // GSettings reports changes only of keys that were read
}

void ColorSchemeMonitor::readGnome()
{
    gchar *value = g_settings_get_string(m_gnomeSettings, gnomeKey);
    m_gnome = fromGnomeValue(QString::fromUtf8(value));
    g_free(value);
    emitIfChanged();
}

void ColorSchemeMonitor::watchKde()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    m_kdeGlobals = config + QStringLiteral("/kdeglobals");
    // The folder for files that appear or are replaced by rename, the file for writes in place.
    if (QFileInfo(config).isDir())
        m_kdeWatcher.addPath(config);
    connect(
        &m_kdeWatcher, &QFileSystemWatcher::directoryChanged, this, &ColorSchemeMonitor::readKde);
    connect(&m_kdeWatcher, &QFileSystemWatcher::fileChanged, this, &ColorSchemeMonitor::readKde);
    readKde();
}

void ColorSchemeMonitor::readKde()
{
    QFile file(m_kdeGlobals);
    if (!file.open(QIODevice::ReadOnly)) {
        m_kde.reset();
    } else {
        if (!m_kdeWatcher.files().contains(m_kdeGlobals))
            m_kdeWatcher.addPath(m_kdeGlobals);
        m_kde = fromKdeGlobals(file.read(maxKdeGlobalsBytes));
    }
    emitIfChanged();
}

void ColorSchemeMonitor::portalSettingChanged(
    const QString &nameSpace, const QString &key, const QDBusVariant &value)
{
    if (nameSpace != appearance || key != colorSchemeKey)
        return;
    if (const std::optional<uint> number = portalNumber(value.variant()))
        setPortalPreference(fromPortalValue(*number));
}

void ColorSchemeMonitor::setPortalPreference(std::optional<ColorPreference> preference)
{
    m_portal = preference;
    emitIfChanged();
}

bool ColorSchemeMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // The text and accent colours come from the palette, so any palette change re-renders.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        m_last = preference();
        Q_EMIT changed();
    }
    return false;
}

void ColorSchemeMonitor::emitIfChanged()
{
    const ColorPreference now = preference();
    if (now == m_last)
        return;
    m_last = now;
    Q_EMIT changed();
}

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/DesktopIconTheme.h"

#include "Platform/InstalledGSettings.h"
#include "Platform/Xcb.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>

#include <xcb/xfixes.h>

namespace {

// Reads XSETTINGS' wire format: a byte order, a serial, a count, then each setting's type,
// name, serial and value, every field padded to four bytes.
class XSettingsCursor
{
public:
    explicit XSettingsCursor(const QByteArray &bytes)
        : m_bytes(bytes)
        , m_bigEndian(!bytes.isEmpty() && bytes.at(0) == 1)
    {
    }
    bool skip(qsizetype count)
    {
        if (count < 0 || m_bytes.size() - m_at < count)
            return false;
        m_at += count;
        return true;
    }
    std::optional<quint32> number(int size)
    {
        if (m_bytes.size() - m_at < size)
            return std::nullopt;
        const uchar *at = reinterpret_cast<const uchar *>(m_bytes.constData() + m_at);
        m_at += size;
        if (size == 1)
            return *at;
        if (size == 2)
            return m_bigEndian ? qFromBigEndian<quint16>(at) : qFromLittleEndian<quint16>(at);
        return m_bigEndian ? qFromBigEndian<quint32>(at) : qFromLittleEndian<quint32>(at);
    }
    // `length` bytes, then the padding to four.
    std::optional<QByteArray> text(quint32 length)
    {
        const qsizetype start = m_at;
        if (!skip(qsizetype(length)) || !skip((4 - length % 4) % 4))
            return std::nullopt;
        return m_bytes.mid(start, qsizetype(length));
    }

private:
    const QByteArray &m_bytes;
    bool m_bigEndian;
    qsizetype m_at = 0;
};

enum XSettingType : quint32 { integer = 0, string = 1, colour = 2 };

quint32 selectionOwner(quint32 selection)
{
    xcb_connection_t *c = Xcb::connection();
    if (!c)
        return XCB_WINDOW_NONE;
    const Xcb::Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return owner ? quint32(owner->owner) : quint32(XCB_WINDOW_NONE);
}

QString fromXSettings()
{
    const xcb_atom_t selection
        = Xcb::atom("_XSETTINGS_S" + QByteArray::number(Xcb::screenNumber()));
    const xcb_window_t owner = selectionOwner(selection);
    if (owner == XCB_WINDOW_NONE)
        return {};
    const xcb_atom_t settings = Xcb::atom("_XSETTINGS_SETTINGS");
    const auto property = Xcb::property(Xcb::connection(), owner, settings, settings, 16384);
    const std::optional<QByteArray> name = DesktopIconTheme::xsettingsString(
        property ? Xcb::bytes(property.get()) : QByteArray(), "Net/IconThemeName");
    return name ? QString::fromUtf8(*name) : QString();
}

// Read through the settings that are watched: GSettings reports changes only of keys read.
QString fromGnomeInterface(GSettings *settings)
{
    if (!settings)
        return {};
    gchar *name = g_settings_get_string(settings, "icon-theme");
    const QString theme = QString::fromUtf8(name);
    g_free(name);
    return theme;
}

// The user's settings.ini first, then the system's, as GTK reads them.
QString fromGtkSettingsIni()
{
    const QStringList files = QStandardPaths::locateAll(
        QStandardPaths::GenericConfigLocation, QStringLiteral("gtk-3.0/settings.ini"));
    for (const QString &file : files) {
        GKeyFile *keys = g_key_file_new();
        gchar *name = nullptr;
        if (g_key_file_load_from_file(
                keys, QFile::encodeName(file).constData(), G_KEY_FILE_NONE, nullptr))
            name = g_key_file_get_string(keys, "Settings", "gtk-icon-theme-name", nullptr);
        const QString theme = QString::fromUtf8(name).trimmed();
        g_free(name);
        g_key_file_free(keys);
        if (!theme.isEmpty())
            return theme;
    }
    return {};
}

bool installed(const QString &theme)
{
    if (theme.isEmpty() || theme.contains(QLatin1Char('/')) || theme.startsWith(QLatin1Char('.')))
        return false;
    const QStringList folders = QIcon::themeSearchPaths();
    return std::any_of(folders.begin(), folders.end(), [&](const QString &folder) {
        return QFileInfo::exists(
            folder + QLatin1Char('/') + theme + QStringLiteral("/index.theme"));
    });
}

} // namespace

DesktopIconTheme::DesktopIconTheme(QObject *parent)
    : QObject(parent)
    , m_qtTheme(QIcon::themeName())
{
    watchXSettings();
    watchGnome();
    adopt();
}

DesktopIconTheme::~DesktopIconTheme()
{
    if (m_selection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_gnome)
        g_object_unref(m_gnome);
}

QString DesktopIconTheme::chosen() const
{
    // A theme Qt was given by KDE or by a Qt platform theme the user installed is the user's.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME")
        || !(m_qtTheme.isEmpty() || m_qtTheme == QLatin1String("hicolor")
            || m_qtTheme == QLatin1String("Adwaita")))
        return {};
    // GTK reads XSETTINGS on X11 and GNOME's settings on Wayland, settings.ini where those are
    // silent.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    for (const QString &theme :
        { wayland ? fromGnomeInterface(m_gnome) : fromXSettings(), fromGtkSettingsIni() }) {
        if (!theme.isEmpty())
            return installed(theme) ? theme : QString();
    }
    return {};
}

void DesktopIconTheme::adopt()
{
    const QString desktop = chosen();
    const QString theme = desktop.isEmpty() ? m_qtTheme : desktop;
    if (theme == QIcon::themeName())
        return;
    QIcon::setThemeName(theme);
    Q_EMIT changed();
}

void DesktopIconTheme::watchXSettings()
{
    if (!Xcb::connection() || QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    m_selection = Xcb::atom("_XSETTINGS_S" + QByteArray::number(Xcb::screenNumber()));
    m_selectionNotify = Xcb::watchSelectionOwner(m_selection).value_or(0);
    // The owner publishes every change as a new value of a property on its window.
    m_owner = selectionOwner(m_selection);
    Xcb::addEventMask(m_owner, XCB_EVENT_MASK_PROPERTY_CHANGE);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

void DesktopIconTheme::watchGnome()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    m_gnome = installedGSettings("org.gnome.desktop.interface", { "icon-theme" });
    if (!m_gnome)
        return;
    g_signal_connect(m_gnome, "changed::icon-theme",
        G_CALLBACK(+[](GSettings *, const char *, gpointer self) {
            static_cast<DesktopIconTheme *>(self)->adopt();
        }),
        this);
}

bool DesktopIconTheme::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    const std::optional<quint8> type = Xcb::eventType(eventType, message);
    if (!type)
        return false;
    if (m_selectionNotify && *type == m_selectionNotify) {
        const auto *notify = static_cast<const xcb_xfixes_selection_notify_event_t *>(message);
        if (notify->selection != m_selection)
            return false;
        m_owner = notify->owner;
        Xcb::addEventMask(m_owner, XCB_EVENT_MASK_PROPERTY_CHANGE);
        adopt();
    } else if (*type == XCB_PROPERTY_NOTIFY) {
        const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
        if (notify->window == m_owner && notify->atom == Xcb::atom("_XSETTINGS_SETTINGS"))
            adopt();
    }
    return false;
}

std::optional<QByteArray> DesktopIconTheme::xsettingsString(
    const QByteArray &property, const QByteArray &name)
{
    XSettingsCursor cursor(property);
    const std::optional<quint32> count
        = cursor.skip(4) && cursor.skip(4) ? cursor.number(4) : std::nullopt;
    for (quint32 i = 0; count && i < *count; ++i) {
        const std::optional<quint32> type = cursor.number(1);
        const std::optional<quint32> nameLength = cursor.skip(1) ? cursor.number(2) : std::nullopt;
        const std::optional<QByteArray> settingName
            = nameLength ? cursor.text(*nameLength) : std::nullopt;
        if (!type || !settingName || !cursor.skip(4)) // the setting's serial
            return std::nullopt;
        if (*type == string) {
            const std::optional<quint32> length = cursor.number(4);
            const std::optional<QByteArray> value = length ? cursor.text(*length) : std::nullopt;
            if (!value)
                return std::nullopt;
            if (*settingName == name)
                return value;
        } else if (!cursor.skip(*type == integer ? 4 : *type == colour ? 8 : -1)) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

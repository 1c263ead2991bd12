// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/DesktopIconTheme.h"

#include "Platform/InstalledGSettings.h"
#include "Platform/Xcb.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>

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

QString fromXSettings()
{
    xcb_connection_t *c = Xcb::connection();
    if (!c)
        return {};
    const xcb_atom_t selection
        = Xcb::atom("_XSETTINGS_S" + QByteArray::number(Xcb::screenNumber()));
    const Xcb::Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return {};
    const xcb_atom_t settings = Xcb::atom("_XSETTINGS_SETTINGS");
    const auto property = Xcb::property(c, owner->owner, settings, settings, 16384);
    const std::optional<QByteArray> name = DesktopIconTheme::xsettingsString(
        property ? Xcb::bytes(property.get()) : QByteArray(), "Net/IconThemeName");
    return name ? QString::fromUtf8(*name) : QString();
}

QString fromGnomeInterface()
{
    GSettings *settings = installedGSettings("org.gnome.desktop.interface", { "icon-theme" });
    if (!settings)
        return {};
    gchar *name = g_settings_get_string(settings, "icon-theme");
    const QString theme = QString::fromUtf8(name);
    g_free(name);
    g_object_unref(settings);
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

QString DesktopIconTheme::chosen()
{
    // A theme Qt was given by KDE or by a Qt platform theme the user installed is the user's.
    const QString ours = QIcon::themeName();
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME")
        || !(
            ours.isEmpty() || ours == QLatin1String("hicolor") || ours == QLatin1String("Adwaita")))
        return {};
    // GTK reads XSETTINGS on X11 and GNOME's settings on Wayland, settings.ini where those are
    // silent.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    for (const QString &theme :
        { wayland ? fromGnomeInterface() : fromXSettings(), fromGtkSettingsIni() }) {
        if (!theme.isEmpty())
            return installed(theme) && theme != ours ? theme : QString();
    }
    return {};
}

void DesktopIconTheme::adopt()
{
    if (const QString theme = chosen(); !theme.isEmpty())
        QIcon::setThemeName(theme);
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

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

typedef struct _GSettings GSettings;

// Follows the icon theme the desktop chose for its applications where Qt was not told it. Qt
// learns the theme from KDE's settings or a Qt platform theme (qt6ct, the GTK one); elsewhere
// (Xfce, MATE, Cinnamon, sway, a bare window manager, and GNOME for any theme but Adwaita) it
// would draw from hicolor or Adwaita while the file manager beside the panel draws from the
// user's theme. The theme is the one GTK applications use: XSETTINGS on X11, GNOME's interface
// settings on Wayland (both followed as they change), then GTK's settings.ini.
class DesktopIconTheme : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Makes the desktop's theme the application's at once.
    explicit DesktopIconTheme(QObject *parent = nullptr);
    ~DesktopIconTheme() override;

    // The string setting `name` in an XSETTINGS property's bytes; nothing when it is absent or
    // the bytes are malformed.
    static std::optional<QByteArray> xsettingsString(
        const QByteArray &property, const QByteArray &name);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // The application's icon theme is another now: icons drawn before are stale.
    void changed();

private:
    // The desktop's theme when it is installed and Qt's own is not the user's choice; empty
    // otherwise.
    QString chosen() const;
    void adopt();
    void watchXSettings();
    void watchGnome();

    QString m_qtTheme; // Qt's own, taken again when the desktop names nothing usable
    quint32 m_selection = 0; // _XSETTINGS_S<screen>
    quint32 m_owner = 0; // the selection's owner, whose property holds the settings
    quint8 m_selectionNotify = 0;
    GSettings *m_gnome = nullptr;
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSize>

#include <memory>

class QWindow;
class LayerShell;
class LayerSurface;

// Makes one window a desktop panel on Wayland compositors that offer zwlr_layer_shell_v1
// (wlroots, KWin): a layer surface on the top layer, anchored to the output's left edge, top and
// bottom, reserving no space, and taking the keyboard only while asked to. Qt gives a window
// flagged Qt::BypassWindowManagerHint a surface without a role
// (QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT, set before the application starts); this gives that
// surface the layer role each time the window is shown, and takes it away before Qt destroys the
// surface on hide, so showing and hiding map and unmap it.
class LayerShellPanel : public QObject
{
    Q_OBJECT
public:
    // The panel role, when the program is a native Wayland client of a compositor offering layer
    // shell; otherwise empty.
    static std::unique_ptr<LayerShellPanel> make(QObject *parent = nullptr);
    ~LayerShellPanel() override;

    // Gives `window`'s new surface the role, `width` wide and as tall as the compositor makes it,
    // and waits for the compositor's size, which `configured` reports. Call right after the window
    // is shown, before it draws.
    void map(QWindow &window, int width);
    // Takes the role away; call before the window hides (which destroys its surface).
    void unmap();
    bool isMapped() const { return m_surface != nullptr; }

    // The surface's width from now on (the compositor answers with `configured`).
    void setWidth(int width);
    // Whether the surface takes the keyboard. Asked for after the click that wants it, so it is
    // taken at once (exclusively: a compositor gives a surface on demand only the keyboard of a
    // click still to come), and given back when the pointer leaves the panel.
    void setKeyboardWanted(bool wanted);
    // The pointer left the surface.
    void pointerLeft();

Q_SIGNALS:
    // The compositor chose the surface's size (logical pixels).
    void configured(const QSize &size);
    // The compositor will not show the surface any more (its output went away).
    void closed();

private:
    explicit LayerShellPanel(std::unique_ptr<LayerShell> shell, QObject *parent);
    void commit();

    std::unique_ptr<LayerShell> m_shell;
    std::unique_ptr<LayerSurface> m_surface;
    QWindow *m_window = nullptr;
    int m_width = 0;
    bool m_keyboardWanted = false;
};

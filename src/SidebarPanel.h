// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

class LayerShellPanel;
class QWindow;

// The one window: frameless, translucent, above normal windows, on the left edge of the screen,
// on every workspace and in no taskbar or window switcher. It takes the keyboard only when a click
// lands in a text field (the search field); any other click leaves the active application as it
// was. Moved away (by the window manager), it goes back to its place once the pointer is released.
// Where the Wayland compositor offers the layer shell, it is a layer surface instead, placed and
// sized by the compositor, mapped while shown.
class SidebarPanel : public QWidget
{
    Q_OBJECT
public:
    // A panel at `frame` whose height cannot change and whose width stays within the panel's
    // minimum and maximum.
    explicit SidebarPanel(const QRect &frame);
    ~SidebarPanel() override;

    // Moves the panel to `frame`'s position and height, keeping the width it has.
    void setFrame(const QRect &frame);

    // Hosts `view` as the panel's whole content (replacing any earlier one).
    void setContentView(QWidget *view);

    // Lets the panel take the keyboard and asks for it, for the view that needs typing.
    void requestKeyboardFocus();

    void setVisible(bool visible) override;

Q_SIGNALS:
    // A resize of the panel (by the window manager's edge resizing or by any other means) has
    // come to rest with the pointer released.
    void resizeEnded(int width);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setTakesKeyboard(bool takes);
    void settle();
    void placeBack();
    void takeCompositorSize(const QSize &size);

    QRect m_frame;
    QTimer m_resizeSettle;
    QTimer m_placeBack;
    int m_placeBackTries = 0;
    int m_settledWidth;
    bool m_firstPaintReported = false;
    // Declared last, so that the role goes before the window's surface.
    std::unique_ptr<LayerShellPanel> m_layer;
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>
#include <QWidget>

class QWindow;

// The one window: frameless, translucent, above normal windows, on the left edge of the screen.
// It takes the keyboard only when a click lands in a text field (the search field); any other
// click leaves the active application as it was.
class SidebarPanel : public QWidget
{
    Q_OBJECT
public:
    // A panel at `frame` whose height cannot change and whose width stays within the panel's
    // minimum and maximum.
    explicit SidebarPanel(const QRect &frame);
    ~SidebarPanel() override;

    // Hosts `view` as the panel's whole content (replacing any earlier one).
    void setContentView(QWidget *view);

    // Lets the panel take the keyboard and asks for it, for the view that needs typing.
    void requestKeyboardFocus();

Q_SIGNALS:
    // A resize of the panel (by the window manager's edge resizing or by any other means) has
    // come to rest with the pointer released.
    void resizeEnded(int width);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setTakesKeyboard(bool takes);
    void settle();

    QTimer m_resizeSettle;
    int m_settledWidth;
    bool m_firstPaintReported = false;
};

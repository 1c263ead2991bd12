// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

class QAbstractScrollArea;

// A thin scroller drawn over the list's content: it appears while the list scrolls and fades
// out when scrolling stops, whatever the style or the desktop's scroll-bar setting says. The
// area's own scroll bar stays hidden and only supplies the range.
class OverlayScrollBar : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayScrollBar(QAbstractScrollArea *area);
    qreal opacity() const { return m_opacity; }
    static constexpr int thickness = 6;
    static constexpr int idleMs = 800;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    void reveal();
    void place();
    QRect thumb() const;
    QAbstractScrollArea *m_area;
    qreal m_opacity = 0;
    QTimer m_idle;
    QVariantAnimation m_fade;
    int m_grab = -1;
    bool m_hover = false;
};

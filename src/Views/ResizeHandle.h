// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

// The 6-point grip on the panel's trailing edge: dragging it moves the right edge to the pointer
// (width held to 220..640, origin and height unchanged); releasing reports the width.
class ResizeHandle : public QWidget
{
    Q_OBJECT
public:
    static constexpr int gripWidth = 6;
    explicit ResizeHandle(QWidget *parent = nullptr);

Q_SIGNALS:
    // The drag ended with the panel this wide.
    void released(int width);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

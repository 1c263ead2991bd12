// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Views/Theme.h"

#include <QAbstractButton>

// An on/off switch: a rounded track, filled with the accent colour when on, and a round knob at
// the side of its state. Clicking it toggles it.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget *parent = nullptr);
    void setTheme(const Theme &theme);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Theme m_theme { ColorScheme::light };
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Views/Theme.h"

#include <QStringList>
#include <QVariantAnimation>
#include <QWidget>

// A row of text segments on a rounded track; the selected one sits on a white pill with a
// soft shadow that slides over in 0.12 s (ease-out). Never takes keyboard focus.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(QStringList titles, QWidget *parent = nullptr);
    void setSelected(int index, bool animated = true);
    int selected() const { return m_selected; }
    void setTheme(const Theme &theme);
    QRect segmentRect(int index) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    // A click on a segment, also on the one already selected.
    void segmentClicked(int index);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QStringList m_titles;
    int m_selected = 0;
    Theme m_theme { ColorScheme::light };
    qreal m_pillX = -1;
    QVariantAnimation m_slide;
};

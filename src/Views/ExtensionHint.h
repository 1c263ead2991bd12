// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>

class GnomeShellExtension;
class QLabel;
class QPushButton;

// One line above the list on GNOME on Wayland while the program's shell extension does not run:
// why the panel stays shown, and a button that turns the extension on. Hidden everywhere else,
// and as soon as the extension runs.
class ExtensionHint : public QFrame
{
    Q_OBJECT
public:
    // Hidden for good without an extension; `extension` outlives the hint.
    explicit ExtensionHint(GnomeShellExtension *extension, QWidget *parent = nullptr);

private:
    void refresh();
    void onEnableFinished(bool isKnown);

    GnomeShellExtension *m_extension;
    QLabel *m_text;
    QPushButton *m_enable;
};

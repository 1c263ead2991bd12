// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/ExtensionHint.h"

#include "Platform/GnomeShellExtension.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int hintMargin = 8;
}

ExtensionHint::ExtensionHint(GnomeShellExtension *extension, QWidget *parent)
    : QFrame(parent)
    , m_extension(extension)
    , m_text(new QLabel(this))
    , m_enable(new QPushButton(tr("Turn On"), this))
{
    setObjectName(QStringLiteral("extensionHint"));
    m_enable->setObjectName(QStringLiteral("enableExtension"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setText(tr("Shown all the time: turn on the Quillmoth extension so the panel can "
                       "follow the file manager. GNOME on Wayland finds a newly installed "
                       "extension at your next login."));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(hintMargin, hintMargin, hintMargin, hintMargin);
    row->addWidget(m_text, 1);
    row->addWidget(m_enable);
    if (!m_extension || !GnomeShellExtension::isNeededHere()) {
        hide();
        return;
    }
    connect(m_extension, &GnomeShellExtension::activeChanged, this, &ExtensionHint::refresh);
    connect(
        m_extension, &GnomeShellExtension::enableFinished, this, &ExtensionHint::onEnableFinished);
    connect(m_enable, &QPushButton::clicked, this, [this] {
        m_enable->setEnabled(false);
        m_extension->enable();
    });
    refresh();
}

void ExtensionHint::refresh()
{
    setVisible(!m_extension->isActive());
}

void ExtensionHint::onEnableFinished(bool isKnown)
{
    m_enable->setEnabled(true);
    if (!isKnown)
        m_text->setText(tr("GNOME has not found the Quillmoth extension yet: it will be on "
                           "after you log out and back in."));
}

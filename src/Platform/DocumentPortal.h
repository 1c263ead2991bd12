// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/PortalPaths.h"

#include <QObject>
#include <QSet>
#include <QString>

// Asks the document portal (org.freedesktop.portal.Documents) where the files it handed to
// sandboxed apps really are, without ever waiting for it: each question is asked once, and
// `learned` says that answers came. A document the portal does not know, or a portal that
// cannot be asked, leaves the document unknown; questions that failed are asked again after
// forgetFailures().
class DocumentPortal : public QObject
{
    Q_OBJECT
public:
    explicit DocumentPortal(QObject *parent = nullptr);

    const PortalPaths &paths() const { return m_paths; }
    void lookUp(const QSet<QString> &documentIds);
    void forgetFailures();

Q_SIGNALS:
    void learned();

private:
    void askMountPoint();
    void answered(const QString &id, std::optional<QByteArray> host, bool failed);

    PortalPaths m_paths;
    QSet<QString> m_asking;
    QSet<QString> m_failed;
    bool m_hasAskedMount = false;
    bool m_hasWarned = false;
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/FileManagerIdentity.h"

#include <QDBusConnection>

#include <optional>

// Whether org.freedesktop.FileManager1 on a bus reaches one particular file manager: the
// process that owns the name runs its program or, with no owner, the service file the bus
// would start names it. Any other answerer would start another file manager, which comes to
// the front instead of the user's own.
namespace FileManagerBus {
// The name file managers answer ShowItems under.
QString serviceName();
bool leadsTo(const FileManager &manager, const QDBusConnection &bus);
// The program that activating `service` starts, symbolic links resolved: from the first folder,
// in the bus's search order, with a service file for it. Nullopt when there is none, or when
// that folder's files disagree (the bus then picks either).
std::optional<QString> activationProgram(const QString &service);
} // namespace FileManagerBus

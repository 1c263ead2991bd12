// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

// Where the settings file says what it could not read or write. Never names the user's files.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

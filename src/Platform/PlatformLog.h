// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

// Where platform services say why they run without their backend.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

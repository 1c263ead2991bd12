// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/SettingsLog.h"

Q_LOGGING_CATEGORY(lcSettings, QUILLMOTH_APP_ID ".settings", QtWarningMsg)

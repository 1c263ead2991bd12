// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/PlatformLog.h"

Q_LOGGING_CATEGORY(lcPlatform, QUILLMOTH_APP_ID ".platform", QtWarningMsg)

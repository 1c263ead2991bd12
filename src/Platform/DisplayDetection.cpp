// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/DisplayDetection.h"

#include <QByteArray>

const char *choosePlatformForDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return nullptr;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return nullptr;
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running without a screen";
}

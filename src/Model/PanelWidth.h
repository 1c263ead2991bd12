// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/SettingsFile.h"

// The panel's remembered width ("panelWidth", a double, in device-independent pixels).
namespace PanelWidth {
inline constexpr double minimum = 220;
inline constexpr double maximum = 640;
inline constexpr double fallback = 262;

// The stored width when it lies within minimum..maximum inclusive; anything else (missing, not a
// number, out of range) gives the fallback, never a clamped value.
double stored(const SettingsFile &settings);
void store(SettingsFile &settings, double width);
// Held to minimum..maximum, for drags.
double clamped(double width);
} // namespace PanelWidth

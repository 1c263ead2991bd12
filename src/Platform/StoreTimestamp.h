// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <optional>
#include <string_view>

// The two ways the store writes a time, read into milliseconds since the epoch (UTC). Each
// accepts only the canonical form that desktop writers produce; nullopt leaves anything else to
// GBookmarkFile, which knows every form it accepts.
namespace StoreTimestamp {

// "YYYY-MM-DDTHH:MM:SSZ", or the same with six fraction digits before the 'Z'.
std::optional<qint64> parseIso8601(std::string_view text);

// Whole seconds since the epoch, as the older "timestamp" attribute holds them.
std::optional<qint64> parseUnixSeconds(std::string_view text);

} // namespace StoreTimestamp

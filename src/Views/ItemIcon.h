// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>

class RecentItem;

// An item's icon from the icon theme by content type (a folder icon for folders), 32 x 32 at
// the device pixel ratio, rendered once and kept in one process-wide cache keyed by path text.
namespace ItemIcon {
QPixmap icon(const RecentItem &item);
}

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The current user's home folder, read afresh on every call so a changed HOME is seen at once.
namespace HomeFolder {
QString path();
}

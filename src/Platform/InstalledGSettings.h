// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gio/gio.h>

#include <initializer_list>

// The settings of `schemaId`, or nullptr unless the schema and every one of `keys` are
// installed: GSettings aborts the program on an unknown schema or key. The caller unrefs.
GSettings *installedGSettings(const char *schemaId, std::initializer_list<const char *> keys);

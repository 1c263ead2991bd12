// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/InstalledGSettings.h"

GSettings *installedGSettings(const char *schemaId, std::initializer_list<const char *> keys)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema
        = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    bool hasKeys = true;
    for (const char *key : keys)
        hasKeys = hasKeys && g_settings_schema_has_key(schema, key);
    g_settings_schema_unref(schema);
    return hasKeys ? g_settings_new(schemaId) : nullptr;
}

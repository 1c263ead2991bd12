// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/PanelWidth.h"

#include <cmath>

namespace {
const QString key = QStringLiteral("panelWidth");
}

double PanelWidth::stored(const SettingsFile &settings)
{
    const QVariant value = settings.value(key);
    bool ok = false;
    const double width = value.toDouble(&ok);
    if (!ok || !std::isfinite(width) || width < minimum || width > maximum)
        return fallback;
    return width;
}

void PanelWidth::store(SettingsFile &settings, double width)
{
    settings.setValue(key, width);
}

double PanelWidth::clamped(double width)
{
    if (!(width > minimum))
        return minimum;
    return width > maximum ? maximum : width;
}

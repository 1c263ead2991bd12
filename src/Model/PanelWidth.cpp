// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/PanelWidth.h"

#include <cmath>

namespace {
const QString key = QStringLiteral("panelWidth");
}

double PanelWidth::stored(const QSettings &settings)
{
    const QVariant value = settings.value(key);
    bool ok = false;
    const double width = value.toDouble(&ok);
    if (!ok || !std::isfinite(width) || width < minimum || width > maximum)
        return fallback;
    return width;
}

void PanelWidth::store(QSettings &settings, double width)
{
    settings.setValue(key, width);
    settings.sync();
}

double PanelWidth::clamped(double width)
{
    if (!(width > minimum))
        return minimum;
    return width > maximum ? maximum : width;
}

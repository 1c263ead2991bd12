// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/PlainText.h"

#include "Model/VisibleText.h"

QString PlainText::oneLine(const QString &text)
{
    return VisibleText::shown(text);
}

QString PlainText::toolTip(const QString &text)
{
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(oneLine(text).toHtmlEscaped());
}

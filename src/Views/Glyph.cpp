// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/Glyph.h"

#include <QPainter>
#include <QSvgRenderer>

static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

void Glyph::ensureResources()
{
    static const bool once = (registerResources(), true);
    Q_UNUSED(once);
}

QPixmap Glyph::render(const QString &name, const QColor &colour, int size, qreal devicePixelRatio)
{
    ensureResources();
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

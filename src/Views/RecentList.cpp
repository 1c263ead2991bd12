// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/RecentList.h"

#include "Platform/ThumbnailLoader.h"
#include "Views/ItemIcon.h"
#include "Views/OverlayScrollBar.h"
#include "Views/RecentRow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int headerHeight = 11 + 14 + 3;

class RowDelegate : public QStyledItemDelegate
{
public:
    explicit RowDelegate(RecentList *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const bool header = !m_list->listModel()->itemAt(index.row());
        return QSize(100, header ? headerHeight : RecentRow::height);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const RecentListModel *model = m_list->listModel();
        const QRect rect = option.rect.adjusted(8, 0, -8, 0);
        if (const RecentItem *item = model->itemAt(index.row())) {
            const bool selected = m_list->selectedId() && *m_list->selectedId() == item->id();
            RecentRow { *item, selected, m_list->hoveredRow() == index.row(), m_list->theme(),
                m_list->thumbnailFor(*item) }
                .paint(*painter, rect);
            return;
        }
        // Section header: upper-cased, 11 semibold, tracked 0.4, secondary colour.
        QFont font = RecentRow::font(11, QFont::DemiBold);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
        painter->save();
        painter->setFont(font);
        painter->setPen(m_list->theme().secondaryText());
        painter->drawText(rect.adjusted(8, 11, -8, -3), Qt::AlignLeft | Qt::AlignBottom,
            model->headerAt(index.row()).toUpper());
        painter->restore();
    }

private:
    RecentList *m_list;
};

} // namespace

void RecentListModel::setGroups(const QList<DayGroup> &groups)
{
    beginResetModel();
    m_entries.clear();
    for (const DayGroup &group : groups) {
        m_entries.append({ group.label, std::nullopt });
        for (const RecentItem &item : group.items)
            m_entries.append({ QString(), item });
    }
    endResetModel();
}

int RecentListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant RecentListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size() || role != Qt::DisplayRole)
        return {};
    const Entry &entry = m_entries.at(index.row());
    return entry.item ? entry.item->name() : entry.header;
}

const RecentItem *RecentListModel::itemAt(int row) const
{
    if (row < 0 || row >= m_entries.size() || !m_entries.at(row).item)
        return nullptr;
    return &*m_entries.at(row).item;
}

QString RecentListModel::headerAt(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries.at(row).header : QString();
}

int RecentListModel::rowOf(const QUrl &id) const
{
    for (int row = 0; row < m_entries.size(); ++row)
        if (m_entries.at(row).item && m_entries.at(row).item->id() == id)
            return row;
    return -1;
}

RecentList::RecentList(QWidget *parent)
    : QListView(parent)
    , m_model(new RecentListModel(this))
    , m_thumbnails(new ThumbnailLoader(this))
{
    connect(m_thumbnails, &ThumbnailLoader::changed, viewport(), qOverload<>(&QWidget::update));
    setModel(m_model);
    setItemDelegate(new RowDelegate(this));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
    setMouseTracking(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(false);
    // Lay out a large list in batches, so a keystroke only waits for the rows on screen.
    setLayoutMode(QListView::Batched);
    setBatchSize(100);
    setViewportMargins(0, 0, 0, 12);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    new OverlayScrollBar(this);
}

QImage RecentList::thumbnailFor(const RecentItem &item) const
{
    if (item.isFolder() || !item.url().isLocalFile())
        return {};
    return m_thumbnails->thumbnail(item.url().toLocalFile());
}

void RecentList::setGroups(const QList<DayGroup> &groups)
{
    m_hovered = -1;
    m_model->setGroups(groups);
}

void RecentList::setSelectedId(const std::optional<QUrl> &id)
{
    m_selected = id;
    viewport()->update();
}

void RecentList::setTheme(const Theme &theme)
{
    m_theme = theme;
    viewport()->update();
}

const RecentItem *RecentList::itemAtPoint(const QPoint &pos, int *row) const
{
    const QModelIndex index = indexAt(pos);
    if (row)
        *row = index.isValid() ? index.row() : -1;
    return index.isValid() ? m_model->itemAt(index.row()) : nullptr;
}

void RecentList::mousePressEvent(QMouseEvent *event)
{
    m_pressAt.reset();
    if (event->button() == Qt::LeftButton)
        if (const RecentItem *item = itemAtPoint(event->position().toPoint())) {
            m_pressAt = event->position().toPoint();
            Q_EMIT clicked(RecentItem(*item));
        }
}

void RecentList::mouseReleaseEvent(QMouseEvent *)
{
    m_pressAt.reset();
}

QMimeData *RecentList::dragData(const RecentItem &item)
{
    auto *data = new QMimeData;
    data->setUrls({ item.url() });
    data->setText(item.url().toLocalFile());
    return data;
}

void RecentList::startDrag(const RecentItem &item)
{
    auto *drag = new QDrag(this);
    drag->setMimeData(dragData(item));
    const QPixmap icon = ItemIcon::icon(item);
    drag->setPixmap(icon);
    drag->setHotSpot(QPoint(int(icon.deviceIndependentSize().width() / 2),
        int(icon.deviceIndependentSize().height() / 2)));
    // Copied or linked where it lands, never moved away from where the user keeps it.
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

void RecentList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        if (const RecentItem *item = itemAtPoint(event->position().toPoint()))
            Q_EMIT doubleClicked(RecentItem(*item));
}

void RecentList::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressAt && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - *m_pressAt).manhattanLength()
            >= QApplication::startDragDistance()) {
        const RecentItem *item = itemAtPoint(*m_pressAt);
        m_pressAt.reset();
        if (item) {
            startDrag(RecentItem(*item));
            return;
        }
    }
    int row = -1;
    itemAtPoint(event->position().toPoint(), &row);
    if (row != m_hovered) {
        m_hovered = m_model->itemAt(row) ? row : -1;
        viewport()->update();
    }
}

void RecentList::leaveEvent(QEvent *event)
{
    m_hovered = -1;
    viewport()->update();
    QListView::leaveEvent(event);
}

void RecentList::contextMenuEvent(QContextMenuEvent *event)
{
    if (const RecentItem *item = itemAtPoint(event->pos()))
        Q_EMIT contextMenuRequested(RecentItem(*item), event->globalPos());
}

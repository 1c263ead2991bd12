// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/DayGroup.h"
#include "Views/Theme.h"

#include <QAbstractListModel>
#include <QListView>

#include <optional>

class QMimeData;
class ThumbnailLoader;

// The day sections and their rows as one flat, lazily drawn list: a header row per section,
// then its items. Only the rows on screen are ever painted.
class RecentListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    void setGroups(const QList<DayGroup> &groups);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // nullptr for a header row.
    const RecentItem *itemAt(int row) const;
    QString headerAt(int row) const;
    int rowOf(const QUrl &id) const;

private:
    struct Entry
    {
        QString header;
        std::optional<RecentItem> item;
    };
    QList<Entry> m_entries;
};

class RecentList : public QListView
{
    Q_OBJECT
public:
    explicit RecentList(QWidget *parent = nullptr);

    RecentListModel *listModel() const { return m_model; }
    void setGroups(const QList<DayGroup> &groups);
    void setSelectedId(const std::optional<QUrl> &id);
    const std::optional<QUrl> &selectedId() const { return m_selected; }
    void setTheme(const Theme &theme);
    const Theme &theme() const { return m_theme; }
    // The thumbnail to draw for a file row; null while unknown or when there is none.
    QImage thumbnailFor(const RecentItem &item) const;
    int hoveredRow() const { return m_hovered; }
    // What a row carries when dragged out: its file URL (text/uri-list) and its path as text.
    static QMimeData *dragData(const RecentItem &item);
    // Where a row is drawn, in viewport coordinates (for tests).
    QRect rowRect(int row) const { return visualRect(m_model->index(row)); }

Q_SIGNALS:
    void clicked(const RecentItem &item);
    void doubleClicked(const RecentItem &item);
    void contextMenuRequested(const RecentItem &item, const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const RecentItem *itemAtPoint(const QPoint &pos, int *row = nullptr) const;
    void startDrag(const RecentItem &item);
    RecentListModel *m_model;
    std::optional<QUrl> m_selected;
    Theme m_theme { ColorScheme::light };
    int m_hovered = -1;
    ThumbnailLoader *m_thumbnails;
    // Where the left button went down on a row: a drag starts from there once the pointer has
    // gone the platform's drag distance, so clicks and double clicks keep their meaning.
    std::optional<QPoint> m_pressAt;
};

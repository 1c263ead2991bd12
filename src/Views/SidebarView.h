// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/DayGroup.h"
#include "Model/ItemFilter.h"
#include "Views/Theme.h"

#include <QWidget>

#include <optional>

class ColorSchemeMonitor;
class CompositorWatcher;
class FolderFilter;
class GnomeShellExtension;
class QLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QToolButton;
class RecentFilesStore;
class RecentList;
class ResizeHandle;
class SegmentedControl;
class SettingsView;
class Workspace;

// The panel's root view: header, search field, kind filter and the day-sectioned list, or the
// settings page; under them the translucent backdrop, over them the trailing hairline and grip.
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    // Shows what `store` holds through `folderFilter` (which the settings page edits), acts on
    // items through `workspace`, follows `colorScheme` and paints its backdrop for what
    // `compositor` does, and offers to turn `gnomeExtension` on where the panel needs it; all of
    // them outlive the view.
    SidebarView(RecentFilesStore &store, FolderFilter &folderFilter, Workspace &workspace,
        ColorSchemeMonitor &colorScheme, CompositorWatcher &compositor,
        GnomeShellExtension *gnomeExtension = nullptr, QWidget *parent = nullptr);
    ~SidebarView() override;

    // Derived afresh on every read.
    QList<RecentItem> filteredItems() const;
    QList<DayGroup> groups() const;

    QString searchText() const;
    ItemFilter filter() const { return m_filter; }
    const std::optional<QUrl> &selectedID() const { return m_selectedID; }
    bool showingSettings() const { return m_showingSettings; }
    void setShowingSettings(bool showing);

    void open(const RecentItem &item);
    // The row's menu: "Open", "Reveal in" and the file manager's name, a divider, "Copy Path".
    QMenu *rowMenu(const RecentItem &item);

    // Parts, for tests and the panel.
    QLineEdit *searchField() const { return m_search; }
    QToolButton *clearButton() const { return m_clear; }
    QToolButton *settingsButton() const { return m_gear; }
    SegmentedControl *filterControl() const { return m_kinds; }
    RecentList *list() const { return m_list; }
    SettingsView *settingsView() const { return m_settings; }
    QLabel *subtitle() const { return m_subtitle; }
    QLabel *emptyTitle() const { return m_emptyTitle; }
    QLabel *emptyMessage() const { return m_emptyMessage; }
    ResizeHandle *resizeHandle() const { return m_grip; }
    // "loading", "empty" or "list".
    QString contentState() const;

Q_SIGNALS:
    // The grip was let go at this panel width.
    void widthChosen(int width);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    void build();
    QWidget *buildMainColumn();
    QWidget *buildHeader(QWidget *parent);
    QLayout *buildSearchRow(QWidget *parent);
    QLayout *buildKindRow(QWidget *parent);
    QWidget *buildContent(QWidget *parent);
    QWidget *buildLoadingState();
    QWidget *buildEmptyState();
    QWidget *buildList();
    void refresh();
    void applyTheme();
    void select(const RecentItem &item);

    RecentFilesStore &m_store;
    FolderFilter &m_folderFilter;
    Workspace *m_workspace; // never null: the constructor's reference
    ColorSchemeMonitor &m_colorScheme;
    CompositorWatcher &m_compositor;
    GnomeShellExtension *m_gnomeExtension;
    ItemFilter m_filter = ItemFilter::all;
    std::optional<QUrl> m_selectedID;
    bool m_showingSettings = false;
    Theme m_theme { ColorScheme::light };

    QStackedWidget *m_pages = nullptr;
    QStackedWidget *m_content = nullptr;
    QWidget *m_header = nullptr;
    QLabel *m_title = nullptr, *m_subtitle = nullptr, *m_tile = nullptr;
    QToolButton *m_gear = nullptr, *m_clear = nullptr;
    QLabel *m_magnifier = nullptr;
    QWidget *m_searchBox = nullptr;
    QLineEdit *m_search = nullptr;
    SegmentedControl *m_kinds = nullptr;
    RecentList *m_list = nullptr;
    QLabel *m_emptyIcon = nullptr, *m_emptyTitle = nullptr, *m_emptyMessage = nullptr;
    QWidget *m_loading = nullptr, *m_empty = nullptr;
    SettingsView *m_settings = nullptr;
    ResizeHandle *m_grip = nullptr;
    QMenu *m_menu = nullptr;
};

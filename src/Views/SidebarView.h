#pragma once

#include <QWidget>

class RecentFilesStore;

// The panel's root view. (Placeholder until the widgets land.)
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarView(QWidget *parent = nullptr);

    RecentFilesStore *store() const { return m_store; }

private:
    RecentFilesStore *m_store;
};

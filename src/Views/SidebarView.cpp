#include "Views/SidebarView.h"

#include "Store/RecentFilesStore.h"

SidebarView::SidebarView(QWidget *parent) : QWidget(parent), m_store(new RecentFilesStore(this)) {}

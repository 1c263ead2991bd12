// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/SidebarView.h"

#include "Model/FileUrl.h"
#include "Model/FolderFilter.h"
#include "Model/ItemListing.h"
#include "Model/ShellQuote.h"
#include "Platform/BlurBehind.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/GnomeShellExtension.h"
#include "Platform/Workspace.h"
#include "Store/RecentFilesStore.h"
#include "Views/ExtensionHint.h"
#include "Views/Glyph.h"
#include "Views/RecentList.h"
#include "Views/RecentRow.h"
#include "Views/ResizeHandle.h"
#include "Views/SegmentedControl.h"
#include "Views/SettingsView.h"

#include <QClipboard>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QStackedWidget>
#include <QToolButton>

namespace {

// The 22 x 22 header tile: gradient, clock glyph, soft shadow.
QPixmap tile(qreal ratio)
{
    QPixmap pixmap(QSize(24, 25) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(1, 1, 22, 22);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 64));
    painter.drawRoundedRect(rect.translated(0, 1), 6, 6);
    painter.setBrush(Theme::badgeGradient(rect));
    painter.drawRoundedRect(rect, 6, 6);
    painter.drawPixmap(QRectF(6.5, 6.5, 11, 11),
        Glyph::render(QStringLiteral("clock"), QColor(255, 255, 255, 230), 11, ratio), QRectF());
    return pixmap;
}

// A rounded field background behind the search row.
class FieldBox : public QWidget
{
public:
    using QWidget::QWidget;
    QColor fill;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), 7, 7);
    }
};

} // namespace

SidebarView::SidebarView(RecentFilesStore &store, FolderFilter &folderFilter, Workspace &workspace,
    ColorSchemeMonitor &colorScheme, CompositorWatcher &compositor,
    GnomeShellExtension *gnomeExtension, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_folderFilter(folderFilter)
    , m_workspace(&workspace)
    , m_colorScheme(colorScheme)
    , m_compositor(compositor)
    , m_gnomeExtension(gnomeExtension)
{
    build();
    connect(&m_store, &RecentFilesStore::itemsChanged, this, &SidebarView::refresh);
    connect(&m_store, &RecentFilesStore::isLoadingChanged, this, &SidebarView::refresh);
    connect(&m_folderFilter, &FolderFilter::changed, this, &SidebarView::refresh);
    connect(&m_colorScheme, &ColorSchemeMonitor::changed, this, &SidebarView::applyTheme);
    connect(&m_compositor, &CompositorWatcher::changed, this, qOverload<>(&QWidget::update));
    applyTheme();
}

SidebarView::~SidebarView() = default;

void SidebarView::build()
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    m_pages = new QStackedWidget(this);
    root->addWidget(m_pages);
    m_pages->addWidget(buildMainColumn());
    m_settings = new SettingsView(
        m_folderFilter, [this] { setShowingSettings(false); }, m_pages);
    m_pages->addWidget(m_settings);
    // Where the panel follows the file manager only through our GNOME Shell extension, starting
    // at login means the extension is on at login too.
    connect(m_settings, &SettingsView::openAtLoginTurnedOn, this, [this] {
        if (m_gnomeExtension && GnomeShellExtension::isNeededHere()
            && !m_gnomeExtension->isActive())
            m_gnomeExtension->enable();
    });

    m_grip = new ResizeHandle(this);
    m_grip->raise();
    connect(m_grip, &ResizeHandle::released, this, &SidebarView::widthChosen);
}

// Header, search field and kind filter stay put; only the content below them scrolls.
QWidget *SidebarView::buildMainColumn()
{
    auto *main = new QWidget(m_pages);
    auto *column = new QVBoxLayout(main);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader(main));
    column->addLayout(buildSearchRow(main));
    column->addLayout(buildKindRow(main));
    column->addWidget(new ExtensionHint(m_gnomeExtension, main));
    column->addWidget(buildContent(main), 1);
    return main;
}

QWidget *SidebarView::buildHeader(QWidget *parent)
{
    m_header = new QWidget(parent);
    auto *header = new QHBoxLayout(m_header);
    header->setContentsMargins(14, 15, 14, 8);
    header->setSpacing(9);
    m_tile = new QLabel(m_header);
    m_tile->setFixedSize(24, 25);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(1);
    m_title = new QLabel(tr("Quillmoth"), m_header);
    m_title->setFont(RecentRow::font(14, QFont::Bold));
    m_subtitle = new QLabel(m_header);
    m_subtitle->setFont(RecentRow::font(11, QFont::Normal));
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);
    m_gear = new QToolButton(m_header);
    noFocusRing(m_gear);
    m_gear->setToolTip(tr("Settings"));
    m_gear->setAutoRaise(true);
    connect(m_gear, &QToolButton::clicked, this, [this] { setShowingSettings(true); });
    header->addWidget(m_tile);
    header->addLayout(titles);
    header->addStretch();
    header->addWidget(m_gear);
    return m_header;
}

QLayout *SidebarView::buildSearchRow(QWidget *parent)
{
    m_searchBox = new FieldBox(parent);
    m_searchBox->setFixedHeight(28);
    auto *search = new QHBoxLayout(m_searchBox);
    search->setContentsMargins(9, 0, 9, 0);
    search->setSpacing(7);
    m_magnifier = new QLabel(m_searchBox);
    m_search = new QLineEdit(m_searchBox);
    m_search->setPlaceholderText(tr("Search recent"));
    m_search->setFrame(false);
    m_search->setFocusPolicy(Qt::ClickFocus); // only a click in it takes the keyboard
    QFont searchFont = RecentRow::font(12, QFont::Normal);
    searchFont.setPixelSize(13);
    m_search->setFont(searchFont);
    m_clear = new QToolButton(m_searchBox);
    m_clear->setAutoRaise(true);
    m_clear->setFocusPolicy(Qt::NoFocus);
    m_clear->hide();
    connect(m_clear, &QToolButton::clicked, m_search, &QLineEdit::clear);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_clear->setVisible(!text.isEmpty());
        refresh();
    });
    search->addWidget(m_magnifier);
    search->addWidget(m_search, 1);
    search->addWidget(m_clear);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(12, 0, 12, 9);
    row->addWidget(m_searchBox);
    return row;
}

QLayout *SidebarView::buildKindRow(QWidget *parent)
{
    // The kinds' own names, shown as they are.
    QStringList kinds;
    for (ItemFilter f : ItemFilters::allCases)
        kinds << ItemFilters::rawValue(f);
    m_kinds = new SegmentedControl(kinds, parent);
    connect(m_kinds, &SegmentedControl::segmentClicked, this, [this](int index) {
        m_filter = ItemFilters::allCases[index];
        m_kinds->setSelected(index);
        refresh();
    });
    auto *row = new QHBoxLayout;
    row->setContentsMargins(12, 0, 12, 10);
    row->addWidget(m_kinds);
    return row;
}

// Loading, empty or the list, one at a time.
QWidget *SidebarView::buildContent(QWidget *parent)
{
    m_content = new QStackedWidget(parent);
    m_content->addWidget(buildLoadingState());
    m_content->addWidget(buildEmptyState());
    m_content->addWidget(buildList());
    return m_content;
}

QWidget *SidebarView::buildLoadingState()
{
    m_loading = new QWidget(m_content);
    auto *loading = new QVBoxLayout(m_loading);
    loading->setContentsMargins(0, 40, 0, 0);
    auto *spinner = new QProgressBar(m_loading);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(48, 6);
    loading->addWidget(spinner, 0, Qt::AlignHCenter | Qt::AlignTop);
    loading->addStretch();
    return m_loading;
}

QWidget *SidebarView::buildEmptyState()
{
    m_empty = new QWidget(m_content);
    auto *empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(20, 48, 20, 0);
    empty->setSpacing(6);
    m_emptyIcon = new QLabel(m_empty);
    m_emptyTitle = new QLabel(m_empty);
    m_emptyTitle->setFont(RecentRow::font(13, QFont::Medium));
    m_emptyMessage = new QLabel(m_empty);
    m_emptyMessage->setFont(RecentRow::font(11, QFont::Normal));
    m_emptyMessage->setWordWrap(true);
    m_emptyMessage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    empty->addWidget(m_emptyIcon, 0, Qt::AlignHCenter);
    empty->addWidget(m_emptyTitle, 0, Qt::AlignHCenter);
    empty->addWidget(m_emptyMessage);
    empty->addStretch();
    return m_empty;
}

QWidget *SidebarView::buildList()
{
    m_list = new RecentList(m_content);
    connect(m_list, &RecentList::clicked, this, &SidebarView::select);
    connect(m_list, &RecentList::doubleClicked, this, &SidebarView::open);
    connect(m_list, &RecentList::contextMenuRequested, this,
        [this](const RecentItem &item, const QPoint &at) { rowMenu(item)->popup(at); });
    return m_list;
}

QList<RecentItem> SidebarView::filteredItems() const
{
    return ItemListing::filteredItems(m_store.items(), m_folderFilter);
}

QList<DayGroup> SidebarView::groups() const
{
    return ItemListing::groups(m_store.items(), m_folderFilter, m_search->text(), m_filter,
        QDateTime::currentDateTime(), Calendar::current());
}

QString SidebarView::searchText() const
{
    return m_search->text();
}

QString SidebarView::contentState() const
{
    return m_content->currentWidget() == m_loading ? QStringLiteral("loading")
        : m_content->currentWidget() == m_empty    ? QStringLiteral("empty")
                                                   : QStringLiteral("list");
}

void SidebarView::refresh()
{
    const qsizetype count = filteredItems().size();
    m_subtitle->setText(count == 1 ? tr("Last 7 days \u00B7 1 item")
                                   : tr("Last 7 days \u00B7 %1 items").arg(count));
    if (m_store.isLoading()) {
        m_content->setCurrentWidget(m_loading);
        return;
    }
    const QList<DayGroup> sections = groups();
    if (sections.isEmpty()) {
        const bool searching = !m_search->text().isEmpty();
        m_emptyTitle->setText(searching ? tr("No matches") : tr("Nothing recent"));
        m_emptyMessage->setText(
            searching ? tr("Try a different search.") : tr("Files you open will show up here."));
        m_content->setCurrentWidget(m_empty);
        m_list->setGroups({});
        return;
    }
    m_list->setGroups(sections);
    m_list->setSelectedId(m_selectedID);
    m_content->setCurrentWidget(m_list);
}

void SidebarView::applyTheme()
{
    m_theme = Theme::from(m_colorScheme);
    const qreal ratio = devicePixelRatioF();
    const QString primary = Theme::css(m_theme.primaryText()),
                  secondary = Theme::css(m_theme.secondaryText());
    m_tile->setPixmap(tile(ratio));
    m_title->setStyleSheet(QStringLiteral("color: %1;").arg(primary));
    m_subtitle->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
    m_gear->setIcon(
        QIcon(Glyph::render(QStringLiteral("gear"), m_theme.secondaryText(), 11, ratio)));
    m_gear->setIconSize(QSize(11, 11));
    m_gear->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    m_magnifier->setPixmap(
        Glyph::render(QStringLiteral("magnifier"), m_theme.secondaryText(), 11, ratio));
    m_clear->setIcon(
        QIcon(Glyph::render(QStringLiteral("xmark-circle"), m_theme.secondaryText(), 11, ratio)));
    m_clear->setIconSize(QSize(11, 11));
    m_clear->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; }"));
    static_cast<FieldBox *>(m_searchBox)->fill = m_theme.fieldFill();
    m_search->setStyleSheet(
        QStringLiteral("QLineEdit { background: transparent; border: none; color: %1; }")
            .arg(primary));
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::PlaceholderText, m_theme.secondaryText());
    m_search->setPalette(palette);
    m_emptyIcon->setPixmap(
        Glyph::render(QStringLiteral("clock-question"), m_theme.secondaryText(), 22, ratio));
    m_emptyTitle->setStyleSheet(QStringLiteral("color: %1;").arg(primary));
    m_emptyMessage->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
    m_kinds->setTheme(m_theme);
    m_list->setTheme(m_theme);
    m_settings->setTheme(m_theme);
    refresh();
    update();
}

void SidebarView::setShowingSettings(bool showing)
{
    if (m_showingSettings == showing)
        return;
    m_showingSettings = showing;
    QWidget *incoming = showing ? static_cast<QWidget *>(m_settings) : m_pages->widget(0);
    // A 0.15 s ease-out fade of the page that comes in.
    auto *effect = new QGraphicsOpacityEffect(incoming);
    incoming->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", incoming);
    fade->setDuration(150);
    fade->setEasingCurve(QEasingCurve::OutQuad);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    connect(fade, &QPropertyAnimation::finished, incoming,
        [incoming] { incoming->setGraphicsEffect(nullptr); });
    m_pages->setCurrentWidget(incoming);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void SidebarView::select(const RecentItem &item)
{
    m_selectedID = item.id();
    m_list->setSelectedId(m_selectedID);
}

void SidebarView::open(const RecentItem &item)
{
    select(item);
    m_workspace->openUrl(item.url());
    m_search->clear();
}

QMenu *SidebarView::rowMenu(const RecentItem &item)
{
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->addAction(tr("Open"), this, [this, item] { open(item); });
    const QString fileManager = m_workspace->fileManagerName();
    m_menu->addAction(
        fileManager.isEmpty() ? tr("Reveal in File Manager") : tr("Reveal in %1").arg(fileManager),
        this, [this, url = item.url()] { m_workspace->activateFileViewerSelecting({ url }); });
    m_menu->addSeparator();
    // Pasted into a terminal, the path must not act: control characters go quoted.
    m_menu->addAction(tr("Copy Path"), this, [path = ShellQuote::pastable(nativePath(item.url()))] {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(path);
    });
    return m_menu;
}

void SidebarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The backdrop below everything: translucent over a compositor's blur, opaque without one.
    painter.fillRect(rect(), m_theme.backdrop(m_compositor.isBlurring()));
    painter.fillRect(QRect(width() - 1, 0, 1, height()), m_theme.hairline());
}

void SidebarView::resizeEvent(QResizeEvent *)
{
    m_grip->setGeometry(width() - ResizeHandle::gripWidth, 0, ResizeHandle::gripWidth, height());
    m_grip->raise();
    if (window() == this || window())
        BlurBehind::request(window()->windowHandle(), QRegion(window()->rect()));
}

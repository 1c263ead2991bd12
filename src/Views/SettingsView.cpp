// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/SettingsView.h"

#include "Model/FileUrl.h"
#include "Model/HomeFolder.h"
#include "Platform/Autostart.h"
#include "Views/Glyph.h"
#include "Views/PlainText.h"
#include "Views/RecentRow.h"
#include "Views/SegmentedControl.h"
#include "Views/ToggleSwitch.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>

namespace {

const QString removeButtonName = QStringLiteral("removeFolder");

// Where `after` is `before` with one entry taken out; -1 when it is not.
qsizetype removedIndex(const QStringList &before, const QStringList &after)
{
    if (before.size() != after.size() + 1)
        return -1;
    qsizetype i = 0;
    while (i < after.size() && before.at(i) == after.at(i))
        ++i;
    return before.sliced(i + 1) == after.sliced(i) ? i : -1;
}

int indexOf(FolderFilterMode mode)
{
    return mode == FolderFilterMode::all ? 0 : mode == FolderFilterMode::exclude ? 1 : 2;
}

// A label whose text is cut in the middle to fit its width.
class MiddleElidedLabel : public QLabel
{
public:
    MiddleElidedLabel(const QString &text, QWidget *parent)
        : QLabel(parent)
        , m_full(PlainText::oneLine(text))
    {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setToolTip(PlainText::toolTip(m_full));
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        setText(fontMetrics().elidedText(m_full, Qt::ElideMiddle, width()));
    }

private:
    QString m_full;
};

// A folder row drawn on the field fill with rounded corners.
class FolderRow : public QWidget
{
public:
    FolderRow(const Theme &theme, QWidget *parent)
        : QWidget(parent)
        , m_theme(theme)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_theme.fieldFill());
        painter.drawRoundedRect(QRectF(rect()), 7, 7);
    }

private:
    Theme m_theme;
};

} // namespace

SettingsView::SettingsView(FolderFilter &filter, std::function<void()> onDone, QWidget *parent)
    : QWidget(parent)
    , m_filter(filter)
    , m_onDone(std::move(onDone))
    , m_chooser(dialogChooser(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(buildHeader());
    column->addLayout(buildModeSection());
    column->addWidget(buildFolderSection(), 1);
    column->addStretch(0);
    column->addLayout(buildLoginRow());
    column->addLayout(buildQuitSection());

    connect(&m_filter, &FolderFilter::changed, this, &SettingsView::rebuild);
    styleButtons();
    rebuild();
}

QLayout *SettingsView::buildHeader()
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(14, 15, 14, 12);
    header->setSpacing(9);
    m_title = new QLabel(tr("Settings"), this);
    m_title->setFont(RecentRow::font(14, QFont::Bold));
    m_done = new QPushButton(tr("Done"), this);
    noFocusRing(m_done);
    m_done->setFont(RecentRow::font(12, QFont::DemiBold));
    connect(m_done, &QPushButton::clicked, this, [this] {
        if (m_onDone)
            m_onDone();
    });
    header->addWidget(m_title);
    header->addStretch();
    header->addWidget(m_done);
    return header;
}

QLayout *SettingsView::buildModeSection()
{
    auto *section = new QVBoxLayout;
    section->setContentsMargins(12, 0, 12, 10);
    section->setSpacing(7);
    m_sectionTitle = new QLabel(tr("SHOW RECENTS FROM"), this);
    QFont sectionFont = RecentRow::font(11, QFont::DemiBold);
    sectionFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    m_sectionTitle->setFont(sectionFont);
    // In the order of FolderFilterModes::allCases.
    m_modes = new SegmentedControl({ tr("All"), tr("Exclude"), tr("Only") }, this);
    connect(m_modes, &SegmentedControl::segmentClicked, this,
        [this](int index) { m_filter.setMode(FolderFilterModes::allCases[index]); });
    m_caption = new QLabel(this);
    m_caption->setFont(RecentRow::font(11, QFont::Normal));
    m_caption->setWordWrap(true);
    section->addWidget(m_sectionTitle);
    section->addWidget(m_modes);
    section->addWidget(m_caption);
    return section;
}

QWidget *SettingsView::buildFolderSection()
{
    m_folderSection = new QWidget(this);
    auto *section = new QVBoxLayout(m_folderSection);
    section->setContentsMargins(12, 0, 12, 10);
    section->setSpacing(6);
    auto *scroll = new QScrollArea(m_folderSection);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral(
        "QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    m_rows = new QWidget;
    m_rowsLayout = new QVBoxLayout(m_rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(3);
    m_rowsLayout->addStretch();
    scroll->setWidget(m_rows);
    m_add = new QPushButton(tr("Add Folder\u2026"), m_folderSection);
    noFocusRing(m_add);
    m_add->setFont(RecentRow::font(12, QFont::Medium));
    connect(m_add, &QPushButton::clicked, this, &SettingsView::addFolders);
    section->addWidget(scroll, 1);
    section->addWidget(m_add, 0, Qt::AlignLeft);
    return m_folderSection;
}

QLayout *SettingsView::buildLoginRow()
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(14, 4, 14, 10);
    m_loginLabel = new QLabel(tr("Open at Login"), this);
    m_loginLabel->setFont(RecentRow::font(12, QFont::Medium));
    m_login = new ToggleSwitch(this);
    m_login->setAccessibleName(m_loginLabel->text());
    connect(m_login, &ToggleSwitch::clicked, this, [this](bool on) {
        Autostart::setEnabled(on);
        // What the entry says now, which is what the session will do.
        const bool enabled = Autostart::isEnabled();
        m_login->setChecked(enabled);
        if (on && enabled)
            Q_EMIT openAtLoginTurnedOn();
    });
    row->addWidget(m_loginLabel);
    row->addStretch();
    row->addWidget(m_login);
    return row;
}

QLayout *SettingsView::buildQuitSection()
{
    auto *section = new QVBoxLayout;
    section->setContentsMargins(0, 0, 0, 6);
    section->setSpacing(0);
    m_divider = new QWidget(this);
    m_divider->setFixedHeight(1);
    m_quit = new QPushButton(tr("Quit Quillmoth"), this);
    noFocusRing(m_quit);
    m_quit->setFont(RecentRow::font(12, QFont::Medium));
    m_quit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_quit, &QPushButton::clicked, this, [] { QCoreApplication::quit(); });
    section->addWidget(m_divider);
    section->addWidget(m_quit);
    return section;
}

QString SettingsView::modeCaption(FolderFilterMode mode, bool hasFolders)
{
    switch (mode) {
    case FolderFilterMode::all:
        return tr("Recents from your whole computer.");
    case FolderFilterMode::include:
        return hasFolders
            ? tr("Recents only from these folders:")
            : tr("Add folders below to show only their recents. Until then, everything is shown.");
    case FolderFilterMode::exclude:
        break;
    }
    return hasFolders
        ? tr("Recents from everywhere except these folders:")
        : tr("Add folders below to hide their recents. Until then, everything is shown.");
}

QString SettingsView::chooserMessage(FolderFilterMode mode)
{
    return mode == FolderFilterMode::include ? tr("Choose folders to show recents from")
                                             : tr("Choose folders to exclude");
}

QString SettingsView::abbreviatedWithTilde(const QString &path)
{
    const QString home = HomeFolder::path();
    if (!home.isEmpty() && home != QLatin1String("/")) {
        if (path == home)
            return QStringLiteral("~");
        if (path.startsWith(home + QLatin1Char('/')))
            return QLatin1Char('~') + path.mid(home.size());
    }
    return path;
}

SettingsView::FolderChooser SettingsView::dialogChooser(QWidget *parent)
{
    return [parent](const QString &message) {
        QFileDialog dialog(parent ? parent->window() : nullptr, message, HomeFolder::path());
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setOption(QFileDialog::DontUseNativeDialog); // several folders at once
        dialog.setLabelText(QFileDialog::Accept, tr("Add"));
        dialog.setLabelText(QFileDialog::LookIn, message);
        for (QAbstractItemView *view : dialog.findChildren<QAbstractItemView *>())
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // The program comes forward through the chooser itself: the panel never takes focus, and
        // asking to activate it would only be refused. Modal before it shows, or exec() cannot
        // make it so.
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
        if (dialog.exec() != QDialog::Accepted)
            return QStringList();
        return dialog.selectedFiles();
    };
}

void SettingsView::addFolders()
{
    const QStringList chosen = m_chooser(chooserMessage(m_filter.mode()));
    // Each append is an assignment of its own; the file is replaced once for all of them.
    const SettingsFile::Batch batch = m_filter.batch();
    for (const QString &path : chosen) {
        // Standardised as a file URL's path; the same string is never listed twice.
        const QString standard = QDir::cleanPath(fileUrl(path).toLocalFile());
        if (standard.isEmpty() || m_filter.folders().contains(standard))
            continue;
        if (!m_filter.setFolders(m_filter.folders() + QStringList { standard }))
            break; // the settings file holds no more
    }
}

QList<QPushButton *> SettingsView::removeButtons() const
{
    return m_rows->findChildren<QPushButton *>(removeButtonName);
}

void SettingsView::setTheme(const Theme &theme)
{
    m_theme = theme;
    m_modes->setTheme(theme);
    m_login->setTheme(theme);
    styleButtons();
    clearRows();
    rebuild();
}

void SettingsView::styleButtons()
{
    const QString accent = Theme::css(m_theme.accent());
    const QString secondary = Theme::css(m_theme.secondaryText());
    auto flat = [](const QString &colour, int vertical) {
        return QStringLiteral("QPushButton { border: none; background: transparent; color: %1; "
                              "padding: %2px 2px; text-align: left; }")
            .arg(colour)
            .arg(vertical);
    };
    m_done->setStyleSheet(flat(accent, 0));
    m_add->setStyleSheet(flat(accent, 0));
    m_add->setIcon(
        QIcon(Glyph::render(QStringLiteral("plus"), m_theme.accent(), 12, devicePixelRatioF())));
    m_quit->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; background: transparent; color: %1; padding: 8px 0; }")
                              .arg(secondary));
    m_quit->setIcon(QIcon(
        Glyph::render(QStringLiteral("power"), m_theme.secondaryText(), 12, devicePixelRatioF())));
    m_divider->setStyleSheet(QStringLiteral("background: %1;").arg(Theme::css(m_theme.hairline())));
    m_title->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(m_theme.primaryText())));
    m_loginLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(Theme::css(m_theme.primaryText())));
    m_sectionTitle->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
    m_caption->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
}

void SettingsView::rebuild()
{
    const FolderFilterMode mode = m_filter.mode();
    if (m_modes->selected() != indexOf(mode))
        m_modes->setSelected(indexOf(mode));
    m_caption->setText(modeCaption(mode, !m_filter.folders().isEmpty()));
    m_folderSection->setVisible(mode != FolderFilterMode::all);
    if (isVisible())
        syncRows();
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    syncRows();
    // Read each time: the entry may have been changed with other tools meanwhile.
    m_login->setChecked(Autostart::isEnabled());
}

// Rows follow the folder list by its change: an append adds rows, a removal takes one, and only
// another change (or a new theme) builds them all again. Rows wait until the page is shown.
void SettingsView::syncRows()
{
    const QStringList &folders = m_filter.folders();
    if (folders == m_rowFolders)
        return;
    const qsizetype shown = m_rowFolders.size();
    if (folders.size() > shown && folders.first(shown) == m_rowFolders) {
        for (qsizetype i = shown; i < folders.size(); ++i)
            m_rowsLayout->insertWidget(int(i), makeFolderRow(folders.at(i)));
    } else if (const qsizetype gone = removedIndex(m_rowFolders, folders); gone >= 0) {
        QLayoutItem *item = m_rowsLayout->takeAt(int(gone));
        delete item->widget();
        delete item;
    } else {
        clearRows();
        for (qsizetype i = 0; i < folders.size(); ++i)
            m_rowsLayout->insertWidget(int(i), makeFolderRow(folders.at(i)));
    }
    m_rowFolders = folders;
}

void SettingsView::clearRows()
{
    // Everything but the stretch that closes the list.
    while (m_rowsLayout->count() > 1) {
        QLayoutItem *item = m_rowsLayout->takeAt(0);
        delete item->widget();
        delete item;
    }
    m_rowFolders.clear();
}

QWidget *SettingsView::makeFolderRow(const QString &path)
{
    auto *row = new FolderRow(m_theme, m_rows);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 5, 8, 5);
    layout->setSpacing(8);
    auto *icon = new QLabel(row);
    QColor folderColour = m_theme.accent();
    folderColour.setAlphaF(0.85f);
    icon->setPixmap(Glyph::render(QStringLiteral("folder"), folderColour, 12, devicePixelRatioF()));
    layout->addWidget(icon);
    layout->addLayout(makeFolderTexts(path, row), 1);
    layout->addWidget(makeRemoveButton(path, row));
    return row;
}

// The folder's name over its path, both shown as written, never as markup.
QLayout *SettingsView::makeFolderTexts(const QString &path, QWidget *row)
{
    const QString fileName = fileUrl(path).fileName();
    auto *name = new QLabel(PlainText::oneLine(fileName.isEmpty() ? path : fileName), row);
    name->setTextFormat(Qt::PlainText);
    name->setFont(RecentRow::font(13, QFont::Medium));
    name->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(m_theme.primaryText())));
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto *where = new MiddleElidedLabel(abbreviatedWithTilde(path), row);
    where->setFont(RecentRow::font(10, QFont::Normal));
    where->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(m_theme.secondaryText())));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(name);
    texts->addWidget(where);
    return texts;
}

QPushButton *SettingsView::makeRemoveButton(const QString &path, QWidget *row)
{
    auto *remove = new QPushButton(row);
    remove->setObjectName(removeButtonName);
    noFocusRing(remove);
    remove->setToolTip(tr("Remove"));
    remove->setIcon(QIcon(Glyph::render(
        QStringLiteral("xmark-circle"), m_theme.secondaryText(), 12, devicePixelRatioF())));
    remove->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    connect(remove, &QPushButton::clicked, this, [this, path] {
        // Deferred: the button itself goes away with the rebuild.
        QMetaObject::invokeMethod(
            this, [this, path] { m_filter.remove(path); }, Qt::QueuedConnection);
    });
    return remove;
}

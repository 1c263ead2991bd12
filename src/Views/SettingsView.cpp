// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Views/SettingsView.h"

#include "Model/FileUrl.h"
#include "Model/HomeFolder.h"
#include "Views/Glyph.h"
#include "Views/RecentRow.h"
#include "Views/SegmentedControl.h"

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

const QStringList modeTitles
    = { QStringLiteral("All"), QStringLiteral("Exclude"), QStringLiteral("Only") };

int indexOf(FolderFilterMode mode)
{
    return mode == FolderFilterMode::all ? 0 : mode == FolderFilterMode::exclude ? 1 : 2;
}

// A label whose text is cut in the middle to fit its width.
class MiddleElidedLabel : public QLabel
{
public:
    MiddleElidedLabel(QString text, QWidget *parent)
        : QLabel(parent)
        , m_full(std::move(text))
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setToolTip(m_full);
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

    auto *header = new QHBoxLayout;
    header->setContentsMargins(14, 15, 14, 12);
    header->setSpacing(9);
    m_title = new QLabel(QStringLiteral("Settings"), this);
    m_title->setFont(RecentRow::font(14, QFont::Bold));
    m_done = new QPushButton(QStringLiteral("Done"), this);
    noFocusRing(m_done);
    m_done->setFont(RecentRow::font(12, QFont::DemiBold));
    connect(m_done, &QPushButton::clicked, this, [this] {
        if (m_onDone)
            m_onDone();
    });
    header->addWidget(m_title);
    header->addStretch();
    header->addWidget(m_done);
    column->addLayout(header);

    auto *modeSection = new QVBoxLayout;
    modeSection->setContentsMargins(12, 0, 12, 10);
    modeSection->setSpacing(7);
    m_sectionTitle = new QLabel(QStringLiteral("SHOW RECENTS FROM"), this);
    QFont sectionFont = RecentRow::font(11, QFont::DemiBold);
    sectionFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    m_sectionTitle->setFont(sectionFont);
    m_modes = new SegmentedControl(modeTitles, this);
    connect(m_modes, &SegmentedControl::segmentClicked, this, [this](int index) {
        m_filter.setMode(index == 0 ? FolderFilterMode::all
                : index == 1        ? FolderFilterMode::exclude
                                    : FolderFilterMode::include);
    });
    m_caption = new QLabel(this);
    m_caption->setFont(RecentRow::font(11, QFont::Normal));
    m_caption->setWordWrap(true);
    modeSection->addWidget(m_sectionTitle);
    modeSection->addWidget(m_modes);
    modeSection->addWidget(m_caption);
    column->addLayout(modeSection);

    m_folderSection = new QWidget(this);
    auto *folders = new QVBoxLayout(m_folderSection);
    folders->setContentsMargins(12, 0, 12, 10);
    folders->setSpacing(6);
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
    scroll->setWidget(m_rows);
    m_add = new QPushButton(QStringLiteral("Add Folder\u2026"), m_folderSection);
    noFocusRing(m_add);
    m_add->setFont(RecentRow::font(12, QFont::Medium));
    connect(m_add, &QPushButton::clicked, this, &SettingsView::addFolders);
    folders->addWidget(scroll, 1);
    folders->addWidget(m_add, 0, Qt::AlignLeft);
    column->addWidget(m_folderSection, 1);
    column->addStretch(0);

    m_divider = new QWidget(this);
    m_divider->setFixedHeight(1);
    m_quit = new QPushButton(QStringLiteral("Quit Quillmoth"), this);
    noFocusRing(m_quit);
    m_quit->setFont(RecentRow::font(12, QFont::Medium));
    m_quit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_quit, &QPushButton::clicked, this, [] { QCoreApplication::quit(); });
    column->addWidget(m_divider);
    column->addWidget(m_quit);
    column->addSpacing(6);

    connect(&m_filter, &FolderFilter::changed, this, &SettingsView::rebuild);
    rebuild();
}

QString SettingsView::modeCaption(FolderFilterMode mode, bool hasFolders)
{
    switch (mode) {
    case FolderFilterMode::all:
        return QStringLiteral("Recents from your whole Mac.");
    case FolderFilterMode::include:
        return hasFolders
            ? QStringLiteral("Recents only from these folders:")
            : QStringLiteral(
                "Add folders below to show only their recents. Until then, everything is shown.");
    case FolderFilterMode::exclude:
        break;
    }
    return hasFolders
        ? QStringLiteral("Recents from everywhere except these folders:")
        : QStringLiteral(
            "Add folders below to hide their recents. Until then, everything is shown.");
}

QString SettingsView::chooserMessage(FolderFilterMode mode)
{
    return QStringLiteral("Choose folders to ")
        + (mode == FolderFilterMode::include ? QStringLiteral("show recents from")
                                             : QStringLiteral("exclude"));
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
        QFileDialog dialog(parent ? parent->window() : nullptr, message);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setOption(QFileDialog::DontUseNativeDialog); // several folders at once
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Add"));
        dialog.setLabelText(QFileDialog::LookIn, message);
        for (QAbstractItemView *view : dialog.findChildren<QAbstractItemView *>())
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        if (parent && parent->window())
            parent->window()->activateWindow();
        if (dialog.exec() != QDialog::Accepted)
            return QStringList();
        return dialog.selectedFiles();
    };
}

void SettingsView::addFolders()
{
    const QStringList chosen = m_chooser(chooserMessage(m_filter.mode()));
    for (const QString &path : chosen) {
        // Standardised as a file URL's path; the same string is never listed twice.
        const QString standard = QDir::cleanPath(fileUrl(path).toLocalFile());
        if (standard.isEmpty() || m_filter.folders().contains(standard))
            continue;
        m_filter.setFolders(m_filter.folders() + QStringList { standard });
    }
}

QList<QPushButton *> SettingsView::removeButtons() const
{
    QList<QPushButton *> buttons;
    for (QPushButton *button : m_rows->findChildren<QPushButton *>())
        if (button->toolTip() == QLatin1String("Remove"))
            buttons << button;
    return buttons;
}

void SettingsView::setTheme(const Theme &theme)
{
    m_theme = theme;
    m_modes->setTheme(theme);
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
    m_sectionTitle->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
    m_caption->setStyleSheet(QStringLiteral("color: %1;").arg(secondary));
}

void SettingsView::rebuild()
{
    styleButtons();
    const FolderFilterMode mode = m_filter.mode();
    if (m_modes->selected() != indexOf(mode))
        m_modes->setSelected(indexOf(mode));
    m_caption->setText(modeCaption(mode, !m_filter.folders().isEmpty()));
    m_folderSection->setVisible(mode != FolderFilterMode::all);

    while (QLayoutItem *item = m_rowsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &path : m_filter.folders()) {
        auto *row = new FolderRow(m_theme, m_rows);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(8, 5, 8, 5);
        layout->setSpacing(8);
        auto *icon = new QLabel(row);
        QColor folderColour = m_theme.accent();
        folderColour.setAlphaF(0.85f);
        icon->setPixmap(
            Glyph::render(QStringLiteral("folder"), folderColour, 12, devicePixelRatioF()));
        auto *texts = new QVBoxLayout;
        texts->setSpacing(1);
        auto *name
            = new QLabel(fileUrl(path).fileName().isEmpty() ? path : fileUrl(path).fileName(), row);
        name->setFont(RecentRow::font(13, QFont::Medium));
        name->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(m_theme.primaryText())));
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        auto *where = new MiddleElidedLabel(abbreviatedWithTilde(path), row);
        where->setFont(RecentRow::font(10, QFont::Normal));
        where->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(m_theme.secondaryText())));
        texts->addWidget(name);
        texts->addWidget(where);
        auto *remove = new QPushButton(row);
        noFocusRing(remove);
        remove->setToolTip(QStringLiteral("Remove"));
        remove->setIcon(QIcon(Glyph::render(
            QStringLiteral("xmark-circle"), m_theme.secondaryText(), 12, devicePixelRatioF())));
        remove->setStyleSheet(
            QStringLiteral("QPushButton { border: none; background: transparent; }"));
        connect(remove, &QPushButton::clicked, this, [this, path] {
            // Deferred: the button itself goes away with the rebuild.
            QMetaObject::invokeMethod(
                this, [this, path] { m_filter.remove(path); }, Qt::QueuedConnection);
        });
        layout->addWidget(icon);
        layout->addLayout(texts, 1);
        layout->addWidget(remove);
        m_rowsLayout->addWidget(row);
    }
    m_rowsLayout->addStretch();
}

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/FolderFilter.h"
#include "Views/Theme.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLayout;
class QPushButton;
class QVBoxLayout;
class QScrollArea;
class SegmentedControl;
class ToggleSwitch;

// The in-panel settings page: the folder filter's mode and folders, "Open at Login", and Quit.
// Every edit goes straight to the filter it was given, which stores it at once; "Done" only closes
// the page.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    // Runs the folder chooser with the given message; returns the chosen folders, or nothing
    // when the chooser was cancelled.
    using FolderChooser = std::function<QStringList(const QString &message)>;

    SettingsView(FolderFilter &filter, std::function<void()> onDone, QWidget *parent = nullptr);
    void setTheme(const Theme &theme);
    void setFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }

    static QString modeCaption(FolderFilterMode mode, bool hasFolders);
    static QString chooserMessage(FolderFilterMode mode);
    // The path with the home folder shown as "~".
    static QString abbreviatedWithTilde(const QString &path);
    static FolderChooser dialogChooser(QWidget *parent);

    void addFolders();

    SegmentedControl *modeControl() const { return m_modes; }
    QPushButton *doneButton() const { return m_done; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *quitButton() const { return m_quit; }
    ToggleSwitch *loginSwitch() const { return m_login; }
    QLabel *caption() const { return m_caption; }
    QWidget *folderSection() const { return m_folderSection; }
    QList<QPushButton *> removeButtons() const;

Q_SIGNALS:
    // The user turned Open at Login on, and the autostart entry now says so.
    void openAtLoginTurnedOn();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLayout *buildHeader();
    QLayout *buildModeSection();
    QWidget *buildFolderSection();
    QLayout *buildLoginRow();
    QLayout *buildQuitSection();
    void rebuild();
    void syncRows();
    void clearRows();
    void styleButtons();
    QWidget *makeFolderRow(const QString &path);
    QLayout *makeFolderTexts(const QString &path, QWidget *row);
    QPushButton *makeRemoveButton(const QString &path, QWidget *row);

    FolderFilter &m_filter;
    std::function<void()> m_onDone;
    FolderChooser m_chooser;
    Theme m_theme { ColorScheme::light };
    QLabel *m_title = nullptr, *m_sectionTitle = nullptr, *m_caption = nullptr;
    QPushButton *m_done = nullptr, *m_add = nullptr, *m_quit = nullptr;
    SegmentedControl *m_modes = nullptr;
    QLabel *m_loginLabel = nullptr;
    ToggleSwitch *m_login = nullptr;
    QWidget *m_folderSection = nullptr, *m_divider = nullptr;
    QWidget *m_rows = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QStringList m_rowFolders; // the folders the rows show, in order
};

// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QUrl>

#include <memory>

// The desktop's workspace: opening items with their default application and showing them in the
// file manager. An interface so the views can be driven with a recording stand-in.
class Workspace
{
public:
    virtual ~Workspace();

    // Opens a file with its default application, a folder in the file manager. Fire and forget.
    virtual void openUrl(const QUrl &url) = 0;
    // Shows the file manager with these items selected.
    virtual void activateFileViewerSelecting(const QList<QUrl> &urls) = 0;

    // The desktop's own workspace.
    static std::shared_ptr<Workspace> system();
};

// Opens through QDesktopServices and reveals through org.freedesktop.FileManager1 ShowItems on
// the session bus; when no file manager answers, opens the folders that hold the items.
class SystemWorkspace : public Workspace
{
public:
    void openUrl(const QUrl &url) override;
    void activateFileViewerSelecting(const QList<QUrl> &urls) override;

    // The folder that holds `url` (for the fallback); the url itself when it has no parent.
    static QUrl parentFolder(const QUrl &url);
};

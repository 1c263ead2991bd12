// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/FileManagerIdentity.h"

#include <QList>
#include <QUrl>

#include <memory>
#include <optional>

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
    // The name the file manager calls itself ("Files", "Dolphin"); empty when none is known.
    virtual QString fileManagerName() const;

    // The desktop's own workspace.
    static std::shared_ptr<Workspace> system();
};

// Opens through QDesktopServices. Reveals in the user's file manager: through
// org.freedesktop.FileManager1 ShowItems when that name leads to it, otherwise (or when the call
// fails) by opening the folders that hold the items in it. Never starts another file manager.
class SystemWorkspace : public Workspace
{
public:
    void openUrl(const QUrl &url) override;
    void activateFileViewerSelecting(const QList<QUrl> &urls) override;
    QString fileManagerName() const override;

    // The folder that holds `url` (for the fallback); the url itself when it has no parent.
    static QUrl parentFolder(const QUrl &url);

private:
    static void openFolders(const std::optional<FileManager> &manager, const QList<QUrl> &urls);
};

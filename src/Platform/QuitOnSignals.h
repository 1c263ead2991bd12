// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QObject;

// SIGTERM (the session ending) and SIGINT end the event loop the way "Quit Quillmoth" does. The
// handler only writes a byte to a socket; the quit itself happens in the event loop. Call once,
// after the application object exists; `parent` owns the socket's notifier.
void quitOnSignals(QObject *parent);

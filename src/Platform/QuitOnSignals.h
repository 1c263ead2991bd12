// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QObject;

// SIGTERM (the session ending) and SIGINT end the event loop the way "Quit Quillmoth" does. The
// handler only writes a byte to a socket; the quit itself happens in the event loop. A quit that
// has not ended the process a few seconds later (a stuck thread, a busy main thread) is cut
// short. Call once, after the application object exists; `parent` owns the socket's notifier.
void quitOnSignals(QObject *parent);

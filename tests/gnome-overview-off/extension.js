// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Test-only: a headless GNOME Shell starts in the overview, where new windows get no focus.
'use strict';

const Main = imports.ui.main;

class OverviewOff {
    enable() {
        if (Main.layoutManager._startingUp)
            this._id = Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
        else
            Main.overview.hide();
    }

    disable() {
        if (this._id)
            Main.layoutManager.disconnect(this._id);
        this._id = 0;
    }
}

function init() {
    return new OverviewOff();
}

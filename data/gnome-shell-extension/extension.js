// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Publishes the focused window's application on the session bus (GNOME 43-44 format). GNOME on
// Wayland tells ordinary clients nothing about other windows; the panel listens here instead.
'use strict';

const { Gio, GLib, Shell } = imports.gi;

const BUS_NAME = 'io.github.quillmoth.Quillmoth.Focus';
const OBJECT_PATH = '/io/github/quillmoth/Quillmoth/Focus';
const INTERFACE_XML = `
<node>
  <interface name="io.github.quillmoth.Quillmoth.Focus">
    <method name="Current">
      <arg type="s" name="app_id" direction="out"/>
      <arg type="s" name="wm_class" direction="out"/>
      <arg type="u" name="pid" direction="out"/>
    </method>
    <signal name="FocusChanged">
      <arg type="s" name="app_id"/>
      <arg type="s" name="wm_class"/>
      <arg type="u" name="pid"/>
    </signal>
  </interface>
</node>`;

// [app_id, wm_class, pid] of the focused window; empty strings and 0 when none has the focus.
function focused() {
    const window = global.display.get_focus_window();
    if (!window)
        return ['', '', 0];
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    const pid = window.get_pid();
    // A window the shell matched to no desktop file gets a made-up "window:N" app: no id.
    const id = app && !app.is_window_backed() ? app.get_id() : '';
    return [id, window.get_wm_class() || '', pid > 0 ? pid : 0];
}

class FocusPublisher {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, {
            Current: () => focused(),
        });
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._focusHandler = global.display.connect('notify::focus-window', () => {
            this._object.emit_signal('FocusChanged', new GLib.Variant('(ssu)', focused()));
        });
        // The name last: whoever sees it can call Current and gets every later change.
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._nameId);
        global.display.disconnect(this._focusHandler);
        this._object.unexport();
        this._object = null;
    }
}

function init() {
    return new FocusPublisher();
}

# SPDX-FileCopyrightText: 2026 The Quillmoth developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Desktop integration: launcher, AppStream metadata and the application icon, in the places the
# freedesktop specifications look for them (under CMAKE_INSTALL_PREFIX, /usr/local by default).
# The launcher names the installed binary by its absolute path: KWin matches it to grant the
# program its window management protocol.
set(QUILLMOTH_INSTALLED_BINARY ${CMAKE_INSTALL_FULL_BINDIR}/quillmoth)
set(QUILLMOTH_DESKTOP_FILE ${CMAKE_CURRENT_BINARY_DIR}/${QUILLMOTH_APP_ID}.desktop)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/data/${QUILLMOTH_APP_ID}.desktop.in ${QUILLMOTH_DESKTOP_FILE} @ONLY)
install(FILES ${QUILLMOTH_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/${QUILLMOTH_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/icons/hicolor/scalable/apps/${QUILLMOTH_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The GNOME Shell extension that tells the panel which application has the focus on GNOME on
# Wayland. GNOME 45 changed the extension format to ES modules; Debian 12 ships GNOME 43.
option(QUILLMOTH_GNOME_SHELL_45 "Install the GNOME Shell extension in the GNOME 45+ format" OFF)
if(QUILLMOTH_GNOME_SHELL_45)
  set(QUILLMOTH_GNOME_EXTENSION_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/gnome-shell-extension-45)
else()
  set(QUILLMOTH_GNOME_EXTENSION_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/gnome-shell-extension)
endif()
install(FILES ${QUILLMOTH_GNOME_EXTENSION_DIR}/metadata.json ${QUILLMOTH_GNOME_EXTENSION_DIR}/extension.js
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/quillmoth@quillmoth.github.io)

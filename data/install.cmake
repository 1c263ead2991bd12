# SPDX-FileCopyrightText: 2026 The Quillmoth developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Desktop integration: launcher, AppStream metadata and the application icon, in the places the
# freedesktop specifications look for them (under CMAKE_INSTALL_PREFIX, /usr/local by default).
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/${QUILLMOTH_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/${QUILLMOTH_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/icons/hicolor/scalable/apps/${QUILLMOTH_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# What `cmake --install` puts in place: the programs, and on Linux the desktop entry, the
# application icon (scalable and in the hicolor sizes), the AppStream metainfo and the man
# pages, all named after the desktop id the panel gives itself.
include(GNUInstallDirs)
set(QOR_DESKTOP_ID com.velmoric.qorstats)

foreach(program qorstats qorsimd qorpoll)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET qorstats AND NOT WIN32)
  set(QOR_ICONS ${PROJECT_SOURCE_DIR}/res/icons)
  install(FILES data/${QOR_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QOR_ICONS}/${QOR_DESKTOP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  file(GLOB QOR_ICON_SIZES RELATIVE ${QOR_ICONS}/hicolor CONFIGURE_DEPENDS ${QOR_ICONS}/hicolor/*)
  foreach(size IN LISTS QOR_ICON_SIZES)
    install(FILES ${QOR_ICONS}/hicolor/${size}/apps/${QOR_DESKTOP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
  endforeach()

  # The version comes from the project, as in the programs' --version.
  configure_file(data/${QOR_DESKTOP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/data/${QOR_DESKTOP_ID}.metainfo.xml
                 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/data/${QOR_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(page qorstats qorsimd qorpoll)
    configure_file(data/man/${page}.1.in ${PROJECT_BINARY_DIR}/data/man/${page}.1 @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/data/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()

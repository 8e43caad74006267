# The Windows version record and application icon of an executable, compiled from
# res/version.rc.in by the resource compiler (windres in the MinGW cross build). Elsewhere
# qor_windows_resources does nothing.
if(WIN32)
  enable_language(RC)
endif()

function(qor_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  set(QOR_RC_TARGET ${target})
  set(QOR_RC_ICON ${PROJECT_SOURCE_DIR}/res/icons/com.velmoric.qorstats.ico)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc APPEND PROPERTY OBJECT_DEPENDS ${QOR_RC_ICON})
endfunction()

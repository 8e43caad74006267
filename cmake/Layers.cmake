# Every folder of the product is a library of its own, and its headers are reachable as
# "<folder>/X.h" only through an include directory of its own: a folder can include no more
# than what its target links, so an include that breaks the layering fails to compile.
#
# The include directory lives in the build tree and holds one forwarding header per header of
# the folder; the sources stay where they are.

# Sources of the given folders. Platform files carry a suffix: Win32 (Windows only), Posix
# (elsewhere, no Qt) and Qt (elsewhere, needs Qt). A folder's main.cpp belongs to its program.
function(qor_collect out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "(Posix|Qt)\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "Win32\\.cpp$")
  endif()
  list(FILTER files EXCLUDE REGEX "/main\\.cpp$")
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Gives `target` the include directory through which its folder's headers are included as
# "<name>/X.h", where name is the folder's last component (src/driver: "driver").
function(qor_include_root target folder)
  get_filename_component(name ${folder} NAME)
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  set(wanted)
  foreach(header IN LISTS headers)
    get_filename_component(file ${header} NAME)
    list(APPEND wanted ${root}/${name}/${file})
    # Written only when it changes, so that a new configure rebuilds nothing.
    file(CONFIGURE OUTPUT ${root}/${name}/${file} CONTENT "#include \"${header}\"\n")
  endforeach()
  file(GLOB present ${root}/${name}/*.h)
  foreach(stale IN LISTS present)
    if(NOT stale IN_LIST wanted)
      file(REMOVE ${stale})
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# A library made of one folder: its sources (none makes a header-only library) and its include
# directory. What it may use is linked by the caller.
function(qor_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "EXCLUDE")
  qor_collect(sources ${folder})
  foreach(pattern IN LISTS arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  if(sources)
    add_library(${target} STATIC ${sources})
  else()
    add_library(${target} INTERFACE)
  endif()
  qor_include_root(${target} ${folder})
endfunction()

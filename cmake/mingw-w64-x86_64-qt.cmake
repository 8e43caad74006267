# Toolchain for building Qt itself for Windows: Qt's configure finds the host's Qt tools
# (QT_HOST_PATH_CMAKE_DIR) outside the MinGW root, so packages are searched in both.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Cross build for 64-bit Windows with MinGW-w64. The posix-thread compilers:
# Qt 6 needs std::thread and std::mutex, which the win32-thread ones lack,
# and the program, its libraries and Qt must share one C++ runtime.
# ORV_WINDOWS_QT names the Qt for MinGW-w64 that scripts/windows-qt lays
# out; without it only the reader library and the updater build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(ORV_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORV_WINDOWS_QT})
  list(APPEND CMAKE_PREFIX_PATH ${ORV_WINDOWS_QT})
  # moc, rcc and uic are Debian's own Qt of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the POSIX thread
# model, for std::thread). QM_WINDOWS_PREFIX (a cache variable or the environment) names
# the folder scripts/windows builds the libraries into; the MinGW system folder and it
# are the only places libraries and headers are looked up.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QM_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QM_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW}-windres)

if(NOT QM_WINDOWS_PREFIX AND DEFINED ENV{QM_WINDOWS_PREFIX})
  set(QM_WINDOWS_PREFIX "$ENV{QM_WINDOWS_PREFIX}" CACHE PATH "The Windows libraries' prefix")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW} ${QM_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Every library is static: no DLL has to travel with the programs.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# pkg-config reads only the prefix's files, and with the libraries' private
# dependencies, which a static link needs.
if(QM_WINDOWS_PREFIX)
  set(PKG_CONFIG_EXECUTABLE ${QM_WINDOWS_PREFIX}/bin/qm-pkg-config CACHE FILEPATH "")
endif()

# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix threads), tested under
# Wine. The libraries built by scripts/win32-deps.sh lie in build/deps/win32.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELLUM_WIN32_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLUM_WIN32_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLUM_WIN32_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLUM_WIN32_TRIPLET}-windres)

get_filename_component(VELLUM_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(VELLUM_WIN32_DEPS "${VELLUM_SOURCE_ROOT}/build/deps/win32" CACHE PATH
    "Prefix of the win32 SQLite and libsodium (scripts/win32-deps.sh)")
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_WIN32_TRIPLET} ${VELLUM_WIN32_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One vellum.dll: the compiler's runtime, the C++ library and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Programs built here run under Wine, in the project's own prefix (scripts/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR "${VELLUM_SOURCE_ROOT}/scripts/wine-run.sh")

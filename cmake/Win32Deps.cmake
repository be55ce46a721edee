# The win32 build's third-party libraries, as the targets the rest of the build links:
# SQLite and libsodium (static, from scripts/win32-deps.sh), nlohmann_json (headers
# copied there from Debian's package) and GoogleTest (Debian's sources, built here).
foreach(library sqlite3 sodium)
  find_library(VELLUM_WIN32_${library} NAMES lib${library}.a REQUIRED
               HINTS ${VELLUM_WIN32_DEPS}/lib)
endforeach()
find_path(VELLUM_WIN32_INCLUDE sqlite3.h REQUIRED HINTS ${VELLUM_WIN32_DEPS}/include)

add_library(vellum_sqlite3 INTERFACE)
target_link_libraries(vellum_sqlite3 INTERFACE ${VELLUM_WIN32_sqlite3})
target_include_directories(vellum_sqlite3 SYSTEM INTERFACE ${VELLUM_WIN32_INCLUDE})

add_library(vellum_sodium INTERFACE)
target_link_libraries(vellum_sodium INTERFACE ${VELLUM_WIN32_sodium} advapi32)
target_include_directories(vellum_sodium SYSTEM INTERFACE ${VELLUM_WIN32_INCLUDE})
target_compile_definitions(vellum_sodium INTERFACE SODIUM_STATIC=1)  # no dllimport

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${VELLUM_WIN32_INCLUDE})

# The platform layer's system libraries (cryptography and security: advapi32).
set(VELLUM_PLATFORM_LIBS advapi32)

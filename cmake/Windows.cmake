# The Windows program, included by the top CMakeLists.txt: the Win32 backend and view,
# kirramo.exe with its manifest, version and icon, the files that go beside it, and
# the release zip.

enable_language(RC)
# Wide Win32 calls only, Windows 10 and later; windows.h without its min/max macros.
set(KIRRAMO_WIN32_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0A00 WINVER=0x0A00 NTDDI_VERSION=0x0A000000)
if(MINGW)
  # One executable without DLLs beside it: libstdc++, libgcc and winpthread linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
if(MSVC)
  add_compile_options(/utf-8)
  # The program's manifest comes from its resource file.
  add_link_options(/MANIFEST:NO)
endif()

# The Windows backend.
file(GLOB KIRRAMO_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(kirramo_win32 STATIC ${KIRRAMO_WIN32_SOURCES})
target_compile_definitions(kirramo_win32 PUBLIC ${KIRRAMO_WIN32_DEFINITIONS})
target_link_libraries(kirramo_win32 PUBLIC kirramo_core
  kernel32 user32 gdi32 mpr ole32 shell32 comctl32)

# The Win32 view of the settings window.
file(GLOB KIRRAMO_WIN32VIEW_SOURCES CONFIGURE_DEPENDS src/window/win32/*.cpp src/window/win32/*.h)
add_library(kirramo_win32view STATIC ${KIRRAMO_WIN32VIEW_SOURCES})
target_link_libraries(kirramo_win32view PUBLIC kirramo_win32)

# The program: a GUI program (no console window) with its manifest, version and icon.
set(KIRRAMO_WIN_DIR ${CMAKE_SOURCE_DIR}/win)
set(KIRRAMO_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(KIRRAMO_MANIFEST ${CMAKE_BINARY_DIR}/kirramo.manifest)
configure_file(win/kirramo.manifest ${KIRRAMO_MANIFEST} @ONLY)
configure_file(win/kirramo.rc.in ${CMAKE_BINARY_DIR}/kirramo.rc @ONLY)
add_executable(kirramo WIN32 src/startup/main_win32.cpp ${CMAKE_BINARY_DIR}/kirramo.rc)
target_link_libraries(kirramo PRIVATE kirramo_win32 kirramo_win32view)
if(MINGW)
  target_link_options(kirramo PRIVATE -municode)
endif()
install(TARGETS kirramo RUNTIME DESTINATION .)

# The usage text and the two scripts that add Kirramo to the user's "Send To" menu
# and take it away again. Their sources in data/win are UTF-8; Notepad and cmd.exe
# on a Japanese Windows read Shift-JIS with CR LF, so they are written so into the
# build folder, beside kirramo.exe, where Help finds the usage text.
set(KIRRAMO_WIN_FILES)
foreach(name "how to use.txt" add-to-sendto.cmd remove-from-sendto.cmd)
  add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/${name}"
    COMMAND ${CMAKE_COMMAND} "-DIN=${CMAKE_SOURCE_DIR}/data/win/${name}"
      "-DOUT=${CMAKE_BINARY_DIR}/${name}" -P ${CMAKE_SOURCE_DIR}/cmake/Cp932Text.cmake
    DEPENDS "data/win/${name}" cmake/Cp932Text.cmake
    COMMENT "Writing ${name} in Shift-JIS"
    VERBATIM)
  list(APPEND KIRRAMO_WIN_FILES "${CMAKE_BINARY_DIR}/${name}")
endforeach()
add_custom_target(kirramo_win_files ALL DEPENDS ${KIRRAMO_WIN_FILES})
install(FILES ${KIRRAMO_WIN_FILES} DESTINATION .)

# The release artefact: `cpack` (or the "package" target) in the build folder makes
# Kirramo-<version>-win64.zip, one folder "Kirramo" holding what is installed above,
# the program without its debugging information.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kirramo)
set(CPACK_PACKAGE_VENDOR Kirramo)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_PACKAGE_FILE_NAME Kirramo-${PROJECT_VERSION}-win64)
else()
  set(CPACK_PACKAGE_FILE_NAME Kirramo-${PROJECT_VERSION}-win32)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /Kirramo)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The Linux program, included by the top CMakeLists.txt: the POSIX backend (ICU, Xlib),
# the Qt view and the Qt module loaded at run time, the program, its icon and its
# install rules.

find_package(PkgConfig REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(X11 REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Widgets)

include(GNUInstallDirs)
# The core, the backend and the view also go into the Qt module below.
set_target_properties(kirramo_core PROPERTIES POSITION_INDEPENDENT_CODE ON)

# The Linux backend, without Qt: the program loads the Qt module only when it shows
# a window or a message box. The X11 clipboard owner is kept apart from the Qt
# sources: Xlib's macros clash with Qt's headers.
file(GLOB KIRRAMO_POSIX_SOURCES CONFIGURE_DEPENDS src/platform/posix/*.cpp)
add_library(kirramo_posix STATIC ${KIRRAMO_POSIX_SOURCES})
set_target_properties(kirramo_posix PROPERTIES POSITION_INDEPENDENT_CODE ON)
# ICU is linked into the program where its static libraries are installed: binding
# the symbols of its shared libraries at every start costs more than a small run.
# The Qt module (a shared object) takes the shared ones, which the toolkit loads anyway.
find_library(KIRRAMO_ICU_I18N_STATIC libicui18n.a)
find_library(KIRRAMO_ICU_UC_STATIC libicuuc.a)
find_library(KIRRAMO_ICU_DATA_STATIC libicudata.a)
set(KIRRAMO_ICU_SHARED ICU::i18n ICU::uc)
if(KIRRAMO_ICU_I18N_STATIC AND KIRRAMO_ICU_UC_STATIC AND KIRRAMO_ICU_DATA_STATIC)
  find_package(Threads REQUIRED)
  set(KIRRAMO_ICU_LINKED ${KIRRAMO_ICU_I18N_STATIC} ${KIRRAMO_ICU_UC_STATIC}
      ${KIRRAMO_ICU_DATA_STATIC} Threads::Threads m)
else()
  set(KIRRAMO_ICU_LINKED ${KIRRAMO_ICU_SHARED})
endif()
set(KIRRAMO_IN_MODULE "$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>")
target_include_directories(kirramo_posix PUBLIC ${ICU_INCLUDE_DIRS})
target_link_libraries(kirramo_posix PUBLIC kirramo_core X11::X11
  "$<${KIRRAMO_IN_MODULE}:${KIRRAMO_ICU_SHARED}>"
  "$<$<NOT:${KIRRAMO_IN_MODULE}>:${KIRRAMO_ICU_LINKED}>")

# The Qt view of the settings window.
file(GLOB KIRRAMO_QTVIEW_SOURCES CONFIGURE_DEPENDS src/window/qt/*.cpp src/window/qt/*.h)
add_library(kirramo_qtview STATIC ${KIRRAMO_QTVIEW_SOURCES})
set_target_properties(kirramo_qtview PROPERTIES AUTOMOC ON POSITION_INDEPENDENT_CODE ON)
target_link_libraries(kirramo_qtview PUBLIC kirramo_core Qt6::Widgets)

# The Qt module, kirramo-qt.so beside the program: the settings window and the
# message box. Only its entry function is exported.
file(GLOB KIRRAMO_QTMODULE_SOURCES CONFIGURE_DEPENDS src/window/qt/module/*.cpp)
add_library(kirramo_qt MODULE ${KIRRAMO_QTMODULE_SOURCES})
set_target_properties(kirramo_qt PROPERTIES PREFIX "" OUTPUT_NAME kirramo-qt
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(kirramo_qt PRIVATE kirramo_qtview kirramo_posix Qt6::Widgets)
target_link_options(kirramo_qt PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)

# The program's side of the module: loads it when a window or a box is first shown.
add_library(kirramo_qthost STATIC src/window/qt/host/QtModuleHost.cpp)
target_link_libraries(kirramo_qthost PUBLIC kirramo_posix ${CMAKE_DL_LIBS})
# Where the installed program finds the installed module, relative to its own folder.
file(RELATIVE_PATH KIRRAMO_QT_MODULE_DIR "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/kirramo")
target_compile_definitions(kirramo_qthost PRIVATE KIRRAMO_QT_MODULE_DIR="${KIRRAMO_QT_MODULE_DIR}")

add_executable(kirramo src/startup/main_linux.cpp)
# What --version says.
target_compile_definitions(kirramo PRIVATE KIRRAMO_VERSION="${PROJECT_VERSION}")
target_link_libraries(kirramo PRIVATE kirramo_posix kirramo_qthost)
add_dependencies(kirramo kirramo_qt)

# The usage text beside the built program, where its Help button looks first.
configure_file("data/how to use.txt" "${CMAKE_BINARY_DIR}/how to use.txt" COPYONLY)

# The icon at 16, 32 and 48 pixels, written by the same code that draws the window's.
add_executable(kirramo_icons src/window/qt/tool/WriteIcons.cpp)
target_link_libraries(kirramo_icons PRIVATE kirramo_qtview)
set(KIRRAMO_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(KIRRAMO_ICON_FILES)
foreach(size 16 32 48)
  list(APPEND KIRRAMO_ICON_FILES ${KIRRAMO_ICON_DIR}/${size}x${size}/apps/kirramo.png)
endforeach()
add_custom_command(OUTPUT ${KIRRAMO_ICON_FILES}
  COMMAND kirramo_icons ${KIRRAMO_ICON_DIR}
  DEPENDS kirramo_icons
  COMMENT "Drawing the program's icon"
  VERBATIM)
add_custom_target(kirramo_icon_files ALL DEPENDS ${KIRRAMO_ICON_FILES})

# cmake --install: the program, its usage text and icon, the desktop entry (offered
# under "Open with"), Dolphin's context-menu actions, and the Nautilus scripts and the
# Thunar actions that the usage text tells how to enable.
install(TARGETS kirramo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kirramo_qt LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kirramo)
install(FILES "data/how to use.txt" DESTINATION ${CMAKE_INSTALL_DATADIR}/kirramo)
install(DIRECTORY ${KIRRAMO_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES data/kirramo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Executable: newer Dolphins trust a service menu only then.
install(PROGRAMS data/kirramo-copy-paths.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
# The Nautilus scripts: one body under four names in a folder "Kirramo" (Nautilus's
# submenu); each name chooses its road.
foreach(name "パスをコピー" "名前をコピー" "フルパスをコピー" "Kirramo の設定…")
  install(PROGRAMS data/nautilus/kirramo-nautilus DESTINATION ${CMAKE_INSTALL_DATADIR}/kirramo/nautilus/Kirramo
    RENAME "${name}")
endforeach()
install(FILES data/thunar/uca.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/kirramo/thunar)
include(cmake/Package.cmake)

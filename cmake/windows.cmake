# Windows builds: the GUI program's icon and version resource, and what lets the programs run on
# a Windows machine that has nothing installed: Qt's DLLs, the windows platform plugin and the
# style plugin, Qt's Russian translations and the MinGW runtime that Qt's DLLs use (the programs
# themselves carry theirs, linked statically). These are copied beside the programs in the build
# folder, so that a build runs as it is (under Wine too), and installed with them: `cmake --install`
# into a folder gives what the setup program of scripts/windows-package.sh holds.
# Included once, at the end of the top CMakeLists.txt, so that every program target is known here.

set(QUILLON_WINDOWS_DIST ${CMAKE_SOURCE_DIR}/dist/windows)
install(TARGETS quillon-cli RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION . RENAME copyright.txt)
if(NOT TARGET quillon)
  return()
endif()

enable_language(RC)
set(QUILLON_WINDOWS_ICON ${QUILLON_WINDOWS_DIST}/quillon.ico)
configure_file(${QUILLON_WINDOWS_DIST}/quillon.rc.in ${CMAKE_BINARY_DIR}/dist/quillon.rc @ONLY)
target_sources(quillon PRIVATE ${CMAKE_BINARY_DIR}/dist/quillon.rc)
install(TARGETS quillon RUNTIME DESTINATION .)

set(QUILLON_QT_DLLS $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::Charts>)
set(QUILLON_MINGW_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${dll}, which Qt's DLLs need, is not beside the compiler ${CMAKE_CXX_COMPILER}")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND QUILLON_MINGW_DLLS ${path})
endforeach()

# Qt for Windows carries its translations when its installer put them in; Debian's
# qt6-translations-l10n has the same files for any platform.
find_file(QUILLON_QTBASE_RU qtbase_ru.qm
          PATHS ${QT6_INSTALL_PREFIX}/translations /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUILLON_QTBASE_RU)
  message(WARNING "qtbase_ru.qm not found (Debian: scripts/install-deps.sh qt6-translations-l10n): "
                  "the standard buttons stay in English")
endif()

# The offscreen platform plugin is for the tests (no display) and stays in the build folder.
set(plugins_dir ${CMAKE_BINARY_DIR}/plugins)
set(copy_translations)
if(QUILLON_QTBASE_RU)
  set(copy_translations COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUILLON_QTBASE_RU} ${CMAKE_BINARY_DIR}/translations)
endif()
add_custom_target(quillon_windows_runtime
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUILLON_QT_DLLS} ${QUILLON_MINGW_DLLS}
          ${QUILLON_WINDOWS_DIST}/qt.conf ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${plugins_dir}/platforms ${plugins_dir}/styles
          ${CMAKE_BINARY_DIR}/translations
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
          $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> ${plugins_dir}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${plugins_dir}/styles
  ${copy_translations}
  COMMENT "Qt's DLLs, plugins and translations and the MinGW runtime beside the programs"
  VERBATIM COMMAND_EXPAND_LISTS)
add_dependencies(quillon quillon_windows_runtime)
if(TARGET quillon_ui_tests)
  add_dependencies(quillon_ui_tests quillon_windows_runtime)
  # The main window on the Win32 backend and the windows plugin against a simulated device behind
  # a real COM port, which the test run provides (scripts/windows-cross-test.sh).
  add_executable(quillon_com_window_tests ${CMAKE_SOURCE_DIR}/tests/com_port/com_port_window_test.cpp)
  target_include_directories(quillon_com_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(quillon_com_window_tests PRIVATE quillon_ui GTest::gtest GTest::gtest_main)
  add_dependencies(quillon_com_window_tests quillon_windows_runtime)
endif()

install(FILES ${QUILLON_QT_DLLS} ${QUILLON_MINGW_DLLS} ${QUILLON_WINDOWS_DIST}/qt.conf DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
if(QUILLON_QTBASE_RU)
  install(FILES ${QUILLON_QTBASE_RU} DESTINATION translations)
endif()

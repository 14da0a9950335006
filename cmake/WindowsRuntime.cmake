# What a Windows program of this build needs beside it: the compiler's
# runtime DLLs, the Office check and, with the windows, Qt's DLLs, its
# platform and style plugins and its Japanese texts. They are copied into the build's bin
# folder, so that the tests under Wine find them as the installed program
# does, and installed with the program into PRAVIK_INSTALL_DIR.

set(runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
  endif()
  list(APPEND runtime_dlls "${found}")
endforeach()
file(COPY ${runtime_dlls} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
install(FILES ${runtime_dlls} DESTINATION ${PRAVIK_INSTALL_DIR})
# The check an administrator runs once on a Windows with Office (README).
install(FILES ${PROJECT_SOURCE_DIR}/resources/windows/office-check.ps1 DESTINATION ${PRAVIK_INSTALL_DIR})

if(NOT PRAVIK_WITH_QT)
  return()
endif()

get_filename_component(qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
set(qt_dlls ${qt_prefix}/bin/Qt6Core.dll ${qt_prefix}/bin/Qt6Gui.dll ${qt_prefix}/bin/Qt6Widgets.dll)
set(qt_platform ${qt_prefix}/plugins/platforms/qwindows.dll)
set(qt_style ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll)
# Qt's translations are the same files for every system: Qt's own where it
# has them, else Debian's (a cross-built Qt has none).
find_file(PRAVIK_QT_JAPANESE qtbase_ja.qm PATHS ${qt_prefix}/translations /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PRAVIK_QT_JAPANESE)
  message(FATAL_ERROR "qtbase_ja.qm was not found: install qt6-translations-l10n")
endif()
set(qt_japanese ${PRAVIK_QT_JAPANESE})

file(COPY ${qt_dlls} ${qt_prefix}/bin/Qt6Test.dll DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
# The tests run on the offscreen platform.
file(COPY ${qt_platform} ${qt_prefix}/plugins/platforms/qoffscreen.dll
     DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/platforms)
file(COPY ${qt_style} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/styles)
file(COPY ${qt_japanese} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/translations)

install(FILES ${qt_dlls} DESTINATION ${PRAVIK_INSTALL_DIR})
install(FILES ${qt_platform} DESTINATION ${PRAVIK_INSTALL_DIR}/platforms)
install(FILES ${qt_style} DESTINATION ${PRAVIK_INSTALL_DIR}/styles)
install(FILES ${qt_japanese} DESTINATION ${PRAVIK_INSTALL_DIR}/translations)

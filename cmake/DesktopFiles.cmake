# What a system install adds for the desktop: the menu entry, the program's
# icon in the hicolor theme (drawn by program_icon_writer, the picture of
# the windows) and the manual page.
if(NOT PRAVIK_WITH_QT)
  message(FATAL_ERROR "PRAVIK_SYSTEM_INSTALL installs the windows: it needs PRAVIK_WITH_QT")
endif()
set(linux_resources ${PROJECT_SOURCE_DIR}/resources/linux)

install(FILES ${linux_resources}/pravik.desktop DESTINATION share/applications)
# The type of the list files, which the menu entry opens.
install(FILES ${linux_resources}/pravik-list.xml DESTINATION share/mime/packages RENAME pravik.xml)

set(hicolor ${CMAKE_BINARY_DIR}/icons/hicolor)
add_custom_command(OUTPUT ${hicolor}/scalable/apps/pravik.svg
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${hicolor}
  COMMAND program_icon_writer --hicolor ${hicolor}
  DEPENDS program_icon_writer
  COMMENT "Drawing the program's icon for the desktop")
add_custom_target(pravik_desktop_icons ALL DEPENDS ${hicolor}/scalable/apps/pravik.svg)
install(DIRECTORY ${hicolor} DESTINATION share/icons)

# Compressed as Debian's policy asks (-n: no name or time, so the same page
# gives the same bytes).
find_program(PRAVIK_GZIP gzip REQUIRED)
set(manual ${CMAKE_BINARY_DIR}/man/pravik.1.gz)
add_custom_command(OUTPUT ${manual}
  COMMAND ${CMAKE_COMMAND} -E copy ${linux_resources}/pravik.1 ${CMAKE_BINARY_DIR}/man/pravik.1
  COMMAND ${PRAVIK_GZIP} -9nf ${CMAKE_BINARY_DIR}/man/pravik.1
  DEPENDS ${linux_resources}/pravik.1
  VERBATIM)
add_custom_target(pravik_manual ALL DEPENDS ${manual})
install(FILES ${manual} DESTINATION share/man/man1)

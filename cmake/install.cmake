# The installed program is one folder, laid out as bin/ in the build tree: the editor keeps its
# settings in Data/ and its screenshots in Saves/Screenshots beside its own executable, and opens
# help/ from its working folder. So everything goes straight under the prefix, no bin/ or share/.
# icons/hicolor (from resources/) holds the program icon for a desktop entry. The start-up probe
# stays behind: it is a measuring tool for developers.
install(TARGETS kelmira RUNTIME DESTINATION .)
if(TARGET kelmira-render)
  install(TARGETS kelmira-render RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION help)
# Empty at install time; the editor fills them. Never copied from bin/, which may hold a
# developer's own settings and screenshots.
install(DIRECTORY DESTINATION Data)
install(DIRECTORY DESTINATION Saves/Screenshots)
# Qt's own texts in Russian (the file, colour and message dialogs), in the folder the program
# looks in first: the folder then speaks Russian on a machine without Qt's translations.
set(KELMIRA_QT_RU "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_ru.qm")
if(EXISTS "${KELMIRA_QT_RU}")
  install(FILES "${KELMIRA_QT_RU}" DESTINATION translations)
else()
  message(WARNING "${KELMIRA_QT_RU} is missing (Debian: qt6-translations-l10n); the installed "
                  "program shows Qt's dialogs in Russian only where the system has it")
endif()

# A portable archive of the same folder: unpack it anywhere writable and start ./kelmira.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Kelmira)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Kelmira-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kelmira: a 3D layout editor for printed circuit boards")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

# The Windows installer, made by `cpack` in the cross build folder with makensis (Debian's nsis).
# Included from the top-level CMakeLists.txt on Windows only, before include(CPack).

# The side files are looked for beside the program, so the examples go to a folder of their own,
# where they change nothing until copied.
install(FILES examples/Dorclic.txt examples/ferin.ini examples/README.txt DESTINATION examples)

# The values below are NSIS code: written to CPackConfig.cmake as they stand, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGING_INSTALL_PREFIX "")
set(CPACK_PACKAGE_INSTALL_DIRECTORY PARVEX)
# The same key for every version, so a newer installer finds and removes the one before.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PARVEX)
set(CPACK_NSIS_PACKAGE_NAME "PARVEX")
set(CPACK_NSIS_DISPLAY_NAME "PARVEX ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer: it runs where the 64-bit programs it carries run, also under a 64-bit-only Wine.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The programs are linked statically with their symbols; the installed copies need none.
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")

# The window (win/ installs it to bin): its Start menu entry, its icon in the list of installed
# programs, and *.SRL opens in it. The installer and the uninstaller wear the window's icon.
if(TARGET parvex)
  set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/win/parvex.ico")
  set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/win/parvex.ico")
  set(CPACK_PACKAGE_EXECUTABLES parvex "PARVEX")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\parvex.exe")
  # *.SRL opens in the window. The class keys go under SHCTX\Software\Classes (HKCR is the merged view
  # of HKLM's and HKCU's): the machine's for an administrator's install, the user's otherwise.
  # Uninstalling leaves .SRL alone when another program has taken it over since.
  set(parvex_progid "PARVEX.Image")
  set(parvex_classes "Software\\Classes")
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
    WriteRegStr SHCTX \"${parvex_classes}\\.SRL\" \"\" \"${parvex_progid}\"
    WriteRegStr SHCTX \"${parvex_classes}\\${parvex_progid}\" \"\" \"ZR master ROM image\"
    WriteRegStr SHCTX \"${parvex_classes}\\${parvex_progid}\\DefaultIcon\" \"\" \"$INSTDIR\\bin\\parvex.exe,0\"
    WriteRegStr SHCTX \"${parvex_classes}\\${parvex_progid}\\shell\\open\\command\" \"\" '\"$INSTDIR\\bin\\parvex.exe\" \"%1\"'
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
    ReadRegStr $0 SHCTX \"${parvex_classes}\\.SRL\" \"\"
    StrCmp $0 \"${parvex_progid}\" 0 +2
      DeleteRegKey SHCTX \"${parvex_classes}\\.SRL\"
    DeleteRegKey SHCTX \"${parvex_classes}\\${parvex_progid}\"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ")
endif()

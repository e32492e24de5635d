# Writes the files that name the installed game, its world and the version (the menu entry and
# the manual pages) from their templates in packaging/, for one install prefix. The build
# includes it at configure time, for the checks in the build folder, and the install runs it
# again with the prefix of that install (`cmake --install --prefix` may pick another one).
#
# In: VANTORA_PREFIX, VANTORA_TEMPLATES (folder), VANTORA_OUTPUT (folder), PROJECT_VERSION,
#     VANTORA_APP_ID, VANTORA_INSTALL_GAMEDIR and VANTORA_INSTALL_WORLDDIR (relative to the
#     prefix, or absolute).

foreach(dir GAMEDIR WORLDDIR)
  if(IS_ABSOLUTE "${VANTORA_INSTALL_${dir}}")
    set(full "${VANTORA_INSTALL_${dir}}")
  else()
    set(full "${VANTORA_PREFIX}/${VANTORA_INSTALL_${dir}}")
  endif()
  # The pages and the entry show the plain path: /usr/games, not /usr/./games.
  cmake_path(SET full NORMALIZE "${full}")
  set(VANTORA_${dir} "${full}")
endforeach()
set(VANTORA_GAME "${VANTORA_GAMEDIR}/vantora")

foreach(name vantora.6 vantora-check.1 vantora-worldgen.1)
  configure_file("${VANTORA_TEMPLATES}/${name}" "${VANTORA_OUTPUT}/${name}" @ONLY)
endforeach()
configure_file("${VANTORA_TEMPLATES}/vantora.desktop"
               "${VANTORA_OUTPUT}/${VANTORA_APP_ID}.desktop" @ONLY)
configure_file("${VANTORA_TEMPLATES}/vantora.metainfo.xml"
               "${VANTORA_OUTPUT}/${VANTORA_APP_ID}.metainfo.xml" @ONLY)

# Installing beside the game: the desktop entry and the manual page; and the Debian package
# that CPack makes of everything installed (`cpack -G DEB` in the build folder).

# The desktop entry names the installed program and the installed world (its working
# directory, where the game finds its files), so it is written at install time, when the
# prefix is known: `cmake --install --prefix` and CPack each install under their own.
install(CODE "
  set(VANTORA_BIN_DIR \"\${CMAKE_INSTALL_PREFIX}/bin\")
  set(VANTORA_WORLD_DIR \"\${CMAKE_INSTALL_PREFIX}/share/vantora/world\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/vantora.desktop\"
                 \"${CMAKE_CURRENT_BINARY_DIR}/packaging/vantora.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/packaging/vantora.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vantora.6 DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The vantora developers")
set(CPACK_PACKAGE_CONTACT "The vantora developers <vantora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 3-D flying game: rescue five people")
set(CPACK_PACKAGE_DESCRIPTION
    "Fly a point-like camera over a landscape built from a text height map, past cubes,\n"
    "pyramids and trees, and rescue the five people who stand on the grass. Keys switch\n"
    "depth test, culling, fog, lighting, wire-frame, textures, normals and an overhead\n"
    "camera. Comes with a world, the world checker vantora-check for map authors and,\n"
    "where built, the world generator vantora-worldgen.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# The staging install runs with DESTDIR and the real prefix, so the desktop entry names
# /usr and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# freeglut, GLU and GL (with the C++ runtime) come from the libraries the programs link,
# where dpkg-shlibdeps can tell them; Mesa's GLX provides a renderer where no other driver
# does. Without dpkg-shlibdeps the same libraries are named by hand.
find_program(VANTORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
set(vantora_mesa "libgl1, libglx-mesa0 | libglx-vendor, libgl1-mesa-dri")
if(VANTORA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${vantora_mesa}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6, libstdc++6, libgcc-s1, libglut3.12 | freeglut3, libglu1-mesa | libglu1, ${vantora_mesa}")
endif()

include(CPack)

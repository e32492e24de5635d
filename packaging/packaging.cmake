# Installing beside the game: the menu entry, the AppStream metadata, the icon and the manual
# pages. The Debian package (debian/) is made of what `cmake --install` puts in place.

# The identifier of the desktop entry, the metadata and the icon. The project owns no domain
# name, so it is reverse-DNS under "invalid", the top-level domain reserved never to exist.
set(VANTORA_APP_ID invalid.vantora.Vantora)

# The icon: a program of ours draws it, as SVG and as PNG at the usual sizes of the hicolor
# theme. Without libpng only the SVG is made.
add_executable(vantora-icon ${CMAKE_CURRENT_LIST_DIR}/icon/icon.cpp)
find_package(PNG)
set(vantora_icon_dir ${CMAKE_CURRENT_BINARY_DIR}/packaging/icons)
set(vantora_icons ${vantora_icon_dir}/scalable/apps/${VANTORA_APP_ID}.svg)
add_custom_command(OUTPUT ${vantora_icon_dir}/scalable/apps/${VANTORA_APP_ID}.svg
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vantora_icon_dir}/scalable/apps
  COMMAND vantora-icon svg ${vantora_icon_dir}/scalable/apps/${VANTORA_APP_ID}.svg
  DEPENDS vantora-icon
  VERBATIM)
if(PNG_FOUND)
  target_compile_definitions(vantora-icon PRIVATE VANTORA_ICON_PNG)
  target_link_libraries(vantora-icon PRIVATE PNG::PNG)
  foreach(size 16 24 32 48 64 128 256)
    set(folder ${vantora_icon_dir}/${size}x${size}/apps)
    add_custom_command(OUTPUT ${folder}/${VANTORA_APP_ID}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND vantora-icon png ${size} ${folder}/${VANTORA_APP_ID}.png
      DEPENDS vantora-icon
      VERBATIM)
    list(APPEND vantora_icons ${folder}/${VANTORA_APP_ID}.png)
  endforeach()
  # The Windows programs' icon, for the cross build (make windows), outside the installed icons.
  set(vantora_ico ${CMAKE_CURRENT_BINARY_DIR}/packaging/windows/vantora.ico)
  add_custom_command(OUTPUT ${vantora_ico}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging/windows
    COMMAND vantora-icon ico ${vantora_ico}
    DEPENDS vantora-icon
    VERBATIM)
  add_custom_target(vantora_ico DEPENDS ${vantora_ico})
else()
  message(STATUS "libpng not found (libpng-dev): the icon is made as SVG only")
endif()
add_custom_target(vantora_icons ALL DEPENDS ${vantora_icons})
install(DIRECTORY ${vantora_icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The menu entry, the metadata and the manual pages, with the paths of the configured prefix,
# in the build folder (packaging/installed/) for the checks and the tests...
set(vantora_configure_args
  VANTORA_TEMPLATES "${CMAKE_CURRENT_LIST_DIR}"
  PROJECT_VERSION "${PROJECT_VERSION}"
  VANTORA_APP_ID "${VANTORA_APP_ID}"
  VANTORA_INSTALL_GAMEDIR "${VANTORA_INSTALL_GAMEDIR}"
  VANTORA_INSTALL_WORLDDIR "${VANTORA_INSTALL_WORLDDIR}")
set(VANTORA_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(VANTORA_OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/packaging/installed")
set(VANTORA_TEMPLATES "${CMAKE_CURRENT_LIST_DIR}")
include(${CMAKE_CURRENT_LIST_DIR}/configure-files.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/vantora.6 ${CMAKE_CURRENT_LIST_DIR}/vantora-check.1
  ${CMAKE_CURRENT_LIST_DIR}/vantora-worldgen.1 ${CMAKE_CURRENT_LIST_DIR}/vantora.desktop
  ${CMAKE_CURRENT_LIST_DIR}/vantora.metainfo.xml)

# ...and again at install time with the prefix of that install.
set(vantora_install_code "")
while(vantora_configure_args)
  list(POP_FRONT vantora_configure_args name value)
  string(APPEND vantora_install_code "set(${name} [==[${value}]==])\n")
endwhile()
set(vantora_install_time ${CMAKE_CURRENT_BINARY_DIR}/packaging/install-time)
install(CODE "${vantora_install_code}
  set(VANTORA_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(VANTORA_OUTPUT [==[${vantora_install_time}]==])
  include([==[${CMAKE_CURRENT_LIST_DIR}/configure-files.cmake]==])")
install(FILES ${vantora_install_time}/vantora.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${vantora_install_time}/vantora-check.1 ${vantora_install_time}/vantora-worldgen.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${vantora_install_time}/${VANTORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${vantora_install_time}/${VANTORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Tests of what this file and the install layout promise; they need neither GoogleTest nor a
# display.
if(BUILD_TESTING)
  set(vantora_packaging_tests ${PROJECT_SOURCE_DIR}/tests/packaging)
  add_test(NAME packaging_version
    COMMAND bash ${vantora_packaging_tests}/version_test.sh ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR}
            ${VANTORA_OUTPUT} $<TARGET_FILE:vantora-check> $<TARGET_FILE:vantora-worldgen>)
  add_test(NAME packaging_worldgen_assets
    COMMAND bash ${vantora_packaging_tests}/worldgen_assets_test.sh
            $<TARGET_FILE:vantora-worldgen> ${CMAKE_INSTALL_FULL_BINDIR}
            ${VANTORA_INSTALL_FULL_WORLDDIR} ${PROJECT_SOURCE_DIR})
  add_test(NAME packaging_icon
    COMMAND bash ${vantora_packaging_tests}/icon_test.sh $<TARGET_FILE:vantora-icon>)
  add_test(NAME packaging_tools_without_gl
    COMMAND bash ${vantora_packaging_tests}/tools_without_gl_test.sh $<TARGET_FILE:vantora-check>
            $<TARGET_FILE:vantora-worldgen> $<TARGET_FILE:vantora>)
  set_tests_properties(packaging_version packaging_worldgen_assets packaging_icon
                       packaging_tools_without_gl
                       PROPERTIES LABELS packaging TIMEOUT 60)
endif()

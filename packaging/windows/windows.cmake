# The Windows build's own parts: each program's resources (icon, manifest, version) and the
# check that no program imports a DLL that Windows itself does not ship. The zip is made by
# scripts/windows-zip.sh from what this builds.

# The icon, drawn by the build machine's vantora-icon (see packaging.cmake); make windows
# builds it first and hands it over.
set(VANTORA_WINDOWS_ICON "" CACHE FILEPATH "The .ico file of the programs (vantora-icon ico)")
if(NOT EXISTS "${VANTORA_WINDOWS_ICON}")
  message(FATAL_ERROR "VANTORA_WINDOWS_ICON must name the icon file: make windows makes it")
endif()

# Gives `target` its resources; `description` is what Explorer shows for the file.
function(vantora_windows_resources target description)
  set(VANTORA_RC_NAME ${target})
  set(VANTORA_RC_DESCRIPTION "${description}")
  set(VANTORA_RC_ICON "${VANTORA_WINDOWS_ICON}")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/resources/${target})
  set(VANTORA_RC_MANIFEST ${dir}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
                 ${VANTORA_RC_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${dir}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set_property(SOURCE ${dir}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
               "${VANTORA_WINDOWS_ICON}" ${VANTORA_RC_MANIFEST})
endfunction()

vantora_windows_resources(vantora "vantora, a small 3-D flying game")
vantora_windows_resources(vantora-check "vantora-check, the world checker for map authors")
vantora_windows_resources(vantora-worldgen "vantora-worldgen, the world generator")

# Every program imports only the DLLs listed in system-dlls.txt, and the tools none of GL's;
# the build fails otherwise.
set(vantora_windows_programs vantora vantora-check vantora-worldgen)
set(vantora_imports_check ${PROJECT_SOURCE_DIR}/packaging/windows/check-imports.sh)
add_custom_target(vantora_windows_imports ALL
  COMMAND bash ${vantora_imports_check} ${PROJECT_SOURCE_DIR}/packaging/windows/system-dlls.txt
          $<TARGET_FILE:vantora>
  COMMAND bash ${vantora_imports_check} --no-gl
          ${PROJECT_SOURCE_DIR}/packaging/windows/system-dlls.txt
          $<TARGET_FILE:vantora-check> $<TARGET_FILE:vantora-worldgen>
  DEPENDS ${vantora_windows_programs} ${vantora_imports_check}
          ${PROJECT_SOURCE_DIR}/packaging/windows/system-dlls.txt
  COMMENT "Checking that the programs import only Windows system DLLs"
  VERBATIM)

# What a Winamp user downloads, built from the two builds' DLLs:
#   dist/<arch>/: the two DLLs as shipped (without their debugging
#        information; the build's own copies in bin/ keep it);
#   dist/vandrel-<version>-<arch>.zip: the two DLLs and a short guide;
#   x86: dist/vandrel-<version>-setup.exe (NSIS), carrying both pairs: it
#        installs the one that fits the player it finds;
#   x64: the target test_setup, bin/vandrel-setup-x64.exe: the same installer
#        as a 64-bit program, which the end-to-end tests run under Wine.
# The setup takes the other architecture's pair from dist/<other>/, so that
# build must have run first (scripts/test.sh builds x64, then x86, then
# test_setup); the x64 one is therefore no part of the default target.
# The version is the project's: the same number the DLLs' version resources
# and WrapperVersion carry.
set(VANDREL_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(bin ${CMAKE_BINARY_DIR}/bin)
set(nsi ${CMAKE_SOURCE_DIR}/installer/vandrel.nsi)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(arch x86)
  set(other x64)
  set(setup ${VANDREL_DIST_DIR}/vandrel-${PROJECT_VERSION}-setup.exe)
else()
  set(arch x64)
  set(other x86)
  set(setup ${bin}/vandrel-setup-x64.exe)
endif()

# What is shipped: the two DLLs without their debugging information.
set(stage ${CMAKE_BINARY_DIR}/release)
set(shipped ${stage}/vandrel.dll ${stage}/gen_vandrel.dll)
set(dist_dlls ${VANDREL_DIST_DIR}/${arch}/vandrel.dll ${VANDREL_DIST_DIR}/${arch}/gen_vandrel.dll)
set(strip_commands)
if(CMAKE_STRIP)
  set(strip_commands COMMAND ${CMAKE_STRIP} --strip-all ${shipped})
endif()
add_custom_command(OUTPUT ${shipped} ${dist_dlls}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vandrel> $<TARGET_FILE:gen_vandrel> ${stage}
  ${strip_commands}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANDREL_DIST_DIR}/${arch}
  COMMAND ${CMAKE_COMMAND} -E copy ${shipped} ${VANDREL_DIST_DIR}/${arch}
  DEPENDS vandrel gen_vandrel $<TARGET_FILE:vandrel> $<TARGET_FILE:gen_vandrel>
  VERBATIM)
add_custom_target(shipped_dlls ALL DEPENDS ${dist_dlls})

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(STATUS "makensis not found (Debian package nsis): no installer target")
  return()
endif()

set(other_dlls ${VANDREL_DIST_DIR}/${other}/vandrel.dll ${VANDREL_DIST_DIR}/${other}/gen_vandrel.dll)
add_custom_command(OUTPUT ${setup}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANDREL_DIST_DIR}
  COMMAND ${MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DARCH=${arch}
          -DBIN_DIR_X86=${VANDREL_DIST_DIR}/x86 -DBIN_DIR_X64=${VANDREL_DIST_DIR}/x64
          -DOUT_FILE=${setup} ${nsi}
  DEPENDS ${nsi} ${dist_dlls} ${other_dlls}
  COMMENT "Building the installer ${setup} (needs the ${other} build's dist/${other}/)"
  VERBATIM)

# The zip holds one folder with the two DLLs and the guide (CRLF, for Notepad).
set(zip_name vandrel-${PROJECT_VERSION}-${arch})
set(zip ${VANDREL_DIST_DIR}/${zip_name}.zip)
set(zip_stage ${CMAKE_BINARY_DIR}/zip)
if(arch STREQUAL "x86")
  set(zip_pair "32-bit pair, for Winamp 5 and WACUP x86")
else()
  set(zip_pair "64-bit pair, for WACUP x64 (a 32-bit player needs the x86 zip)")
endif()
configure_file(${CMAKE_SOURCE_DIR}/installer/README.txt ${zip_stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_stage}/${zip_name}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_stage}/${zip_name} ${VANDREL_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${shipped} ${zip_stage}/README.txt ${zip_stage}/${zip_name}/
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${zip_name}
  WORKING_DIRECTORY ${zip_stage}
  DEPENDS ${shipped} ${zip_stage}/README.txt
  COMMENT "Building ${zip}"
  VERBATIM)

if(arch STREQUAL "x86")
  add_custom_target(release ALL DEPENDS shipped_dlls ${zip} ${setup})
else()
  add_custom_target(release ALL DEPENDS shipped_dlls ${zip})
  add_custom_target(test_setup DEPENDS ${setup})
endif()
if(TARGET e2e_installer_test)
  add_dependencies(e2e_installer_test release)
  target_link_libraries(e2e_installer_test PRIVATE version)  # GetFileVersionInfo
endif()

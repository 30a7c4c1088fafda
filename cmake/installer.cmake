# What a Winamp user downloads, built from this build's two DLLs:
#   dist/<arch>/: the two DLLs as shipped (without their debugging
#        information; the build's own copies in bin/ keep it);
#   x86: dist/vandrel-<version>-setup.exe (NSIS, for 32-bit Winamp) and
#        dist/vandrel-<version>-x86.zip (the two DLLs and a short guide);
#   x64: bin/vandrel-setup-x64.exe, the same installer for 64-bit hosts; the
#        end-to-end tests run it under Wine.
# The version is the project's: the same number the DLLs' version resources
# and WrapperVersion carry.
set(VANDREL_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(bin ${CMAKE_BINARY_DIR}/bin)
set(nsi ${CMAKE_SOURCE_DIR}/installer/vandrel.nsi)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(arch x86)
  set(setup ${VANDREL_DIST_DIR}/vandrel-${PROJECT_VERSION}-setup.exe)
else()
  set(arch x64)
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

add_custom_command(OUTPUT ${setup}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VANDREL_DIST_DIR}
  COMMAND ${MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DARCH=${arch} -DBIN_DIR=${stage}
          -DOUT_FILE=${setup} ${nsi}
  DEPENDS ${nsi} ${shipped}
  COMMENT "Building the installer ${setup}"
  VERBATIM)
set(release_outputs ${setup})

if(arch STREQUAL "x86")
  # The zip holds one folder with the two DLLs and the guide (CRLF, for Notepad).
  set(zip_name vandrel-${PROJECT_VERSION}-x86)
  set(zip ${VANDREL_DIST_DIR}/${zip_name}.zip)
  set(zip_stage ${CMAKE_BINARY_DIR}/zip)
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
  list(APPEND release_outputs ${zip})
endif()

add_custom_target(release ALL DEPENDS shipped_dlls ${release_outputs})
if(TARGET e2e_installer_test)
  add_dependencies(e2e_installer_test release)
  target_link_libraries(e2e_installer_test PRIVATE version)  # GetFileVersionInfo
endif()

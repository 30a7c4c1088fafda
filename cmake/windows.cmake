# MinGW build: the two DLLs; with VANDREL_TESTS, the stand-in Winamp and the
# Windows test programs that ctest runs under Wine.
option(VANDREL_TESTS "Build the stand-in Winamp and the Windows tests" ON)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND STATIC_RUNTIME -Wl,--enable-stdcall-fixup)
endif()
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

file(GLOB WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(vandrel_win32 STATIC ${WIN32_PLATFORM_SOURCES})
target_link_libraries(vandrel_win32 PUBLIC vandrel_logic user32 gdi32 kernel32 ole32 oleaut32 uuid comctl32 shell32 shlwapi advapi32)

# vandrel.dll: the plug-in, an in-process COM server.
file(GLOB COM_SOURCES CONFIGURE_DEPENDS src/com/*.cpp src/com/*.rc)
add_library(vandrel SHARED ${COM_SOURCES} src/com/vandrel.def)
set_target_properties(vandrel PROPERTIES PREFIX "" OUTPUT_NAME vandrel)
target_link_libraries(vandrel PRIVATE vandrel_win32)
target_link_options(vandrel PRIVATE ${STATIC_RUNTIME})

# gen_vandrel.dll: the Winamp general-purpose plug-in that drives it.
file(GLOB WRAPPER_SOURCES CONFIGURE_DEPENDS wrapper/*.cpp wrapper/*.rc)
add_library(gen_vandrel SHARED ${WRAPPER_SOURCES} wrapper/gen_vandrel.def)
set_target_properties(gen_vandrel PROPERTIES PREFIX "" OUTPUT_NAME gen_vandrel)
target_include_directories(gen_vandrel PRIVATE src ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(gen_vandrel PRIVATE user32 kernel32 ole32 oleaut32 uuid)
target_link_options(gen_vandrel PRIVATE ${STATIC_RUNTIME})

if(VANDREL_TESTS)
  include(cmake/windows-tests.cmake)
endif()

# The installer and the zip (cmake/installer.cmake).
include(cmake/installer.cmake)

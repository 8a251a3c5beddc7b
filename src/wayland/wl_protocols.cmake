# The Wayland protocol code of the wlroots adapter: wayland-scanner turns each protocol's XML
# into a client header and its interface tables, in the build folder. The wlroots protocols
# come from third_party/, the others from the system's wayland-protocols package.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT WAYLAND_PROTOCOLS_DIR OR NOT WAYLAND_SCANNER)
    message(FATAL_ERROR "the Wayland adapter needs wayland-protocols and wayland-scanner "
                        "(scripts/install-deps.sh installs them)")
endif()

set(HALOMARK_WL_PROTOCOL_DIR ${CMAKE_CURRENT_BINARY_DIR}/protocols)
file(MAKE_DIRECTORY ${HALOMARK_WL_PROTOCOL_DIR})
set(HALOMARK_WL_PROTOCOL_SOURCES)
set(HALOMARK_WL_PROTOCOL_HEADERS)
foreach(xml
        ${PROJECT_SOURCE_DIR}/third_party/wlr-protocols/wlr-layer-shell-unstable-v1.xml
        ${PROJECT_SOURCE_DIR}/third_party/wlr-protocols/wlr-virtual-pointer-unstable-v1.xml
        ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
        ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
        ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml)
    get_filename_component(name ${xml} NAME_WE)
    set(header ${HALOMARK_WL_PROTOCOL_DIR}/${name}-client-protocol.h)
    set(code ${HALOMARK_WL_PROTOCOL_DIR}/${name}-protocol.c)
    add_custom_command(OUTPUT ${header}
        COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
        DEPENDS ${xml} VERBATIM)
    add_custom_command(OUTPUT ${code}
        COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
        DEPENDS ${xml} VERBATIM)
    list(APPEND HALOMARK_WL_PROTOCOL_HEADERS ${header})
    list(APPEND HALOMARK_WL_PROTOCOL_SOURCES ${code})
endforeach()

# The generated C is the scanner's, not ours: it is built without the project's warnings.
enable_language(C)
add_library(halomark_wayland_protocols STATIC
    ${HALOMARK_WL_PROTOCOL_SOURCES} ${HALOMARK_WL_PROTOCOL_HEADERS})
target_include_directories(halomark_wayland_protocols PUBLIC ${HALOMARK_WL_PROTOCOL_DIR})
target_link_libraries(halomark_wayland_protocols PUBLIC PkgConfig::WAYLAND_CLIENT)

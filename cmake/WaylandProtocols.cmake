# spanwell_wayland_protocols(LIBRARY XML...): a static library of the C client code that
# wayland-scanner makes from Wayland protocols' XML; whatever links it includes each protocol
# as "NAME-client-protocol.h".
# The scanner writes C.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
    message(FATAL_ERROR "wayland-scanner and wayland-protocols are needed (scripts/setup)")
endif()

function(spanwell_wayland_protocols library)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${library})
    set(sources)
    foreach(xml ${ARGN})
        get_filename_component(name ${xml} NAME_WE)
        set(header ${folder}/${name}-client-protocol.h)
        set(code ${folder}/${name}-protocol.c)
        add_custom_command(OUTPUT ${header} ${code}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
            COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
            DEPENDS ${xml} VERBATIM)
        list(APPEND sources ${header} ${code})
    endforeach()
    add_library(${library} STATIC ${sources})
    target_include_directories(${library} PUBLIC ${folder})
    target_link_libraries(${library} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()

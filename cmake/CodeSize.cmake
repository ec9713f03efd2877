# The tray program runs all day and its code is resident as long as it runs, but little of it is
# ever hot: built for size, its module and executable hold a third less code (bench-footprint's
# tray memory fell by 0.6 MB). Functions and data sit in sections of their own, so that the linker
# drops those nothing calls. Debug builds keep their own optimisation.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-Os> -ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
# Relative relocations packed into a bitmap: the module's table of them shrinks from 36 KiB to a
# few hundred bytes, which the loader reads and the process maps at every start.
add_link_options(-Wl,-z,pack-relative-relocs)

# The functions that the tray program and the panel picture run, placed together at the start of
# the target's code by a linker script that scripts/order-functions writes: the kernel maps code
# 64 KiB at a time around each page first run, and spread among the rest they kept nearly all of
# it resident (the tray program held 0.3 MB less with them together). Valgrind's tools cannot name
# the functions placed so: turn the option off for a build to run under them, as the script does.
option(SPANWELL_ORDER_FUNCTIONS "Place the functions the tray program runs together" ON)
function(spanwell_order_functions target listing)
    if(NOT SPANWELL_ORDER_FUNCTIONS)
        return()
    endif()
    set(script ${PROJECT_SOURCE_DIR}/cmake/FunctionOrder/${listing}.ld)
    target_link_options(${target} PRIVATE -Wl,-T,${script})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()

# The tray program runs all day and its code is resident as long as it runs, but little of it is
# ever hot: built for size, its module and executable hold a third less code (bench-footprint's
# tray memory fell by 0.6 MB). Functions and data sit in sections of their own, so that the linker
# drops those nothing calls. Debug builds keep their own optimisation.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-Os> -ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

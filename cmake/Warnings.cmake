# Warnings on for every target of the project; a warning is a defect to fix, not to silence.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
                    -Wformat=2 -Wnull-dereference)
option(MURANO_WERROR "Treat warnings as errors" ON)
if(MURANO_WERROR)
    add_compile_options(-Werror)
endif()

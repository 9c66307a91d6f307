# Warnings for our own targets: call zentu_set_warnings(target) after creating it.
function(zentu_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
endfunction()

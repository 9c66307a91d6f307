# Warnings for our own targets: call zentu_set_warnings(target) after creating it.
function(zentu_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
    # g++ 12 reports std::string copies in optimised builds as overlapping or uninitialised (GCC bugs 105329 and
    # 105562); these two warnings say nothing about our code there.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict -Wno-maybe-uninitialized)
    endif()
endfunction()

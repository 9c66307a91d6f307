# GoogleTest: the installed package for a native build; for a cross build, its sources as Debian ships them in
# libgtest-dev, built with the cross compiler.
set(ZENTU_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources for a cross build")
macro(zentu_find_googletest)
    if(CMAKE_CROSSCOMPILING)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE) # GoogleTest uses Windows' own threads there
        add_subdirectory(${ZENTU_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL) # GTest::gtest ...
    else()
        find_package(GTest REQUIRED)
    endif()
endmacro()

# A path of the build folder as the tests see it: as it is, or under Wine through the drive Z: that shows the
# whole Linux file system.
function(zentu_test_path variable path)
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        set(${variable} "Z:${path}" PARENT_SCOPE)
    else()
        set(${variable} "${path}" PARENT_SCOPE)
    endif()
endfunction()

# Registers a GoogleTest executable with CTest.
#   zentu_add_gtest(NAME name SOURCES ... LIBS ... [LABEL label])
function(zentu_add_gtest)
    cmake_parse_arguments(ARG "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    zentu_set_warnings(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main zentu::testsupport)
    set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    if(NOT ARG_LABEL)
        set(ARG_LABEL core)
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS ${ARG_LABEL}
        ENVIRONMENT "ZENTU_BIN_DIR=${ZENTU_BIN_DIR};QT_QPA_PLATFORM=offscreen")
endfunction()

# Registers a Qt Test executable (windows, on the offscreen platform) with CTest.
#   zentu_add_qtest(NAME name SOURCES ... LIBS ...)
function(zentu_add_qtest)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    zentu_set_warnings(${ARG_NAME})
    set_target_properties(${ARG_NAME} PROPERTIES AUTOMOC ON RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} Qt6::Test zentu::testsupport)
    if(WIN32)
        # Wine does not hand variables named QT_... to Windows programs: the platform is named on the command line.
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} -platform offscreen)
    else()
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS gui
        ENVIRONMENT "ZENTU_BIN_DIR=${ZENTU_BIN_DIR};QT_QPA_PLATFORM=offscreen")
endfunction()

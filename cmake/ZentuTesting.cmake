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
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS gui
        ENVIRONMENT "ZENTU_BIN_DIR=${ZENTU_BIN_DIR};QT_QPA_PLATFORM=offscreen")
endfunction()

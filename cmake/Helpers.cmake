# Adds every subfolder of the current source folder that has a CMakeLists.txt, so a new part of the
# system joins the build without anyone editing its parent.
function(murano_add_subfolders)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# A GoogleTest program registered with CTest; its binary stays out of the shipping folder.
function(murano_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MURANO_TEST_BIN_DIR})
    target_compile_definitions(${name} PRIVATE MURANO_BIN_DIR="${MURANO_BIN_DIR}"
                                               MURANO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A Qt Test program (widgets, run offscreen) registered with CTest.
function(murano_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON
                                             RUNTIME_OUTPUT_DIRECTORY ${MURANO_TEST_BIN_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_compile_definitions(${name} PRIVATE MURANO_BIN_DIR="${MURANO_BIN_DIR}"
                                               MURANO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
                         "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1")
endfunction()

# Generates a presentation of SLIDES numbered slides (4:3, or 16:9 with WIDE) in DIR/NAME.<format>
# for each of FORMATS, through a flat ODF text file that the office suite converts. Adds the files
# to the target TARGET, which is built with everything.
find_program(MURANO_SOFFICE soffice REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(murano_make_deck target)
    cmake_parse_arguments(ARG "WIDE" "NAME;DIR;SLIDES" "FORMATS" ${ARGN})
    set(fodp ${ARG_DIR}/${ARG_NAME}.fodp)
    set(wide "")
    if(ARG_WIDE)
        set(wide --wide)
    endif()
    set(outputs)
    set(commands)
    foreach(format ${ARG_FORMATS})
        list(APPEND outputs ${ARG_DIR}/${ARG_NAME}.${format})
        list(APPEND commands COMMAND ${MURANO_SOFFICE}
             -env:UserInstallation=file://${CMAKE_CURRENT_BINARY_DIR}/profile-${ARG_NAME}
             --headless --norestore --convert-to ${format} --outdir ${ARG_DIR} ${fodp})
    endforeach()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ARG_DIR}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/samples/make-deck.py ${fodp}
                --slides ${ARG_SLIDES} ${wide}
        ${commands}
        DEPENDS ${CMAKE_SOURCE_DIR}/samples/make-deck.py
        COMMENT "Generating presentation ${ARG_NAME}"
        VERBATIM)
    target_sources(${target} PRIVATE ${outputs})
endfunction()

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

# Every test carries at least one kind label, so that one kind runs alone (`ctest -L unit`):
#   unit     needs no office suite, no browser and no service; the whole kind runs in a minute
#   office   drives the real office suite (through lantrel, korrind.so or the office layer)
#   browser  plays pages in a real browser engine (headless Chromium, Qt WebEngine)
#   service  talks to a real service over HTTP on 127.0.0.1
#   gui      shows widgets (Qt Test, offscreen)
# and `slow` besides for a test that takes half a minute or more. A folder names the labels of its tests once,
# with murano_test_labels(); a test registered with murano_gtest or murano_qtest may name its own
# with LABELS. Without either, GoogleTest programs are unit tests and Qt Test programs gui tests.
# tests/labels checks that no test is left without a kind.
set(MURANO_TEST_KINDS unit office browser service gui)

# The labels of the tests in this folder and the folders below it, for the tests that name none.
macro(murano_test_labels)
    set(MURANO_TEST_LABELS ${ARGN})
    murano_label_tests_at_folder_end()
endmacro()

# At the end of the current folder, gives every test of the folder that has no kind label the
# folder's labels, and stops the configuration at a test that then still has none.
function(murano_label_tests_at_folder_end)
    get_directory_property(scheduled MURANO_TEST_LABELS_SCHEDULED)
    if(NOT scheduled)
        set_directory_properties(PROPERTIES MURANO_TEST_LABELS_SCHEDULED TRUE)
        cmake_language(DEFER CALL murano_label_folder_tests)
    endif()
endfunction()

function(murano_has_kind labels result)
    set(found FALSE)
    foreach(kind ${MURANO_TEST_KINDS})
        if(kind IN_LIST labels)
            set(found TRUE)
        endif()
    endforeach()
    set(${result} ${found} PARENT_SCOPE)
endfunction()

function(murano_label_folder_tests)
    get_directory_property(tests TESTS)
    foreach(test ${tests})
        get_test_property(${test} LABELS labels)
        if(NOT labels)
            set(labels "")
        endif()
        murano_has_kind("${labels}" kind)
        if(NOT kind AND NOT MURANO_TEST_LABELS)
            string(REPLACE ";" ", " kinds "${MURANO_TEST_KINDS}")
            message(FATAL_ERROR "Test ${test} has no kind label (${kinds}): give its folder "
                                "murano_test_labels() or the test LABELS")
        endif()
        if(NOT kind)
            list(APPEND labels ${MURANO_TEST_LABELS})
            set_tests_properties(${test} PROPERTIES LABELS "${labels}")
        endif()
    endforeach()
endfunction()

# The labels of a test registered by a helper: its own, else its folder's, else the fallback.
function(murano_labels_for result own fallback)
    if(own)
        set(labels ${own})
    elseif(MURANO_TEST_LABELS)
        set(labels ${MURANO_TEST_LABELS})
    else()
        set(labels ${fallback})
    endif()
    murano_has_kind("${labels}" kind)
    if(NOT kind)
        string(REPLACE ";" ", " kinds "${MURANO_TEST_KINDS}")
        message(FATAL_ERROR "Labels '${labels}' name no kind of test (${kinds})")
    endif()
    set(${result} ${labels} PARENT_SCOPE)
endfunction()

# A GoogleTest program registered with CTest; its binary stays out of the shipping folder. Each
# CASES item, "labels=filter" (labels separated by commas, a gtest filter such as
# "LantrelStop.*:*Office*"), labels the cases it selects; the other cases take LABELS.
function(murano_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;CASES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MURANO_TEST_BIN_DIR})
    target_compile_definitions(${name} PRIVATE MURANO_BIN_DIR="${MURANO_BIN_DIR}"
                                               MURANO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    murano_labels_for(labels "${ARG_LABELS}" unit)
    set(others "")
    set(part 0)
    foreach(item ${ARG_CASES})
        string(REGEX MATCH "^([^=]+)=(.+)$" matched "${item}")
        if(NOT matched)
            message(FATAL_ERROR "${name}: CASES item '${item}' is not labels=filter")
        endif()
        string(REPLACE "," ";" case_labels "${CMAKE_MATCH_1}")
        set(filter "${CMAKE_MATCH_2}")
        murano_labels_for(case_labels "${case_labels}" "")
        math(EXPR part "${part} + 1")
        murano_discover_gtests(${name} ${part} "${case_labels}" "${filter}")
        string(APPEND others ":${filter}")
    endforeach()
    if(others)
        string(SUBSTRING "${others}" 1 -1 others)
        set(others "-${others}")
    endif()
    murano_discover_gtests(${name} 0 "${labels}" "${others}")
    murano_label_tests_at_folder_end()
endfunction()

# Registers the cases of a GoogleTest program that FILTER selects (all when empty) with LABELS.
# The labels are set by a CTest include file run after the discovery's own, since the discovery
# passes its properties on one value at a time.
function(murano_discover_gtests name part labels filter)
    set(filter_option "")
    if(filter)
        set(filter_option TEST_FILTER "${filter}")
    endif()
    set(cases ${name}_cases_${part})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${filter_option} TEST_LIST ${cases}
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${cases}_labels.cmake)
    file(WRITE ${script} "if(${cases})\n"
                         "    set_tests_properties(\${${cases}} PROPERTIES LABELS \"${labels}\")\n"
                         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# A Qt Test program (widgets, run offscreen) registered with CTest.
function(murano_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON
                                             RUNTIME_OUTPUT_DIRECTORY ${MURANO_TEST_BIN_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_compile_definitions(${name} PRIVATE MURANO_BIN_DIR="${MURANO_BIN_DIR}"
                                               MURANO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    murano_labels_for(labels "${ARG_LABELS}" gui)
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" ENVIRONMENT
                         "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1")
    murano_label_tests_at_folder_end()
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

# PROGRAM.1 (or PROGRAM.SECTION, when a section follows) in MURANO_MAN_DIR, written at build time by
# GENERATOR (a tool target that takes the output path), so that the manual page always lists the
# options the program was built with.
function(murano_manual_page program generator)
    set(section 1)
    if(ARGC GREATER 2)
        set(section ${ARGV2})
    endif()
    set(page ${MURANO_MAN_DIR}/${program}.${section})
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MURANO_MAN_DIR}
        COMMAND ${generator} ${page}
        DEPENDS ${generator}
        COMMENT "Writing the manual page ${program}.${section}"
        VERBATIM)
    add_custom_target(${program}_manual_page ALL DEPENDS ${page})
endfunction()

# The ZIP reader's sources, shared by the library below and by the Windows build of the book stub.
set(MURANO_ZIPREAD_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/archive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/extract.cpp
    ${CMAKE_CURRENT_LIST_DIR}/native_path.cpp)

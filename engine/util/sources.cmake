target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Base64.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ByteCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CivilDate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColorTint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodePageTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImageType.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MarkupText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Utf8.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ByteCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Text.cpp)

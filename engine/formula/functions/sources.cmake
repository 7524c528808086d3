target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../Value.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextUnits.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ReadWorkbook.cpp)

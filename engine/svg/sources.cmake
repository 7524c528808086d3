target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FontFamily.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SvgWriter.cpp)

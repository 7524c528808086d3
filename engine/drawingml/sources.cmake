target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ChartPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingCharts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingShapes.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ChartPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingColor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingObjects.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingShapes.cpp)

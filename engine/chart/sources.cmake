target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AxisScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Cartesian.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartSources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartSvg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Pie.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SvgCanvas.cpp)

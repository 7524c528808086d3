target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CellSizes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AnchorBox.cpp
)

target_sources(engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ErrorNames.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/Sheet.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/SheetSpans.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/Workbook.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ChartPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Colors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommentsPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConditionalFormats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingCharts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Relationships.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextCollector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SharedStrings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StylesPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThemePart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkbookPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorksheetPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlValues.cpp)

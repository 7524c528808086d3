target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CellMetadata.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommentsPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConditionalFormats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Fills.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextCollector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichValueErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SharedStrings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SparklineGroups.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StylesPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkbookPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorksheetPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.cpp)

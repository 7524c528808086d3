target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ConditionalFormats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContinuedRecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Drawing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FilePass.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Hyperlinks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Notes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetImages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Strings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Styles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkbookStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XlsReader.cpp)

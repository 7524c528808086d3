target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ConditionalLooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartPlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Css.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HtmlText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImageSize.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NoteMarker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Publish.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PublishedFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SafeLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Sink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StyleSheet.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BinaryValues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommentsBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormulaLinksBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MetadataBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordNames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SharedStringsBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StylesBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TablesBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkbookBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorksheetBin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XlsbReader.cpp)

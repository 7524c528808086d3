target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ArrayParameters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Calculator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenDocumentSyntax.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageNote.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Parser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/R1C1Reference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StructuredReference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormulaText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CellFormatCode.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Calculator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenDocumentSyntax.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageNote.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Parser.cpp)
# Until the function library is in the tree, a few stand-in functions keep the engine linking.
if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/functions/sources.cmake)
    target_sources(engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FunctionsStub.cpp)
endif()

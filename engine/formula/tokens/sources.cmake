target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FormulaCells.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FunctionTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NameLinks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TokenDecoder.cpp)

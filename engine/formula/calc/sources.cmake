target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Areas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Calls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Evaluation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Grouping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Lambdas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Operators.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Planning.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Scheduling.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpecialForms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Spill.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WriteBack.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Information.cpp)

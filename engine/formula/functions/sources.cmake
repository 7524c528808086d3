target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../Value.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Args.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Conditional.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Criteria.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dates.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Finance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FunctionTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Logic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Lookup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LookupIndex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Maths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Numeric.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Statistics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextUnits.cpp)

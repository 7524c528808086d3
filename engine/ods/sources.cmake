target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Annotation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CellAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameAnchor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberStyles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OdsReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StyleTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextSpaces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewSettings.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AnchorGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AttributeValues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CellMetadata.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Colors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CoreProperties.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrawingPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Relationships.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SheetKinds.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThemePart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThreadedCommentsPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkbookPackage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlValues.cpp)

target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BlockRc4.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Digest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XorObfuscation.cpp)

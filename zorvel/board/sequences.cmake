# The read and write sequences. Whoever links zorvel_sequences also links the
# dispatch that link.h declares: zorvel_link in the program and the client, a
# test double in the sequence tests.
add_library(zorvel_sequences STATIC ${CMAKE_CURRENT_LIST_DIR}/sequences.cpp)
target_link_libraries(zorvel_sequences PUBLIC zorvel_protocol zorvel_compat)


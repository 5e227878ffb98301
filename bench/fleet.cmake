# The yardstick for zorvelctl's wall times (bench/fleet_wall.py).
add_executable(tcp_min_client ${CMAKE_CURRENT_LIST_DIR}/tcp_min_client.cpp)

// Waits the number of seconds given as the only argument, then ends with status 0 (a process that tests know to
// be running).
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}

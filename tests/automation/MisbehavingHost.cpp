// A stand-in for quillmere-host that misbehaves as the file "mode" beside it says:
// "silent" reads requests and never answers, "die" exits at the first request, "garbage"
// answers with a line that is not JSON.

#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

int main(int, char** argv) {
    std::string self = argv[0];
    std::ifstream modeFile(self.substr(0, self.find_last_of('/') + 1) + "mode");
    std::string mode;
    std::getline(modeFile, mode);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (mode == "die")
            _exit(3);
        if (mode == "garbage")
            std::cout << "this is not json" << std::endl;
        // "silent": say nothing, keep reading.
    }
    if (mode == "silent")
        std::this_thread::sleep_for(std::chrono::hours(1));
    return 0;
}

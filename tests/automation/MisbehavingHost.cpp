// A stand-in for quillmere-host that misbehaves as the file "mode" beside it says:
// "silent" reads requests and never answers, "die" exits at the first request, "garbage"
// answers with a line that is not JSON, and "hang-on MEMBER" answers every call (with an
// object, or "16.0" for Version) until a call of MEMBER, which it never answers.

#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The text after `"key":` in one request line the client wrote, without its quotes.
std::string field(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    const std::size_t at = line.find(marker);
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + marker.size();
    if (begin < line.size() && line[begin] == '"')
        ++begin;
    const std::size_t end = line.find_first_of("\",}", begin);
    return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

} // namespace

int main(int, char** argv) {
    std::string self = argv[0];
    std::ifstream modeFile(self.substr(0, self.find_last_of('/') + 1) + "mode");
    std::string mode;
    std::getline(modeFile, mode);
    const std::string hangPrefix = "hang-on ";
    const bool hangs = mode.rfind(hangPrefix, 0) == 0;
    std::string line;
    bool hung = false;
    while (std::getline(std::cin, line)) {
        if (mode == "die")
            _exit(3);
        if (mode == "garbage")
            std::cout << "this is not json" << std::endl;
        if (hangs && !hung) {
            const std::string member = field(line, "member");
            if (member == mode.substr(hangPrefix.size())) {
                hung = true;
                continue;
            }
            const std::string id = field(line, "id");
            if (member == "Version")
                std::cout << "{\"id\":" << id << ",\"value\":\"16.0\"}" << std::endl;
            else
                std::cout << "{\"id\":" << id << ",\"object\":2}" << std::endl;
        }
        // "silent": say nothing, keep reading.
    }
    if (mode == "silent" || hung)
        std::this_thread::sleep_for(std::chrono::hours(1));
    return 0;
}

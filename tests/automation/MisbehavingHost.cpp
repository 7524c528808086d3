// A stand-in for quillmere-host that misbehaves as the file "mode" beside it says:
// "silent" reads requests and never answers, "die" exits at the first request, "garbage"
// answers with a line that is not JSON, and "hang-on MEMBER" answers every call (with an
// object, or "16.0" for Version) until a call of MEMBER, which it never answers. "script"
// answers the n-th request with the n-th line after it, where ID stands for the request's id
// and <NL> ends a line, and then says nothing.

#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

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

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

int main(int, char** argv) {
    std::string self = argv[0];
    std::ifstream modeFile(self.substr(0, self.find_last_of('/') + 1) + "mode");
    std::string mode;
    std::getline(modeFile, mode);
    const std::string hangPrefix = "hang-on ";
    const bool hangs = mode.rfind(hangPrefix, 0) == 0;
    std::vector<std::string> script;
    for (std::string reply; std::getline(modeFile, reply);)
        script.push_back(reply);
    std::size_t scripted = 0;
    std::string line;
    bool hung = false;
    while (std::getline(std::cin, line)) {
        if (mode == "script" && scripted < script.size()) {
            std::string reply = script[scripted++];
            replaceAll(reply, "ID", field(line, "id"));
            replaceAll(reply, "<NL>", "\n");
            std::cout << reply << std::endl;
        }
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

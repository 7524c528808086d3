// The host's input: whole lines however the pipe delivers them.

#include "host/RequestReader.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Everything `reader` returns until the end of input, with `pieces` written one by one.
std::vector<std::string> linesOf(const std::vector<std::string>& pieces) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        for (const std::string& piece : pieces) {
            std::size_t done = 0;
            while (done < piece.size()) {
                const ssize_t wrote = ::write(ends[1], piece.data() + done, piece.size() - done);
                if (wrote <= 0)
                    break;
                done += static_cast<std::size_t>(wrote);
            }
        }
        ::close(ends[1]);
    });
    host::RequestReader reader(ends[0]);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    writer.join();
    ::close(ends[0]);
    return lines;
}

TEST(RequestReader, LinesSplitOrJoinedByThePipeComeBackWhole) {
    EXPECT_EQ(linesOf({"{\"id\":1}\n{\"id\"", ":2}\n\n{\"id\":3}"}),
              (std::vector<std::string>{"{\"id\":1}", "{\"id\":2}", "", "{\"id\":3}"}));
    EXPECT_TRUE(linesOf({}).empty());
}

TEST(RequestReader, AnOverlongLineComesBackEmptyAndTheNextIsWhole) {
    const std::string overlong(host::RequestReader::maxLineBytes + 100, 'x');
    EXPECT_EQ(linesOf({"a\n", overlong, "\nb\n"}), (std::vector<std::string>{"a", "", "b"}));
    // A line of exactly the bound is still taken.
    const std::string longest(host::RequestReader::maxLineBytes, 'y');
    const auto lines = linesOf({longest + "\nc"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), longest.size());
    EXPECT_EQ(lines[1], "c");
}

} // namespace

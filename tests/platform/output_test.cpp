#include "platform/output.h"

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/captured_output.h"

namespace zoral::platform {
namespace {

using ::testing::ElementsAre;

TEST(Output, CaptureCollectsLinesInOrderAndNestsInnermostFirst) {
    testing::ScopedOutputCapture outer;
    output::printLine("first");
    {
        testing::ScopedOutputCapture inner;
        output::printLine("inner");
        EXPECT_THAT(inner.lines(), ElementsAre("inner"));
        EXPECT_EQ(inner.text(), "inner\n");
    }
    output::printLine("");
    output::printLine("last");
    EXPECT_THAT(outer.lines(), ElementsAre("first", "", "last"));
    outer.clear();
    EXPECT_TRUE(outer.lines().empty());
}

TEST(Output, SetSinkReturnsTheSinkItReplaces) {
    std::vector<std::string> a;
    std::vector<std::string> b;
    testing::ScopedOutputCapture restoreAfterwards;
    output::setSink([&a](std::string_view line) { a.emplace_back(line); });
    output::printLine("to a");
    auto previous = output::setSink([&b](std::string_view line) { b.emplace_back(line); });
    output::printLine("to b");
    previous("through the returned sink");
    EXPECT_THAT(a, ElementsAre("to a", "through the returned sink"));
    EXPECT_THAT(b, ElementsAre("to b"));
}

// Points standard output at a file for the life of the object.
class StandardOutputToFile {
public:
    StandardOutputToFile() : file_(std::tmpfile()) {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        ::dup2(::fileno(file_), STDOUT_FILENO);
    }
    ~StandardOutputToFile() {
        restore();
        std::fclose(file_);
    }
    std::string contents() {
        restore();
        std::string text;
        std::rewind(file_);
        for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }

private:
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            ::dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }
    std::FILE* file_;
    int saved_ = -1;
};

TEST(Output, EmptySinkRestoresStandardOutputWithOneLineFeedPerLine) {
    testing::ScopedOutputCapture capture;
    StandardOutputToFile redirected;
    output::setSink({});
    output::printLine("Screens: re-initialized");
    output::printLine("");
    EXPECT_EQ(redirected.contents(), "Screens: re-initialized\n\n");
    EXPECT_TRUE(capture.lines().empty());
}

TEST(Output, LinesFromManyThreadsNeverMix) {
    // The sink writes one character at a time and yields in between, so that lines would mix if
    // printLine let two threads into the sink at once.
    std::string written;
    testing::ScopedOutputCapture restoreAfterwards;
    output::setSink([&written](std::string_view line) {
        for (char c : line) {
            written.push_back(c);
            std::this_thread::yield();
        }
        written.push_back('\n');
    });

    constexpr int threadCount = 8;
    constexpr int linesPerThread = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < linesPerThread; ++i) {
                output::printLine("thread " + std::to_string(t) + " line " + std::to_string(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    std::vector<int> nextLine(threadCount, 0);
    std::size_t start = 0;
    int lineCount = 0;
    while (start < written.size()) {
        const auto end = written.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        const auto line = written.substr(start, end - start);
        int t = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < threadCount) << line;
        const auto expected = "thread " + std::to_string(t) + " line " + std::to_string(i);
        ASSERT_EQ(line, expected);
        // Each thread's lines arrive in the order it printed them.
        ASSERT_EQ(i, nextLine[static_cast<std::size_t>(t)]++) << line;
        start = end + 1;
        ++lineCount;
    }
    EXPECT_EQ(lineCount, threadCount * linesPerThread);
}

}  // namespace
}  // namespace zoral::platform

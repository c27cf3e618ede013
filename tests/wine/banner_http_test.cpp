// The banner's WinINet client against servers that answer well and badly:
// every failure must come back as false within the fetch's time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "banner/HttpWin32.h"
#include "banner_test_server.h"

namespace {

using banner_test::HttpReply;
using banner_test::Ok;
using banner_test::Response;
using banner_test::TestServer;
using Clock = std::chrono::steady_clock;

constexpr banner::FetchLimits kLimits{1000, 1500};

class HttpTest : public testing::Test {
  protected:
    TestServer server;
    banner::HttpWin32 http;
    std::string body = "untouched";
    long long lastMs = 0;

    bool Get(const std::string& path, banner::FetchLimits limits = kLimits) {
        const auto start = Clock::now();
        const bool ok = http.Get(server.Url(path), limits, &body);
        lastMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        return ok;
    }
};

TEST_F(HttpTest, WholeBodyByteForByte) {
    const std::string bytes("GIF89a\0\x01\r\n\x1a\xff end", 17);
    server.On("/b.gif", Ok(bytes, "image/gif"));
    server.On("/d.php", Ok("A\nB\r\nC"));
    ASSERT_TRUE(Get("/b.gif"));
    EXPECT_EQ(body, bytes);
    ASSERT_TRUE(Get("/d.php"));
    EXPECT_EQ(body, "A\nB\r\nC");
}

TEST_F(HttpTest, BodyWithoutLengthEndsWithTheConnection) {
    server.On("/x", Response{HttpReply(200, "closed-delimited", "text/plain", false)});
    ASSERT_TRUE(Get("/x"));
    EXPECT_EQ(body, "closed-delimited");
}

TEST_F(HttpTest, EveryStartFetchesAnew) {
    server.On("/d.php", Ok("first"));
    ASSERT_TRUE(Get("/d.php"));
    server.On("/d.php", Ok("second"));
    ASSERT_TRUE(Get("/d.php"));
    EXPECT_EQ(body, "second");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(HttpTest, ErrorStatusIsAFailedFetch) {
    server.On("/gone", Response{HttpReply(404, "<html>Not Found</html>", "text/html")});
    server.On("/oops", Response{HttpReply(500, "<html>Oops</html>", "text/html")});
    EXPECT_FALSE(Get("/gone"));
    EXPECT_FALSE(Get("/oops"));
}

TEST_F(HttpTest, TruncatedBodyIsAFailedFetch) {
    Response r = Ok(std::string(800, 'x'));
    r.closeAfter = r.bytes.size() - 300;
    server.On("/cut", r);
    EXPECT_FALSE(Get("/cut"));
}

TEST_F(HttpTest, SizeCapHoldsWithAndWithoutAnnouncedLength) {
    server.On("/exact", Ok(std::string(1000, 'x')));
    server.On("/over", Ok(std::string(1001, 'x')));
    server.On("/huge", Ok(std::string(4 << 20, 'x')));
    server.On("/unannounced",
              Response{HttpReply(200, std::string(5000, 'x'), "text/plain", false)});
    EXPECT_TRUE(Get("/exact"));
    EXPECT_EQ(body.size(), 1000u);
    EXPECT_FALSE(Get("/over"));
    EXPECT_FALSE(Get("/huge"));
    EXPECT_FALSE(Get("/unannounced"));
}

TEST_F(HttpTest, RefusedConnectionFailsAtOnce) {
    int port = 0;
    {
        TestServer gone;  // a port that was free a moment ago and is again
        port = gone.port();
    }
    const auto start = Clock::now();
    EXPECT_FALSE(http.Get("http://127.0.0.1:" + std::to_string(port) + "/d.php", kLimits, &body));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
}

// A transfer given up is cancelled: its connection is closed at once, not
// left to WinINet's next time-out.
bool DroppedSoon(TestServer& server, const std::string& path) {
    return banner_test::WaitUntil(
        [&] {
            const auto dropped = server.Dropped();
            return std::find(dropped.begin(), dropped.end(), path) != dropped.end();
        },
        1000);
}

TEST_F(HttpTest, SilentServerIsCutOffAtTheTimeLimit) {
    Response r;
    r.hang = true;
    server.On("/d.php", r);
    EXPECT_FALSE(Get("/d.php"));
    EXPECT_GE(lastMs, 1400);
    EXPECT_LT(lastMs, 2500);
    EXPECT_TRUE(DroppedSoon(server, "/d.php"));
}

// A fetch given up has its handles closed. On Windows that ends the call
// blocked on them at once; Wine's WinINet lets the call run on until the
// server is silent for the longest silence allowed or ends what it was
// sending. Either way the fetch fails and the load's thread, the only one
// waiting for it, goes on.
TEST_F(HttpTest, TricklingServerIsCutOffAtTheTimeLimit) {
    // A byte every 100 ms: each read is quick, the whole would take some
    // 18 s (Wine reads the headers to their end, some 8 s).
    Response body100 = Ok(std::string(100, 'x'));
    body100.byteDelayMs = 100;
    server.On("/body", body100);
    EXPECT_FALSE(Get("/body"));
    EXPECT_LT(lastMs, 10000);
    // The headers themselves, a byte every 3 s: no receive ever times out.
    Response slowHead = Ok("x");
    slowHead.byteDelayMs = 3000;
    server.On("/head", slowHead);
    EXPECT_FALSE(Get("/head"));
    EXPECT_LT(lastMs, 2500);
    EXPECT_TRUE(DroppedSoon(server, "/head"));
}

TEST_F(HttpTest, CancelFromAnotherThreadGivesTheFetchUp) {
    Response r;
    r.hang = true;
    server.On("/d.php", r);
    std::thread canceller([&] {
        Sleep(300);
        http.Cancel();
    });
    // Cut at once on Windows, at the longest silence (2 s) under Wine: well
    // before the fetch's own limit.
    EXPECT_FALSE(Get("/d.php", {1000, 10000}));
    canceller.join();
    EXPECT_LT(lastMs, 3000);
    EXPECT_TRUE(DroppedSoon(server, "/d.php"));
    // And every later fetch fails without a request.
    server.On("/e.php", Ok("x"));
    EXPECT_FALSE(Get("/e.php"));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpTest, SlowButTimelyServerIsWaitedFor) {
    Response r = Ok("A\nB\nC");
    r.delayMs = 600;
    server.On("/d.php", r);
    EXPECT_TRUE(Get("/d.php"));
    EXPECT_EQ(body, "A\nB\nC");
}

TEST_F(HttpTest, NonWebSchemesAndNonsenseFail) {
    EXPECT_FALSE(http.Get("file:///C:/windows/win.ini", kLimits, &body));
    EXPECT_FALSE(http.Get("", kLimits, &body));
    EXPECT_FALSE(http.Get("http://", kLimits, &body));
}

}  // namespace

#include "services/http/ServerAddress.h"

#include <gtest/gtest.h>

namespace {

using V = ServerAddress::Verdict;

TEST(ServerAddressTest, HttpsAnywhereAndPlainHttpOnlyToThisComputerOrAPrivateNetwork) {
    EXPECT_EQ(ServerAddress("https://api.openai.com").verdict(), V::secure);
    EXPECT_EQ(ServerAddress("https://llm.example.org:8443/").verdict(), V::secure);
    for (const char* local :
         {"http://127.0.0.1:8080", "http://localhost:11434", "http://[::1]:8080", "http://10.1.2.3",
          "http://172.16.0.9", "http://172.31.255.1", "http://192.168.1.20:8000",
          "http://169.254.3.4", "http://[fd12::1]"}) {
        EXPECT_EQ(ServerAddress(local).verdict(), V::plainHttpLocal) << local;
    }
    for (const char* remote : {"http://api.openai.com", "http://8.8.8.8", "http://172.32.0.1",
                               "http://192.169.0.1", "http://llm.local"}) {
        EXPECT_EQ(ServerAddress(remote).verdict(), V::plainHttpPublic) << remote;
    }
}

TEST(ServerAddressTest, SomethingElseIsNoServerAddress) {
    for (const char* bad : {"", "api.openai.com", "ftp://127.0.0.1", "https://", "not a url"}) {
        EXPECT_EQ(ServerAddress(bad).verdict(), V::invalid) << bad;
        EXPECT_FALSE(ServerAddress(bad).isAllowed()) << bad;
    }
}

TEST(ServerAddressTest, TrailingSlashAndV1AreDropped) {
    EXPECT_EQ(ServerAddress(" http://127.0.0.1:8080/v1/ ").base(), "http://127.0.0.1:8080");
    EXPECT_EQ(ServerAddress("https://api.openai.com/").base(), "https://api.openai.com");
    EXPECT_EQ(ServerAddress("https://host/openai/v1").endpoint("/v1/models").toString(),
              "https://host/openai/v1/models");
}

// The lenient parser would repair these into a public http address that was never judged.
TEST(ServerAddressTest, AnInvalidAddressGivesNoEndpointToSendTo) {
    for (const char* bad : {"http://8.8.8.8/a b", "http://8.8.8.8/%zz", "http://8.8.8.8\\"}) {
        EXPECT_EQ(ServerAddress(bad).verdict(), V::invalid) << bad;
        EXPECT_TRUE(ServerAddress(bad).endpoint("/v1/models").isEmpty()) << bad;
    }
    EXPECT_EQ(ServerAddress("http://127.0.0.1:8080/base%20path")
                  .endpoint("/v1/models")
                  .toString(QUrl::FullyEncoded),
              "http://127.0.0.1:8080/base%20path/v1/models")
        << "the checked URL keeps its encoding";
}

}  // namespace

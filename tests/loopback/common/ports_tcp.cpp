#include "ports/NetPort.h"
#include "support/PortTcpListener.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<uint8_t> patternImage(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) {
        image[i] = patternByte(i);
    }
    return image;
}

TEST(PortsTcpLoopback, RefusedConnectThenANewSocketConnects) {
    NetPort port;
    PortTcpListener closed(false);
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("127.0.0.1", closed.port()), 0);
    EXPECT_NE(port.lastError(), 0);
    port.detach();

    PortTcpListener sink;
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("127.0.0.1", sink.port()), 1);
    const auto image = patternImage(1000);
    EXPECT_EQ(port.send(image.data(), 1000, 0), 1000);
    port.close();
    sink.finish();
    EXPECT_EQ(sink.received(), 1000u);
    EXPECT_EQ(sink.mismatches(), 0u);
}

} // namespace

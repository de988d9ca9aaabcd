#include "ports/NetPort.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {
TEST(NetPortTest, ConnectsToTheAddressAndPortAndSendsTheWholeImage) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("192.168.0.40", 9100), 1);
    const std::vector<uint8_t> image(300000, 0x1B);
    EXPECT_EQ(port.send(image.data(), static_cast<int32_t>(image.size()), 0), 300000);
    port.close();
    EXPECT_FALSE(port.isCreated());
    ASSERT_EQ(sockets.state.connects.size(), 1u);
    EXPECT_EQ(sockets.state.connects[0], (std::pair<std::string, uint16_t>{"192.168.0.40", 9100}));
    EXPECT_EQ(sockets.state.sends, std::vector<int32_t>{300000});
    EXPECT_EQ(sockets.state.destroyed, 1);
}

TEST(NetPortTest, RefusedConnectThenDetachLetsTheNextDownloadCreateAgain) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    sockets.state.connectOk = false;
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("10.0.0.9", 9100), 0);
    EXPECT_EQ(port.lastError(), 10061);
    port.detach();
    EXPECT_EQ(sockets.state.destroyed, 1); // detaching does not leak the socket

    sockets.state.connectOk = true;
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("10.0.0.9", 9100), 1);
    EXPECT_EQ(sockets.state.created, 2);
}

TEST(NetPortTest, FailuresAreReportedNotCrashed) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    uint8_t byte = 0;
    EXPECT_EQ(port.connect("127.0.0.1", 9100), 0); // no socket yet
    EXPECT_LT(port.send(&byte, 1, 0), 0);

    sockets.state.createOk = false;
    EXPECT_EQ(port.create(), 0);

    sockets.state.createOk = true;
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("127.0.0.1", 0), 0);
    EXPECT_EQ(port.connect("127.0.0.1", 70000), 0);
    EXPECT_TRUE(sockets.state.connects.empty());
    ASSERT_EQ(port.connect("127.0.0.1", 9100), 1);
    sockets.state.sendResult = -1;
    EXPECT_LT(port.send(&byte, 1, 0), 0);
    EXPECT_EQ(port.lastError(), 10054);
}
} // namespace

#include "ports/NetPort.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {
// The image goes to the address and port in one send. A failure is reported with its reason,
// which outlives the detached socket; detaching does not leak the socket, and the next download
// creates a new one.
TEST(NetPortTest, SendsTheWholeImageAndReportsFailuresWithTheirReason) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    uint8_t byte = 0;
    EXPECT_EQ(port.connect("192.0.2.7", 9100), 0); // no socket yet
    EXPECT_LT(port.send(&byte, 1, 0), 0);
    sockets.createOk = false;
    EXPECT_EQ(port.create(), 0);

    sockets.createOk = true;
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("192.0.2.7", 0), 0);
    EXPECT_EQ(port.connect("192.0.2.7", 70000), 0);
    EXPECT_EQ(port.lastErrorText(), "192.0.2.7:70000: not a TCP port number (1 to 65535)");
    EXPECT_TRUE(sockets.connects.empty());

    sockets.connectOk = false;
    EXPECT_EQ(port.connect("192.0.2.7", 9100), 0);
    EXPECT_EQ(port.lastError(), 10061);
    port.detach();
    EXPECT_EQ(sockets.destroyed, 1);
    // The fake socket gives no words of its own: the port says what failed.
    EXPECT_EQ(port.lastErrorText(), "192.0.2.7:9100: the connection failed");

    sockets.connectOk = true;
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.lastErrorText(), "");
    ASSERT_EQ(port.connect("192.0.2.7", 9100), 1);
    const std::vector<uint8_t> image(300000, 0x1B);
    EXPECT_EQ(port.send(image.data(), 300000, 0), 300000); // the whole image in one call
    EXPECT_EQ(sockets.connects.back(), (std::pair<std::string, uint16_t>{"192.0.2.7", 9100}));
    sockets.sendOk = false;
    EXPECT_LT(port.send(&byte, 1, 0), 0);
    EXPECT_EQ(port.lastError(), 10054);
    EXPECT_EQ(port.lastSendAccepted(), 0); // the progress shown must not claim a byte went
    EXPECT_EQ(sockets.sends, (std::vector<int32_t>{300000, 1}));
    port.close();
    EXPECT_FALSE(port.isCreated());
    EXPECT_EQ(sockets.destroyed, sockets.created);
}
} // namespace

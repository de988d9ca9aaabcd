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
    ASSERT_EQ(port.connect("192.0.2.7", 65535), 1); // the highest port is a port
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
    EXPECT_EQ(sockets.destroyed, 2); // both sockets made, none left behind
}

// The printer's acknowledgement as the engine sees it: never more than the last send, and a
// reset gives the port the socket's words for it. Without a socket the connection is broken.
TEST(NetPortTest, DeliveryIsBoundedByTheLastSendAndCarriesTheResetReason) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    EXPECT_TRUE(port.delivery().broken);
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("192.0.2.7", 9100), 1);
    const std::vector<uint8_t> image(1000, 0x1B);
    ASSERT_EQ(port.send(image.data(), 1000, 0), 1000);
    sockets.delivery = {400, true, false};
    EXPECT_EQ(port.delivery().acknowledged, 400);
    EXPECT_EQ(port.lastErrorText(), "");
    sockets.delivery = {5000, true, false}; // a count past the send is the send
    EXPECT_EQ(port.delivery().acknowledged, 1000);
    sockets.delivery = {700, true, true};
    sockets.deliveryErrorText = "192.0.2.7:9100: the printer broke the connection (reset)";
    const NetDelivery broken = port.delivery();
    EXPECT_TRUE(broken.broken);
    EXPECT_EQ(broken.acknowledged, 700);
    EXPECT_EQ(port.lastErrorText(), sockets.deliveryErrorText);
    EXPECT_EQ(port.lastError(), 10054);
}
} // namespace

#include "ports/ReaderThread.h"
#include "ports/ReceiveBuffer.h"
#include "ports/SerialLineRules.h"

#include <gtest/gtest.h>

#include <future>

namespace {
// The device's own flow-control flags are replaced, whatever they were, by those of the chosen
// handshake; "XON/XOFF" is software flow control both ways plus the CTS/RTS pair.
TEST(SerialLineRulesTest, HandshakeChoiceReplacesTheDevicesFlowControl) {
    const SerialLineSettings device{.checkParity = true,
                                    .outxCtsFlow = true,
                                    .outxDsrFlow = true,
                                    .outX = true,
                                    .inX = true,
                                    .dsrSensitivity = true,
                                    .txContinueOnXoff = true,
                                    .discardNulls = true};
    PortSettings p;
    p.baudRate = 19200;
    p.dataBits = 7;
    p.parity = 2;
    p.stopBits = 2;
    p.handshake = kHandshakeDtrDsr;
    EXPECT_EQ(serialLineSettingsFor(p, device),
              (SerialLineSettings{.baudRate = 19200,
                                  .byteSize = 7,
                                  .parity = 2,
                                  .stopBits = 2,
                                  .checkParity = true,
                                  .outxDsrFlow = true,
                                  .dtrControl = DtrControl::Handshake,
                                  .rtsControl = RtsControl::Disable}));
    p.parity = 0;
    p.handshake = kHandshakeXonXoff;
    EXPECT_EQ(serialLineSettingsFor(p, device),
              (SerialLineSettings{.baudRate = 19200,
                                  .byteSize = 7,
                                  .stopBits = 2,
                                  .outxCtsFlow = true,
                                  .dtrControl = DtrControl::Disable,
                                  .rtsControl = RtsControl::Handshake,
                                  .outX = true,
                                  .inX = true}));
    p.dataBits = 256;
    EXPECT_EQ(serialLineSettingsFor(p, device), std::nullopt);
}

TEST(ReceiveBufferTest, NeverHoldsMoreThanItsCapacityAndKeepsArrivalOrder) {
    ReceiveBuffer buffer;
    buffer.allocate(5);
    const uint8_t in[7] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(buffer.append(in, 7), 5u);
    uint8_t out[8] = {};
    EXPECT_EQ(buffer.take(out, 3), 3u);
    EXPECT_EQ(buffer.append(in + 5, 2), 2u);
    EXPECT_EQ(buffer.append(in, 7), 1u); // only the room left, however much is offered
    EXPECT_EQ(buffer.take(out + 3, 8), 5u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 1}));
    // A new allocation (a reopened port) starts empty: no bytes from before it are delivered.
    EXPECT_EQ(buffer.append(in, 2), 2u);
    buffer.allocate(5);
    EXPECT_EQ(buffer.take(out, 8), 0u);
    buffer.allocate(0);
    EXPECT_EQ(buffer.append(in, 1), 0u); // a zero-sized buffer takes nothing
    // Released (a closed port), it holds and takes nothing until allocated again.
    buffer.allocate(5);
    EXPECT_EQ(buffer.append(in, 2), 2u);
    buffer.release();
    EXPECT_EQ(buffer.count(), 0u);
    EXPECT_EQ(buffer.append(in, 1), 0u);
}

// stop() wakes a reader that waits out a long interval, so closing a port never waits for it
// (a missed wake-up shows as a stop still running after a bounded 10 s), and polls no more.
TEST(ReaderThreadTest, StopWakesTheWaitingReaderAtOnce) {
    std::promise<void> polled;
    std::atomic<int> polls{0};
    ReaderThread reader;
    reader.start([&] {
        if (polls++ == 0) {
            polled.set_value();
        }
        return uint32_t{30000};
    });
    ASSERT_EQ(polled.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    auto stopped = std::async(std::launch::async, [&] { reader.stop(); });
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    stopped.get();
    EXPECT_EQ(polls, 1);
}
} // namespace

// printer-sim: an emulated printer on 127.0.0.1 TCP and/or a pseudo-terminal (see --help).
#include "tools/printer-sim/Options.h"
#include "tools/printer-sim/Session.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

int64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

bool writeAll(int fd, const uint8_t* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        length -= size_t(n);
    }
    return true;
}

// One source of image bytes: a TCP connection or the pseudo-terminal master.
struct Stream {
    Fd fd;
    bool isPty = false;
    bool stalled = false;
    bool closing = false;
    std::unique_ptr<Session> session;
};

class Simulator {
  public:
    explicit Simulator(const SimOptions& options) : options_(options) {}

    int run() {
        if (!setUpSignals() || !openOutput() || (options_.tcp && !openTcp()) ||
            (options_.pty && !openPty())) {
            return 1;
        }
        announce();
        loop();
        for (auto& stream : streams_) {
            stream->session->end();
        }
        std::fprintf(stderr,
                     "printer-sim: received %llu image bytes, %d version, %d FPGA and %d other "
                     "identity queries\n",
                     static_cast<unsigned long long>(totalImage_), versionQueries_, fpgaQueries_,
                     identityQueries_);
        return 0;
    }

  private:
    bool setUpSignals() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGHUP);
        sigprocmask(SIG_BLOCK, &set, nullptr);
        signal(SIGPIPE, SIG_IGN);
        signals_.reset(signalfd(-1, &set, SFD_CLOEXEC));
        return bool(signals_) || fail("signalfd");
    }

    bool openOutput() {
        if (options_.outputPath.empty()) {
            return true;
        }
        output_.reset(
            ::open(options_.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        return bool(output_) || fail(options_.outputPath.c_str());
    }

    bool openTcp() {
        listener_.reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!listener_) {
            return fail("socket");
        }
        const int on = 1;
        setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        // Set before listen so the window offered in the handshake already fits it; accepted
        // connections inherit it.
        if (options_.receiveBuffer) {
            const int size = int(*options_.receiveBuffer);
            setsockopt(listener_.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(options_.tcpPort);
        if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return fail("bind");
        }
        socklen_t length = sizeof address;
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        tcpPort_ = ntohs(address.sin_port);
        // A bound socket that does not listen answers every connection attempt with a reset.
        if (!options_.refuse && listen(listener_.get(), 4) != 0) {
            return fail("listen");
        }
        return true;
    }

    bool openPty() {
        Fd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (!master || grantpt(master.get()) != 0 || unlockpt(master.get()) != 0) {
            return fail("posix_openpt");
        }
        ptyPath_ = ptsname(master.get());
        // Held open so the master never sees a hang-up between two runs of the host, and put in
        // raw mode so nothing is echoed or translated until the host sets its own line settings.
        ptySlave_.reset(::open(ptyPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (!ptySlave_) {
            return fail(ptyPath_.c_str());
        }
        termios tio{};
        tcgetattr(ptySlave_.get(), &tio);
        cfmakeraw(&tio);
        tcsetattr(ptySlave_.get(), TCSANOW, &tio);
        addStream(std::move(master), true);
        return true;
    }

    void announce() {
        std::string line;
        std::string info;
        if (options_.tcp) {
            line += "tcp=" + std::to_string(tcpPort_);
            info += "tcp=" + std::to_string(tcpPort_) + "\n";
        }
        if (options_.pty) {
            line += std::string(line.empty() ? "" : " ") + "pty=" + ptyPath_;
            info += "pty=" + ptyPath_ + "\n";
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        if (!options_.infoPath.empty()) {
            // Written whole under another name and renamed, so a reader never sees half of it.
            const std::string temp = options_.infoPath + ".tmp";
            if (FILE* file = std::fopen(temp.c_str(), "w")) {
                std::fputs(info.c_str(), file);
                std::fclose(file);
                std::rename(temp.c_str(), options_.infoPath.c_str());
            }
        }
    }

    void addStream(Fd fd, bool isPty) {
        auto stream = std::make_unique<Stream>();
        stream->fd = std::move(fd);
        stream->isPty = isPty;
        Stream* raw = stream.get();
        stream->session = std::make_unique<Session>(
            [this, raw](Session::Query query) { answer(*raw, query); },
            [this, raw](const uint8_t* data, size_t length) { store(*raw, data, length); });
        streams_.push_back(std::move(stream));
    }

    void loop() {
        for (;;) {
            std::vector<pollfd> fds;
            fds.push_back({signals_.get(), POLLIN, 0});
            const bool accepting = listener_ && !options_.refuse;
            if (accepting) {
                fds.push_back({listener_.get(), POLLIN, 0});
            }
            const size_t first = fds.size();
            for (auto& stream : streams_) {
                fds.push_back({stream->fd.get(), short(stream->stalled ? 0 : POLLIN), 0});
            }
            int timeoutMs = -1;
            if (away_ && backAtMs_ >= 0) {
                timeoutMs = int(std::max<int64_t>(0, backAtMs_ - nowMs()));
            }
            if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[0].revents != 0) {
                signalfd_siginfo info{};
                [[maybe_unused]] ssize_t n = read(signals_.get(), &info, sizeof info);
                drain();
                return;
            }
            if (away_ && backAtMs_ >= 0 && nowMs() >= backAtMs_) {
                comeBack();
                continue;
            }
            if (accepting && (fds[1].revents & POLLIN) != 0) {
                Fd client(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
                if (client) {
                    std::fprintf(stderr, "printer-sim: connection accepted\n");
                    addStream(std::move(client), false);
                }
            }
            bool endRun = false;
            for (size_t i = 0; i < streams_.size() && first + i < fds.size(); ++i) {
                if (fds[first + i].revents != 0 && !readFrom(*streams_[i])) {
                    endRun = closeStream(i) || endRun;
                    streams_.erase(streams_.begin() + long(i));
                    fds.erase(fds.begin() + long(first + i));
                    --i;
                }
            }
            if (endRun) {
                return;
            }
        }
    }

    // Takes in what the host has already written, so nothing sent before the stop is lost.
    void drain() {
        for (auto& stream : streams_) {
            if (stream->stalled || stream->closing) {
                continue;
            }
            fcntl(stream->fd.get(), F_SETFL, fcntl(stream->fd.get(), F_GETFL) | O_NONBLOCK);
            while (readFrom(*stream) && !wouldBlock_) {
            }
        }
    }

    // False when the stream is to be dropped.
    bool readFrom(Stream& stream) {
        uint8_t buffer[65536];
        size_t want = sizeof buffer;
        const uint64_t taken = stream.session->imageBytes();
        if (options_.stallAfter) {
            want = size_t(
                std::min<uint64_t>(want, std::max<uint64_t>(*options_.stallAfter - taken, 1)));
        }
        if (options_.resetAfter && !stream.isPty) {
            want = size_t(
                std::min<uint64_t>(want, std::max<uint64_t>(*options_.resetAfter - taken, 1)));
        }
        if (options_.paceBytes > 0) {
            want = size_t(std::min<uint64_t>(want, options_.paceBytes));
            if (options_.paceMs > 0 && taken > 0) {
                usleep(useconds_t(options_.paceMs * 1000));
            }
        }
        const ssize_t n = ::read(stream.fd.get(), buffer, want);
        wouldBlock_ = n < 0 && errno == EAGAIN;
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return true;
        }
        if (n <= 0) {
            return stream.isPty && n < 0 && errno == EIO; // pty: nobody has the slave open
        }
        stream.session->take(buffer, size_t(n), nowMs());
        if (options_.resetAfter && !stream.isPty &&
            stream.session->imageBytes() >= *options_.resetAfter) {
            resetConnection(stream);
            return false;
        }
        if (options_.stallAfter && stream.session->imageBytes() >= *options_.stallAfter &&
            !stream.stalled) {
            stream.stalled = true;
            std::fprintf(stderr, "printer-sim: stalled after %llu bytes\n",
                         static_cast<unsigned long long>(stream.session->imageBytes()));
        }
        return !stream.closing;
    }

    // A printer that gives up part-way: it stops reading, and once the sender has filled what
    // the connection holds, drops it with a reset (SO_LINGER 0), losing the unread bytes. The
    // bytes that were waiting unread were acknowledged to the sender all the same.
    void resetConnection(Stream& stream) {
        usleep(500 * 1000);
        int queued = 0;
        ioctl(stream.fd.get(), FIONREAD, &queued);
        const linger abort{1, 0};
        setsockopt(stream.fd.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        std::fprintf(stderr, "printer-sim: reset after reading %llu image bytes, %d more unread\n",
                     static_cast<unsigned long long>(stream.session->imageBytes()), queued);
    }

    // True when the whole simulator should end (--once, or a closed pseudo-terminal).
    bool closeStream(size_t index) {
        Stream& stream = *streams_[index];
        stream.session->end();
        std::fprintf(stderr, "printer-sim: %s closed after %llu image bytes\n",
                     stream.isPty ? "pseudo-terminal" : "connection",
                     static_cast<unsigned long long>(stream.session->imageBytes()));
        if (stream.isPty) {
            ptySlave_.reset();
            return true;
        }
        if (stream.session->imageBytes() > 0 && restarts()) {
            goAway();
        }
        return options_.once;
    }

    void store(Stream& stream, const uint8_t* data, size_t length) {
        if (options_.closeAfter) {
            const uint64_t before = stream.session->imageBytes() - length;
            if (before + length >= *options_.closeAfter) {
                length = size_t(*options_.closeAfter - std::min(before, *options_.closeAfter));
                stream.closing = true;
            }
        }
        totalImage_ += length;
        if (stream.isPty && length > 0) {
            lastImageMs_ = nowMs();
            restarted_ = false;
        }
        if (output_ && length > 0 && !writeAll(output_.get(), data, length)) {
            std::perror("printer-sim: output");
        }
    }

    void answer(Stream& stream, Session::Query query) {
        const bool version = query == Session::Query::Version;
        const bool fpga = query == Session::Query::FpgaType;
        (version ? versionQueries_ : fpga ? fpgaQueries_ : identityQueries_)++;
        if ((!stream.isPty && away_) || (stream.isPty && ptyAway())) {
            std::fprintf(stderr, "printer-sim: query while restarting (not answered)\n");
            return;
        }
        const std::optional<std::vector<uint8_t>>& reply =
            version && restarted_ && options_.versionAfterReply ? options_.versionAfterReply
            : version                                           ? options_.versionReply
            : fpga                                              ? options_.fpgaReply
            : query == Session::Query::Maker                    ? options_.makerReply
            : query == Session::Query::ModelName                ? options_.modelReply
                                                                : options_.serialReply;
        std::fprintf(stderr, "printer-sim: %s query%s\n", queryName(query),
                     reply ? "" : " (not answered)");
        if (!reply) {
            return;
        }
        std::vector<uint8_t> bytes = *reply;
        if (version ? options_.garbleVersion : fpga && options_.garbleFpga) {
            for (auto& b : bytes) {
                b ^= 0x20;
            }
        }
        if ((version ? options_.shortVersion : fpga && options_.shortFpga) && bytes.size() > 4) {
            bytes.resize(4);
        }
        writeAll(stream.fd.get(), bytes.data(), bytes.size());
    }

    static const char* queryName(Session::Query query) {
        switch (query) {
        case Session::Query::Version:
            return "version";
        case Session::Query::FpgaType:
            return "FPGA type";
        case Session::Query::Maker:
            return "maker";
        case Session::Query::ModelName:
            return "model";
        case Session::Query::Serial:
            return "serial";
        }
        return "unknown";
    }

    bool restarts() const {
        return options_.restartSeconds > 0 || options_.neverBack || options_.versionAfterReply;
    }

    // After an image the printer is away while it writes its firmware; on TCP its port is then
    // closed, so connection attempts are refused as they are by a printer that is off.
    void goAway() {
        restarted_ = false;
        away_ = true;
        backAtMs_ = options_.neverBack ? -1 : nowMs() + int64_t(options_.restartSeconds) * 1000;
        listener_.reset();
        // A restarting printer drops whatever else was connected, too.
        for (auto& other : streams_) {
            if (!other->isPty) {
                ::shutdown(other->fd.get(), SHUT_RDWR);
            }
        }
        std::fprintf(stderr, "printer-sim: restarting%s\n", options_.neverBack ? " for good" : "");
    }

    void comeBack() {
        away_ = false;
        restarted_ = true;
        if (options_.tcp) {
            options_.tcpPort = tcpPort_;
            openTcp();
        }
        std::fprintf(stderr, "printer-sim: back after the restart\n");
    }

    // The pseudo-terminal has no connection to close: the restart starts with the image's last
    // byte.
    bool ptyAway() {
        if (!restarts() || lastImageMs_ < 0 || restarted_) {
            return false;
        }
        if (options_.neverBack ||
            nowMs() < lastImageMs_ + int64_t(options_.restartSeconds) * 1000) {
            return true;
        }
        restarted_ = true;
        return false;
    }

    static bool fail(const char* what) {
        std::fprintf(stderr, "printer-sim: %s: %s\n", what, std::strerror(errno));
        return false;
    }

    SimOptions options_;
    Fd signals_;
    Fd output_;
    Fd listener_;
    Fd ptySlave_;
    uint16_t tcpPort_ = 0;
    std::string ptyPath_;
    std::vector<std::unique_ptr<Stream>> streams_;
    uint64_t totalImage_ = 0;
    int versionQueries_ = 0;
    int fpgaQueries_ = 0;
    int identityQueries_ = 0;
    bool wouldBlock_ = false;
    bool away_ = false;
    bool restarted_ = false;
    int64_t backAtMs_ = -1;
    int64_t lastImageMs_ = -1;
};

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "printer-sim: %s\n%s", error.c_str(), simUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(simUsage, stdout);
        return 0;
    }
    return Simulator(*options).run();
}

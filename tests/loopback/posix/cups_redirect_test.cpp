// Printer queue redirection against a real CUPS daemon that the test starts on a private socket,
// with stub backends for serial:, parallel: and usb:. The queues' state is read back with the
// CUPS command-line tools, independently of the code under test.
#include "platform/posix/CupsSpooler.h"
#include "printqueues/PrinterQueueRedirector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const fs::path kFixtures =
    fs::path(__FILE__).parent_path().parent_path().parent_path() / "fixtures" / "cups";

std::string run(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    for (char buffer[512]; pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr;) {
        output += buffer;
    }
    const int result = pipe != nullptr ? pclose(pipe) : -1;
    if (status != nullptr) {
        *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    }
    return output;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a user sees of a queue: its device, whether it runs and whether it accepts jobs.
struct QueueView {
    std::string device;
    bool enabled;
    bool accepting;
    bool operator==(const QueueView&) const = default;
};

class CupsRedirectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/mirelith-cups-XXXXXX";
        dir_ = mkdtemp(pattern);
        fs::permissions(dir_,
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        int status = 0;
        const std::string out = run("bash " + helper + " start " + dir_.string(), &status);
        if (status == 77) {
            GTEST_SKIP() << "cupsd is not available: " << out;
        }
        ASSERT_EQ(status, 0) << out;
        socket_ = (dir_ / "cups.sock").string();
        setenv("CUPS_SERVER", socket_.c_str(), 1);

        addQueue("Office", "serial:/dev/ttyS0?baud=115200");
        addQueue("Tenth", "serial:/dev/ttyS9");
        addQueue("Labels", "parallel:/dev/lp0");
        addQueue("Prime", "usb://Maker/T90%20Prime?serial=PRM1",
                 "-P " + (kFixtures / "t90-prime.ppd").string());
        addQueue("Standard", "usb://Maker/T90%20Standard?serial=STD1");
        // Stopped and refusing jobs before any download: must stay so.
        addQueue("Held", "serial:/dev/ttyS0");
        run("cupsreject Held && cupsdisable -r 'out of paper' Held");
    }

    void TearDown() override {
        unsetenv("CUPS_SERVER");
        run("bash " + helper + " stop " + dir_.string());
        fs::remove_all(dir_);
    }

    void addQueue(const std::string& name, const std::string& uri, const std::string& more = "") {
        int status = 0;
        std::string out = run("lpadmin -p " + name + " -E -v '" + uri + "' " + more, &status);
        ASSERT_EQ(status, 0) << out;
    }

    QueueView view(const std::string& name) {
        std::string device = run("lpstat -v " + name);
        device = device.substr(device.find(": ") + 2);
        device.erase(device.find_last_not_of('\n') + 1);
        return {device, run("lpstat -p " + name).find("disabled") == std::string::npos,
                run("lpstat -a " + name).find("not accepting") == std::string::npos};
    }

    std::map<std::string, QueueView> viewAll() {
        std::map<std::string, QueueView> all;
        for (const char* name : {"Office", "Tenth", "Labels", "Prime", "Standard", "Held"}) {
            all[name] = view(name);
        }
        return all;
    }

    const std::string helper = (kFixtures / "private_cupsd.sh").string();
    fs::path dir_;
    std::string socket_;
};

TEST_F(CupsRedirectTest, QueuesAreSeenInTheWindowsVocabulary) {
    std::unique_ptr<Spooler> spooler = makeCupsSpooler(socket_);
    std::map<std::string, std::pair<std::string, std::string>> seen;
    for (const PrinterQueueInfo& q : spooler->enumerateLocalQueues()) {
        seen[q.printerName] = {q.portName, q.driverName};
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen["Office"].first, "COM1:");
    EXPECT_EQ(seen["Tenth"].first, "COM10:");
    EXPECT_EQ(seen["Labels"].first, "LPT1:");
    EXPECT_EQ(seen["Prime"].second, "Maker T90 Prime");
    EXPECT_THAT(seen["Prime"].first + seen["Standard"].first,
                ::testing::AnyOf("USB001USB002", "USB002USB001"));

    // A server that cannot be reached has no queues, and nothing else is asked instead.
    std::unique_ptr<Spooler> nowhere = makeCupsSpooler((dir_ / "no.sock").string());
    EXPECT_TRUE(nowhere->enumerateLocalQueues().empty());
    EXPECT_EQ(nowhere->openQueue("Office"), nullptr);
}

// Which queues a job stops is the redirector's rule; here the real server stops and restores
// them, whatever was changed behind the program's back meanwhile.
TEST_F(CupsRedirectTest, SerialJobStopsItsQueuesAndTheUsbOnesAndRestoresThemExactly) {
    const std::map<std::string, QueueView> before = viewAll();
    std::unique_ptr<Spooler> spooler = makeCupsSpooler(socket_);
    PrinterQueueRedirector redirector(*spooler);
    redirector.redirectPrinterQueues("COM1", "");

    std::map<std::string, QueueView> during = viewAll();
    for (const char* name : {"Office", "Tenth", "Prime", "Standard"}) {
        EXPECT_EQ(during[name], (QueueView{before.at(name).device, false, true})) << name;
        EXPECT_THAT(run(std::string("lpstat -l -p ") + name), HasSubstr(kCupsRedirectMessage));
    }
    EXPECT_EQ(during["Held"], before.at("Held")); // stopped by someone else: left as it is

    // A job sent meanwhile is held by the stopped queue and never reaches the device...
    fs::path job = dir_ / "job.txt";
    std::ofstream(job) << "queued during the download\n";
    EXPECT_THAT(run("lp -d Office -o raw " + job.string()), HasSubstr("request id"));
    EXPECT_THAT(readFile(dir_ / "printed-serial"), Not(HasSubstr("queued during")));

    run("lpadmin -p Prime -v usb://Maker/Other && cupsreject Prime");
    redirector.restorePrinterQueues();
    EXPECT_EQ(viewAll(), before);
    // A queue stopped with a reason before the download keeps its reason.
    EXPECT_THAT(run("lpstat -l -p Held"), HasSubstr("out of paper"));

    // ...and prints once the queue is given back.
    for (int i = 0; i < 100 && readFile(dir_ / "printed-serial").empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_THAT(readFile(dir_ / "printed-serial"), HasSubstr("queued during the download"));
}

} // namespace

// The INI reader's matching rules, read from in-memory files. Under Windows (and Wine) every
// file is also read through the platform's own profile functions, which are the reference our
// portable reader must agree with, for each key asked and a few more.
#include "app/ProfileReader.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <fstream>
#include <windows.h>
#endif

namespace {

// The file, the key asked for, what is read (and for integers the default before it).
using StringCase = std::tuple<std::string, const char*, std::string>;
using IntCase = std::tuple<std::string, const char*, int32_t, int32_t>;

const std::string kMega(1 << 20, 'x');
const std::string v259(259, 'v');
const std::string v300(300, 'v');

std::vector<StringCase> stringCases() {
    const std::string blanks = "[nuv]\r\n  PortType   =   com3  \t\r\nip=1.2.3.4\r\n";
    const std::string comments = "[NUV]\r\n;PORTTYPE=LPT1\r\n# IP=9.9.9.9\r\n=orphan\r\n"
                                 "PORTTYPE=COM1 ; trailing\r\n";
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) & 0xFF);
    }
    return {
        // Names match regardless of case; names and values are trimmed.
        {blanks, " porttype ", "com3"},
        {blanks, "PORT", ""},
        {"\r\n\r\n\t[NUV]\t\r\n\r\n\t\tPORTTYPE\t=\tCOM8\t\r\n\r\n", "PORTTYPE", "COM8"},
        // Line ends, a last line without one, a byte-order mark, Ctrl-Z.
        {"[NUV]\nA=1\nB=2", "B", "2"},
        {"[NUV]\rA=1\rB=2\r", "B", "2"},
        {"\xEF\xBB\xBF[NUV]\r\nA=1\r\n", "A", "1"},
        {"[NUV]\r\nA=x\xEFy\r\n", "A", "x\xEFy"}, // the mark's first byte later is text
        {"[NUV]\r\nPORTTYPE=COM1\x1a\r\n\x1a", "PORTTYPE", "COM1"},
        {"", "PORTTYPE", ""},
        // Keys outside the section are not seen; the name runs to the last ']' of the line and
        // blanks inside the brackets do not count.
        {"PORTTYPE=COM1\r\n", "PORTTYPE", ""},
        {"[OTHER]\r\nPORTTYPE=COM1\r\n[NUV]\r\nIP=x\r\n", "PORTTYPE", ""},
        {"[NUV] ; comment\r\nA=1\r\n", "A", "1"},
        {"[ NUV ]\r\nA=1\r\n", "A", "1"},
        {"[NUV]]\r\nA=1\r\n", "A", ""},
        {"[NUV\r\nA=1\r\n", "A", ""},
        // The first occurrence wins; a key line without '=' is found first and has no value;
        // only the first section of the name is searched.
        {"[NUV]\r\nA=1\r\na=2\r\n", "A", "1"},
        {"[NUV]\r\nA\r\nA=2\r\n", "A", ""},
        {"[NUV]\r\nA=1\r\n[NUV]\r\nB=2\r\n", "B", ""},
        // Comments are no special case; '=' splits at the first one.
        {comments, "PORTTYPE", "COM1 ; trailing"},
        {comments, "IP", ""},
        {comments, ";PORTTYPE", "LPT1"},
        {"[NUV]\r\n=COM1\r\nPORTTYPE==COM1\r\nIP = a = b\r\n", "PORTTYPE", "=COM1"},
        {"[NUV]\r\n=COM1\r\nPORTTYPE==COM1\r\nIP = a = b\r\n", "IP", "a = b"},
        // Enclosing quotes go when they match.
        {"[NUV]\r\nA=\"T90 Prime\"\r\n", "A", "T90 Prime"},
        {"[NUV]\r\nA='x y'\r\n", "A", "x y"},
        {"[NUV]\r\nA=\"x'\r\n", "A", "\"x'"},
        {"[NUV]\r\nA=\"\r\n", "A", "\""},
        {"[NUV]\r\nA=x\"y\"\r\n", "A", "x\"y\""},
        // Values are cut to the buffer; quoted and too long, the opening quote goes and the cut
        // text keeps its end; a quoted value that exactly fills the buffer loses one more.
        {"[NUV]\r\nA=" + v300 + "\r\n", "A", v259},
        {"[NUV]\r\nA=" + v259, "A", v259},
        {"[NUV]\r\nA=\"" + v300 + "\"\r\n", "A", v259},
        {"[NUV]\r\nA=\"" + v259 + "\"\r\n", "A", std::string(258, 'v')},
        {"[NUV]\r\nA=\"" + std::string(258, 'k') + "\"\r\n", "A", std::string(258, 'k')},
        // 1 MB lines are read in bounded pieces: before the key, as a value, as a section name.
        {"[NUV]\r\nJUNK=" + kMega + "\r\nA=1\r\n", "A", "1"},
        {"[NUV]\r\nA=" + kMega + "\r\n", "A", std::string(259, 'x')},
        {"[NUV]\r\nA=\"" + kMega + "\"\r\n", "A", std::string(259, 'x')},
        {"[NUV]\r\n[" + kMega + "]\r\nA=1\r\n", "A", ""},
        {"[NUV]\r\n[" + kMega + "\r\nA=1\r\n", "A", "1"}, // no ']': no section name
        {"[" + kMega + "]\r\nA=1\r\n[NUV]\r\nA=2\r\n", "A", "2"},
        {"[NUV]\r\n" + kMega + "=1\r\nA=2", "A", "2"},
        // Binary content does not confuse the reader; a NUL ends a stored name or value, as in
        // the platform's C strings.
        {garbage, "PORTTYPE", ""},
        {std::string("[NUV]\r\nA=1\0002\r\n", 13), "A", "1"},
        {std::string("[NUV\0x]\r\nA=1\r\n", 14), "A", "1"},
    };
}

std::vector<IntCase> intCases() {
    const std::string ini =
        "[NUV]\r\nB=9600\r\nS=  -42x\r\nP=+7\r\nW=abc\r\nE=\r\n"
        "Q=\"19200\"\r\nR=\" 9600\"\r\nH=0x10\r\nX=0X10\r\nT=-0b101\r\nO=4294967297\r\n";
    const std::string prefixes =
        "[NUV]\r\nA=0b101\r\nB=0o17\r\nC=010\r\nD=-0x1F\r\nE=0xffffffff\r\n"
        "F= +0x10\r\nG=0x\r\nH=0b2\r\nI=0xg\r\nJ=- 5\r\nK=0o9\r\n"
        "L=99999999999999999999999\r\nM=0x1@\r\n";
    return {
        {ini, "B", 115200, 9600},
        {ini, "S", 1, -42},
        {ini, "W", 1, 0},           // present, no digits: 0
        {ini, "E", 115200, 115200}, // present but empty: the default
        {ini, "MISSING", 9100, 9100},
        {ini, "Q", 1, 19200},
        {ini, "R", 1, 9600}, // blanks inside the quotes are skipped like any others
        {ini, "H", 1, 16},   // lower-case base markers are understood
        {ini, "X", 1, 0},
        {ini, "T", 1, -5},
        {prefixes, "A", 1, 5},
        {prefixes, "B", 1, 15},
        {prefixes, "C", 1, 10},
        {prefixes, "D", 1, -31},
        {prefixes, "E", 1, -1},
        {prefixes, "F", 1, 16},
        {prefixes, "G", 1, 0},
        {prefixes, "J", 1, 0},
        {prefixes, "K", 1, 0},
        {prefixes, "L", 1, -159383553}, // wraps digit by digit
        {prefixes, "M", 1, 1},          // a sign past 'Z' or before 'A' is no hex digit
    };
}

TEST(ProfileReader, StringValues) {
    for (const auto& [ini, key, value] : stringCases()) {
        std::istringstream in(ini);
        EXPECT_EQ(readProfileString(in, "NUV", key), value)
            << ::testing::PrintToString(ini.substr(0, 60)) << " / " << key;
    }
}

TEST(ProfileReader, IntegersFollowThePlatformConversion) {
    for (const auto& [ini, key, fallback, value] : intCases()) {
        std::istringstream in(ini);
        EXPECT_EQ(readProfileInt(in, "NUV", key, fallback), value) << key;
    }
}

#ifdef _WIN32
TEST(ProfileReader, AgreesWithThePlatformProfileFunctions) {
    std::set<std::string> contents;
    std::set<std::string> keys = {"PORTTYPE", "IP", "BAUDRATE", "TCPPORT", "MODELNAME", "FWNAME"};
    for (const StringCase& c : stringCases()) {
        contents.insert(std::get<0>(c));
        keys.insert(std::get<1>(c));
    }
    for (const IntCase& c : intCases()) {
        contents.insert(std::get<0>(c));
        keys.insert(std::get<1>(c));
    }
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(sizeof dir, dir);
    const std::string path =
        std::string(dir) + "mirelith_ini_" + std::to_string(GetCurrentProcessId()) + ".ini";
    for (const std::string& content : contents) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        for (const std::string& key : keys) {
            SCOPED_TRACE(::testing::PrintToString(content.substr(0, 60)) + " / " + key);
            char buffer[kProfileBufferSize] = {};
            GetPrivateProfileStringA("NUV", key.c_str(), "", buffer, sizeof buffer, path.c_str());
            EXPECT_EQ(readProfileString(systemFileSystem(), path, "NUV", key), buffer);
            EXPECT_EQ(readProfileInt(systemFileSystem(), path, "NUV", key, 115200),
                      static_cast<int32_t>(
                          GetPrivateProfileIntA("NUV", key.c_str(), 115200, path.c_str())));
        }
    }
    DeleteFileA(path.c_str());
    // A missing file gives the defaults.
    EXPECT_EQ(readProfileString(systemFileSystem(), path, "NUV", "PORTTYPE"), "");
    EXPECT_EQ(readProfileInt(systemFileSystem(), path, "NUV", "BAUDRATE", 77),
              static_cast<int32_t>(GetPrivateProfileIntA("NUV", "BAUDRATE", 77, path.c_str())));
}
#endif

} // namespace

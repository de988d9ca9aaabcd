// The INI reader's matching rules, read from in-memory files.
#include "app/ProfileReader.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string valueOf(const std::string& ini, const char* key, const char* section = "NUV") {
    std::istringstream in(ini);
    return readProfileString(in, section, key);
}

int32_t intOf(const std::string& ini, const char* key, int32_t fallback) {
    std::istringstream in(ini);
    return readProfileInt(in, "NUV", key, fallback);
}

TEST(ProfileReader, NamesMatchRegardlessOfCaseAndValuesAreTrimmed) {
    const std::string ini = "[nuv]\r\n  PortType   =   com3  \t\r\nip=1.2.3.4\r\n";
    EXPECT_EQ(valueOf(ini, "PORTTYPE"), "com3");
    EXPECT_EQ(valueOf(ini, "IP"), "1.2.3.4");
    EXPECT_EQ(valueOf(ini, " porttype "), "com3");
    EXPECT_EQ(valueOf(ini, "PORT"), "");
}

TEST(ProfileReader, LineEndingsAndLastLineWithoutNewline) {
    EXPECT_EQ(valueOf("[NUV]\nA=1\nB=2", "B"), "2");
    EXPECT_EQ(valueOf("[NUV]\rA=1\rB=2\r", "B"), "2");
    EXPECT_EQ(valueOf("[NUV]\r\n\r\n\r\nA=1", "A"), "1");
    EXPECT_EQ(valueOf("\xEF\xBB\xBF[NUV]\r\nA=1\r\n", "A"), "1");
}

TEST(ProfileReader, KeysOutsideTheSectionAreNotSeen) {
    EXPECT_EQ(valueOf("PORTTYPE=COM1\r\n", "PORTTYPE"), "");
    EXPECT_EQ(valueOf("[OTHER]\r\nPORTTYPE=COM1\r\n[NUV]\r\nIP=x\r\n", "PORTTYPE"), "");
    EXPECT_EQ(valueOf("[NUV]\r\nIP=x\r\n[OTHER]\r\nPORTTYPE=COM1\r\n", "PORTTYPE"), "");
    // The name runs to the last ']' of the line; blanks inside the brackets do not count.
    EXPECT_EQ(valueOf("[NUV] ; comment\r\nA=1\r\n", "A"), "1");
    EXPECT_EQ(valueOf("[ NUV ]\r\nA=1\r\n", "A"), "1");
    EXPECT_EQ(valueOf("[NUV]]\r\nA=1\r\n", "A"), "");
    EXPECT_EQ(valueOf("[NUV\r\nA=1\r\n", "A"), "");
}

TEST(ProfileReader, FirstOccurrenceWins) {
    EXPECT_EQ(valueOf("[NUV]\r\nA=1\r\na=2\r\n", "A"), "1");
    // A key line without '=' is found first and has no value.
    EXPECT_EQ(valueOf("[NUV]\r\nA\r\nA=2\r\n", "A"), "");
    // Only the first section of the name is searched.
    EXPECT_EQ(valueOf("[NUV]\r\nA=1\r\n[NUV]\r\nB=2\r\n", "B"), "");
    EXPECT_EQ(valueOf("[NUV]\r\nA=1\r\n[nuv]\r\nA=2\r\n", "A"), "1");
}

TEST(ProfileReader, CommentsAndOddLines) {
    const std::string ini = "[NUV]\r\n;PORTTYPE=LPT1\r\n# IP=9.9.9.9\r\n=orphan\r\n"
                            "PORTTYPE=COM1 ; trailing\r\n";
    EXPECT_EQ(valueOf(ini, "PORTTYPE"), "COM1 ; trailing");
    EXPECT_EQ(valueOf(ini, "IP"), "");
    EXPECT_EQ(valueOf(ini, ";PORTTYPE"), "LPT1");
    EXPECT_EQ(valueOf("[NUV]\r\nA=b=c\r\n", "A"), "b=c");
}

TEST(ProfileReader, EnclosingQuotesAreRemoved) {
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"T90 Prime\"\r\n", "A"), "T90 Prime");
    EXPECT_EQ(valueOf("[NUV]\r\nA='x y'\r\n", "A"), "x y");
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"x'\r\n", "A"), "\"x'");
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"\r\n", "A"), "\"");
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"\"\r\n", "A"), "");
    EXPECT_EQ(valueOf("[NUV]\r\nA=x\"y\"\r\n", "A"), "x\"y\"");
}

TEST(ProfileReader, ValuesAreCutToTheBuffer) {
    const std::string long300(300, 'v');
    EXPECT_EQ(valueOf("[NUV]\r\nA=" + long300 + "\r\n", "A"), std::string(259, 'v'));
    EXPECT_EQ(valueOf("[NUV]\r\nA=" + std::string(259, 'v'), "A"), std::string(259, 'v'));
    // Quoted and too long: the opening quote goes, the cut text keeps its end.
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"" + long300 + "\"\r\n", "A"), std::string(259, 'v'));
    // A quoted value that exactly fills the buffer loses one more character, as on Windows.
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"" + std::string(259, 'v') + "\"\r\n", "A"),
              std::string(258, 'v'));
}

TEST(ProfileReader, VeryLongLinesAreReadInBoundedPieces) {
    const std::string mega(1 << 20, 'x');
    // A 1 MB line before the key, a 1 MB value, a 1 MB section name.
    EXPECT_EQ(valueOf("[NUV]\r\nJUNK=" + mega + "\r\nA=1\r\n", "A"), "1");
    EXPECT_EQ(valueOf("[NUV]\r\nA=" + mega + "\r\n", "A"), std::string(259, 'x'));
    EXPECT_EQ(valueOf("[NUV]\r\nA=\"" + mega + "\"\r\n", "A"), std::string(259, 'x'));
    EXPECT_EQ(valueOf("[NUV]\r\n[" + mega + "]\r\nA=1\r\n", "A"), "");
    EXPECT_EQ(valueOf("[" + mega + "]\r\nA=1\r\n[NUV]\r\nA=2\r\n", "A"), "2");
    EXPECT_EQ(valueOf("[NUV]\r\n" + mega + "=1\r\nA=2", "A"), "2");
}

TEST(ProfileReader, BinaryContentDoesNotConfuseTheReader) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) & 0xFF);
    }
    EXPECT_EQ(valueOf(garbage, "PORTTYPE"), "");
    // A NUL ends a stored name or value, as in the platform's C strings.
    EXPECT_EQ(valueOf(std::string("[NUV]\r\nA=1\0002\r\n", 13), "A"), "1");
    EXPECT_EQ(valueOf(std::string("[NUV\0x]\r\nA=1\r\n", 14), "A"), "1");
}

TEST(ProfileReader, IntegersFollowThePlatformConversion) {
    const std::string ini = "[NUV]\r\nB=9600\r\nS=  -42x\r\nP=+7\r\nW=abc\r\nE=\r\n"
                            "Q=\"19200\"\r\nH=0x10\r\nX=0X10\r\nT=-0b101\r\nO=4294967297\r\n";
    EXPECT_EQ(intOf(ini, "B", 115200), 9600);
    EXPECT_EQ(intOf(ini, "S", 1), -42);
    EXPECT_EQ(intOf(ini, "P", 1), 7);
    EXPECT_EQ(intOf(ini, "W", 1), 0);           // present, no digits: 0
    EXPECT_EQ(intOf(ini, "E", 115200), 115200); // present but empty: the default
    EXPECT_EQ(intOf(ini, "MISSING", 9100), 9100);
    EXPECT_EQ(intOf(ini, "Q", 1), 19200);
    EXPECT_EQ(intOf(ini, "H", 1), 16); // lower-case base markers are understood
    EXPECT_EQ(intOf(ini, "X", 1), 0);
    EXPECT_EQ(intOf(ini, "T", 1), -5);
    EXPECT_EQ(intOf(ini, "O", 1), 1); // wraps at 32 bits
}

} // namespace

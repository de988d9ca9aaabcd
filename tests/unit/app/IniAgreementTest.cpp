// Our INI reader against the platform's own profile functions, file by file. Built for
// Windows only: under Wine this is the reference our portable reader must agree with.
#ifdef _WIN32
#include "app/ProfileReader.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

struct IniCase {
    const char* name;
    std::string content;
};

std::vector<IniCase> iniCases() {
    const std::string v300(300, 'v');
    const std::string v259(259, 'w');
    const std::string mega(1 << 20, 'm');
    return {
        {"ordinary", "[NUV]\r\nPORTTYPE=COM1\r\nBAUDRATE=9600\r\nMODELNAME=KAV-100\r\n"
                     "FWNAME=KAV-100_V1_031512.fls\r\n"},
        {"lf_only", "[NUV]\nPORTTYPE=NET\nIP=10.0.0.7\nTCPPORT=9101\n"},
        {"cr_only", "[NUV]\rPORTTYPE=LPT1\rMODELNAME=KEW\r"},
        {"no_final_newline", "[NUV]\r\nPORTTYPE=USB\r\nMODELNAME=KIX-3"},
        {"case_and_blanks", "[nuv]\r\n  porttype   =   com3  \r\n\tBaudRate\t=\t 19200 \r\n"},
        {"comments", "; header comment\r\n[NUV] ; the section\r\n;PORTTYPE=LPT2\r\n"
                     "# IP=1.1.1.1\r\nPORTTYPE=COM4 ; note\r\n"},
        {"quotes", "[NUV]\r\nPORTTYPE=\"COM5\"\r\nIP='1.2.3.4'\r\nMODELNAME=\"KAV\r\n"
                   "FWNAME=\"\"\r\nBAUDRATE=\"4800\"\r\nTCPPORT='\r\n"},
        {"duplicate_keys", "[NUV]\r\nPORTTYPE=COM1\r\nPORTTYPE=LPT1\r\nporttype=USB\r\n"},
        {"duplicate_sections", "[NUV]\r\nPORTTYPE=COM1\r\n[OTHER]\r\nIP=2.2.2.2\r\n"
                               "[NUV]\r\nIP=3.3.3.3\r\nPORTTYPE=LPT1\r\n"},
        {"no_section", "PORTTYPE=COM1\r\nIP=4.4.4.4\r\n"},
        {"other_section_first", "[OTHER]\r\nPORTTYPE=LPT3\r\n[NUV]\r\nIP=5.5.5.5\r\n"},
        {"spaced_section", "[ NUV ]\r\nPORTTYPE=COM1\r\n[NUV]\r\nIP=6.6.6.6\r\n"},
        {"unclosed_section", "[NUV\r\nPORTTYPE=COM1\r\n"},
        {"key_without_equals", "[NUV]\r\nPORTTYPE\r\nPORTTYPE=COM2\r\nIP\r\n"},
        {"empty_values", "[NUV]\r\nPORTTYPE=\r\nIP=   \r\nBAUDRATE=\r\nTCPPORT= \r\n"},
        {"odd_equals", "[NUV]\r\n=COM1\r\nPORTTYPE==COM1\r\nIP = a = b\r\n"},
        {"integers", "[NUV]\r\nBAUDRATE=  -42x\r\nTCPPORT=+7\r\n"},
        {"integers_odd", "[NUV]\r\nBAUDRATE=abc\r\nTCPPORT=0x10\r\n"},
        {"integers_prefix", "[NUV]\r\nBAUDRATE=0X10\r\nTCPPORT=0b101\r\nIP=0o17\r\n"
                            "MODELNAME=010\r\nFWNAME=-0x1F\r\nJUNK=0xffffffff\r\n"},
        {"integers_prefix_odd", "[NUV]\r\nBAUDRATE= +0x10\r\nTCPPORT=0x\r\nIP=0b2\r\n"
                                "MODELNAME=0xg\r\nFWNAME=- 5\r\nJUNK=0o9\r\n"},
        {"integers_wrap", "[NUV]\r\nBAUDRATE=4294967297\r\nTCPPORT=99999999999999999999999\r\n"},
        {"long_value", "[NUV]\r\nPORTTYPE=" + v300 + "\r\nIP=" + v259 + "\r\n"},
        {"long_quoted", "[NUV]\r\nPORTTYPE=\"" + v300 + "\"\r\nIP=\"" + v259 +
                            "\"\r\n"
                            "MODELNAME=\"" +
                            std::string(258, 'k') + "\"\r\n"},
        {"mega_line", "[NUV]\r\nJUNK=" + mega + "\r\nPORTTYPE=COM7\r\nIP=" + mega + "\r\n"},
        {"blank_lines_and_tabs", "\r\n\r\n\t[NUV]\t\r\n\r\n\t\tPORTTYPE\t=\tCOM8\t\r\n\r\n"},
        {"utf8_bom", "\xEF\xBB\xBF[NUV]\r\nPORTTYPE=COM9\r\n"},
        {"ctrl_z", "[NUV]\r\nPORTTYPE=COM1\x1a\r\n\x1a"},
        {"empty_file", ""},
    };
}

const char* const kKeys[] = {"PORTTYPE",  "IP",     "BAUDRATE", "TCPPORT",
                             "MODELNAME", "FWNAME", "JUNK"};

std::string tempDirectory() {
    char buffer[MAX_PATH + 1] = {};
    GetTempPathA(sizeof buffer, buffer);
    std::string dir = std::string(buffer) + "mirelith_ini_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

TEST(IniAgreement, OurReaderAgreesWithTheProfileFunctions) {
    const std::string dir = tempDirectory();
    for (const IniCase& c : iniCases()) {
        const std::string path = dir + "\\" + c.name + ".ini";
        {
            std::ofstream out(path, std::ios::binary);
            out << c.content;
        }
        for (const char* key : kKeys) {
            SCOPED_TRACE(std::string(c.name) + " / " + key);
            char buffer[260] = {};
            GetPrivateProfileStringA("NUV", key, "", buffer, sizeof buffer, path.c_str());
            EXPECT_EQ(readProfileString(systemFileSystem(), path, "NUV", key), buffer);
            const int32_t platformInt =
                static_cast<int32_t>(GetPrivateProfileIntA("NUV", key, 115200, path.c_str()));
            EXPECT_EQ(readProfileInt(systemFileSystem(), path, "NUV", key, 115200), platformInt);
        }
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(dir.c_str());
}

TEST(IniAgreement, MissingFileGivesTheDefaults) {
    const std::string path = tempDirectory() + "\\does_not_exist.ini";
    char buffer[260] = {'x'};
    GetPrivateProfileStringA("NUV", "PORTTYPE", "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(readProfileString(systemFileSystem(), path, "NUV", "PORTTYPE"), buffer);
    EXPECT_EQ(readProfileInt(systemFileSystem(), path, "NUV", "BAUDRATE", 77),
              static_cast<int32_t>(GetPrivateProfileIntA("NUV", "BAUDRATE", 77, path.c_str())));
}

} // namespace
#endif

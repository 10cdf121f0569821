// Signing: a throwaway CA with code-signing, timestamping and other
// certificates made with openssl; the key checks that name the file at
// fault; signed programs that osslsigncode verifies; signed packs that are
// byte-identical run after run; failures that leave nothing behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

#include "tools/setupkit/commands.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/fileio.h"
#include "tools/setupkit/lz.h"
#include "tools/setupkit/pack.h"
#include "tools/setupkit/signing.h"

using namespace setupkit;
namespace fs = std::filesystem;

namespace {

bool Have(const char *program)
{
    return system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Capture(const std::string &command)
{
    std::string output;
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    size_t got;
    while (pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    if (pipe) pclose(pipe);
    return output;
}

void Put(Bytes &data, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) data[at + i] = (uint8_t)(value >> (8 * i));
}

// The smallest PE32 program osslsigncode takes: headers and one section.
Bytes TinyProgram(uint8_t fill)
{
    enum { FileAlign = 0x200, PeAt = 0x40, Optional = PeAt + 24, Sections = Optional + 224 };
    Bytes data(2 * FileAlign, 0);
    data[0] = 'M', data[1] = 'Z';
    Put(data, 0x3c, PeAt, 4);
    data[PeAt] = 'P', data[PeAt + 1] = 'E';
    Put(data, PeAt + 4, 0x14c, 2);      // i386
    Put(data, PeAt + 6, 1, 2);          // one section
    Put(data, PeAt + 20, 224, 2);       // optional header size
    Put(data, PeAt + 22, 0x0102, 2);    // executable, 32-bit
    Put(data, Optional, 0x10b, 2);      // PE32
    Put(data, Optional + 4, FileAlign, 4);
    Put(data, Optional + 16, 0x1000, 4);  // entry point
    Put(data, Optional + 28, 0x400000, 4);
    Put(data, Optional + 32, 0x1000, 4);  // section alignment
    Put(data, Optional + 36, FileAlign, 4);
    Put(data, Optional + 40, 4, 2);       // operating system 4.0
    Put(data, Optional + 48, 4, 2);       // subsystem 4.0
    Put(data, Optional + 56, 0x2000, 4);  // image size
    Put(data, Optional + 60, FileAlign, 4);
    Put(data, Optional + 68, 2, 2);       // GUI
    Put(data, Optional + 72, 0x100000, 4);
    Put(data, Optional + 76, 0x1000, 4);
    Put(data, Optional + 80, 0x100000, 4);
    Put(data, Optional + 84, 0x1000, 4);
    Put(data, Optional + 92, 16, 4);  // data directories
    memcpy(&data[Sections], ".text", 5);
    Put(data, Sections + 8, FileAlign, 4);
    Put(data, Sections + 12, 0x1000, 4);
    Put(data, Sections + 16, FileAlign, 4);
    Put(data, Sections + 20, FileAlign, 4);
    Put(data, Sections + 36, 0x60000020, 4);
    for (size_t i = FileAlign; i < data.size(); ++i) data[i] = fill;
    return data;
}

void WriteText(const std::string &path, const std::string &text)
{
    fs::create_directories(fs::path(path).parent_path());
    WriteFileAtomic(path, Bytes(text.begin(), text.end()));
}

// A throwaway CA and what it signed, made once for all tests.
struct Keys {
    std::string Dir;
    bool Made = false;
    std::string Log;

    Keys()
    {
        Dir = testing::TempDir() + "sign-keys-" + std::to_string(getpid());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        WriteText(Dir + "/ext.cnf",
                  "[req]\ndistinguished_name=dn\n[dn]\n"
                  "[ca]\nbasicConstraints=critical,CA:true\nkeyUsage=critical,keyCertSign\n"
                  "[code]\nbasicConstraints=CA:false\nkeyUsage=critical,digitalSignature\n"
                  "extendedKeyUsage=codeSigning\n"
                  "[tsa]\nbasicConstraints=CA:false\nkeyUsage=critical,digitalSignature\n"
                  "extendedKeyUsage=critical,timeStamping\n"
                  "[server]\nbasicConstraints=CA:false\nextendedKeyUsage=serverAuth\n");
        WriteText(Dir + "/pass.txt", "right horse\n");
        WriteText(Dir + "/wrong.txt", "battery staple\n");
        std::string script =
            "set -e; cd '" + Dir + "'\n"
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650"
            " -subj /CN=Throwaway-CA -config ext.cnf -extensions ca\n"
            "issue() { openssl req -newkey rsa:2048 -nodes -keyout $1.key -out $1.csr -subj /CN=$1;"
            " openssl x509 -req -in $1.csr -CA ca.pem -CAkey ca.key -set_serial $2 -days 30"
            " -out $1.pem -extfile ext.cnf -extensions $3; }\n"
            "issue code 2 code; issue other 3 code; issue tsa 4 tsa; issue web 5 server\n"
            "openssl pkey -in code.key -aes256 -passout file:pass.txt -out code-locked.key\n"
            "openssl pkcs12 -export -in code.pem -inkey code.key -passout file:pass.txt"
            " -out code.p12\n";
        WriteText(Dir + "/make.sh", script);
        Log = Capture("bash '" + Dir + "/make.sh'");
        Made = fs::exists(Dir + "/code.p12");
    }
    ~Keys() { fs::remove_all(Dir); }
    std::string operator[](const std::string &name) const { return Dir + "/" + name; }
};

const Keys &TheKeys()
{
    static Keys keys;
    return keys;
}

#define NEED_TOOLS()                                                                      \
    do {                                                                                  \
        if (!Have("openssl") || !Have("osslsigncode"))                                    \
            GTEST_SKIP() << "needs openssl and osslsigncode";                             \
        ASSERT_TRUE(TheKeys().Made) << TheKeys().Log;                                      \
    } while (0)

SigningOptions Pem(const std::string &cert, const std::string &key, const std::string &pass = "")
{
    const Keys &keys = TheKeys();
    SigningOptions options;
    options.CertPath = keys[cert];
    options.KeyPath = key.empty() ? "" : keys[key];
    options.PassFile = pass.empty() ? "" : keys[pass];
    return options;
}

std::string Verify(const std::string &program)
{
    const Keys &keys = TheKeys();
    return Capture("osslsigncode verify -CAfile '" + keys["ca.pem"] + "' -TSA-CAfile '" +
                   keys["ca.pem"] + "' -in '" + program + "'");
}

}  // namespace

TEST(Sign, KeyChecksNameTheFileAtFault)
{
    NEED_TOOLS();
    const int64_t now = (int64_t)time(nullptr);
    const int64_t day = 86400;
    struct Case {
        const char *Name;
        SigningOptions Options;
        int64_t Now;
        const char *Expected;  // the file:message start; empty: accepted
    };
    const Case cases[] = {
        {"PEM certificate and key", Pem("code.pem", "code.key"), now, ""},
        {"encrypted key, its password", Pem("code.pem", "code-locked.key", "pass.txt"), now, ""},
        {"PKCS#12, its password", Pem("code.p12", "", "pass.txt"), now, ""},
        {"encrypted key, wrong password", Pem("code.pem", "code-locked.key", "wrong.txt"), now,
         "code-locked.key: wrong password"},
        {"encrypted key, no password", Pem("code.pem", "code-locked.key"), now,
         "code-locked.key: is encrypted"},
        {"PKCS#12, wrong password", Pem("code.p12", "", "wrong.txt"), now, "code.p12: wrong password"},
        {"key of another certificate", Pem("code.pem", "other.key"), now,
         "other.key: the private key does not match"},
        {"PEM certificate without its key", Pem("code.pem", ""), now, "code.pem: not a PKCS#12 file"},
        {"expired", Pem("code.pem", "code.key"), now + 60 * day, "code.pem: the certificate has expired"},
        {"not valid yet", Pem("code.pem", "code.key"), now - 2 * day, "code.pem: the certificate is not valid yet"},
        {"a server certificate", Pem("web.pem", "web.key"), now, "web.pem: the certificate is not for code signing"},
        {"a timestamping certificate", Pem("tsa.pem", "tsa.key"), now, "tsa.pem: the certificate is not for code signing"},
        {"a key for a certificate", Pem("code.key", "code.key"), now, "code.key: not a certificate"},
        {"missing password file", Pem("code.pem", "code-locked.key", "nowhere.txt"), now, "nowhere.txt:"},
    };
    for (const Case &c : cases) {
        std::string message;
        try {
            CheckSigningKey(c.Options, c.Now);
        } catch (const Error &error) {
            message = error.what();
        }
        if (!*c.Expected) {
            EXPECT_EQ(message, "") << c.Name;
        } else {
            EXPECT_NE(message.find(std::string("/") + c.Expected), std::string::npos)
                << c.Name << ": " << message;
        }
    }
}

TEST(Sign, OptionsThatNeedEachOther)
{
    struct Case {
        const char *Name;
        SigningOptions Options;
        bool Accepted;
    };
    SigningOptions keyOnly, tsaHalf, both, plain;
    keyOnly.KeyPath = "k";
    tsaHalf.CertPath = "c", tsaHalf.TsaCert = "t";
    both.CertPath = "c", both.TsaCert = "t", both.TsaKey = "k", both.TimestampUrl = "http://x";
    plain.CertPath = "c", plain.TimestampUrl = "http://x";
    const Case cases[] = {{"key without certificate", keyOnly, false},
                          {"half a local authority", tsaHalf, false},
                          {"server and local authority", both, false},
                          {"certificate and server", plain, true},
                          {"nothing", SigningOptions(), true}};
    for (const Case &c : cases) {
        bool accepted = true;
        try {
            CheckSigningOptions(c.Options);
        } catch (const Error &) {
            accepted = false;
        }
        EXPECT_EQ(accepted, c.Accepted) << c.Name;
    }
}

// Signed with a fixed time the signature is the same every run; the local
// timestamping authority's token carries a serial number of its own.
TEST(Sign, SignedProgramsVerifyAndRepeat)
{
    NEED_TOOLS();
    const Keys &keys = TheKeys();
    SigningOptions options = Pem("code.pem", "code.key");
    options.Time = 1700000000;
    Bytes program = TinyProgram(0xc3);
    Bytes once = SignProgram(program, "tiny.exe", "Tiny Setup", options);
    Bytes again = SignProgram(program, "tiny.exe", "Tiny Setup", options);
    EXPECT_TRUE(once == again) << "two signatures of the same program differ";
    EXPECT_GT(once.size(), program.size());
    WriteFileAtomic(keys["signed.exe"], once);
    std::string verified = Verify(keys["signed.exe"]);
    EXPECT_NE(verified.find("Signature verification: ok"), std::string::npos) << verified;
    EXPECT_NE(verified.find("Tiny Setup"), std::string::npos) << verified;

    // Not a program: osslsigncode's refusal names it.
    try {
        SignProgram(Bytes(100, 'x'), "notes.txt", "", Pem("code.pem", "code.key"));
        FAIL() << "signed a text file";
    } catch (const Error &error) {
        EXPECT_EQ(std::string(error.what()).rfind("notes.txt: cannot sign it", 0), 0u) << error.what();
    }

    // The local authority stamps the signing time (within its certificate's
    // days). Debian 12's osslsigncode 2.5 has no local authority; 2.6 on has.
    if (Capture("osslsigncode sign --help").find("-TSA-certs") == std::string::npos)
        GTEST_SKIP() << "this osslsigncode has no local timestamping authority (-TSA-certs)";
    options.TsaCert = keys["tsa.pem"], options.TsaKey = keys["tsa.key"];
    options.Time = (int64_t)time(nullptr) / 60 * 60 + 60;
    WriteFileAtomic(keys["stamped.exe"], SignProgram(program, "tiny.exe", "", options));
    verified = Verify(keys["stamped.exe"]);
    EXPECT_NE(verified.find("Timestamp Server Signature verification: ok"), std::string::npos)
        << verified;
    time_t stamp = (time_t)options.Time;
    char expected[64];
    strftime(expected, sizeof expected, "Timestamp time: %b %e %H:%M:%S %Y", gmtime(&stamp));
    EXPECT_NE(verified.find(expected), std::string::npos) << expected << "\n" << verified;
}

// `setupkit sign` signs everything or changes nothing.
TEST(Sign, SignCommandChangesNothingOnFailure)
{
    NEED_TOOLS();
    const Keys &keys = TheKeys();
    const std::string a = keys["a.exe"], b = keys["b.exe"], text = keys["c.txt"];
    WriteFileAtomic(a, TinyProgram(1));
    WriteFileAtomic(b, TinyProgram(2));
    WriteFileAtomic(text, Bytes(300, 't'));
    const Arguments good = {a, b, "--cert", keys["code.pem"], "--key", keys["code.key"]};
    struct Case {
        const char *Name;
        Arguments Args;
    };
    const Case failing[] = {
        {"a file that is no program", {a, text, "--cert", keys["code.pem"], "--key", keys["code.key"]}},
        {"wrong password", {a, b, "--cert", keys["code.p12"], "--pass-file", keys["wrong.txt"]}},
        {"mismatched key", {a, b, "--cert", keys["code.pem"], "--key", keys["other.key"]}},
    };
    for (const Case &c : failing) {
        EXPECT_THROW(RunSign(c.Args), Error) << c.Name;
        EXPECT_TRUE(ReadFileBytes(a) == TinyProgram(1)) << c.Name << ": a.exe changed";
        EXPECT_TRUE(ReadFileBytes(b) == TinyProgram(2)) << c.Name << ": b.exe changed";
    }
    ASSERT_EQ(RunSign(good), 0);
    for (const std::string &program : {a, b})
        EXPECT_NE(Verify(program).find("Signature verification: ok"), std::string::npos) << program;
}

namespace {

struct PackWork {
    std::string Dir;
    PackWork()
    {
        Dir = testing::TempDir() + "sign-pack-" + std::to_string(getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(Dir);
        WriteText(Dir + "/product/readme.txt", std::string(3000, 'r'));
        WriteText(Dir + "/setup.auth",
                  "[Title]\nDlgTitle=Signed App\n[Files]\n3,readme.txt,readme.txt\n");
        WriteFileAtomic(Dir + "/SETUP.EXE", TinyProgram(0x90));
        WriteFileAtomic(Dir + "/UNINST.EXE", TinyProgram(0x91));
    }
    ~PackWork() { fs::remove_all(Dir); }
    PackOptions Options(const SigningOptions &signing) const
    {
        PackOptions options;
        options.AuthoringPath = Dir + "/setup.auth";
        options.ProductDir = Dir + "/product";
        options.OutDir = Dir + "/out";
        options.SetupExe = Dir + "/SETUP.EXE";
        options.UninstExe = Dir + "/UNINST.EXE";
        options.Uninstaller = true;
        options.FixedTime = 1600000000;
        options.Signing = signing;
        return options;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(Dir)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::map<std::string, Bytes> Tree(const std::string &dir)
{
    std::map<std::string, Bytes> files;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] = ReadFileBytes(entry.path().string());
    return files;
}

}  // namespace

TEST(Sign, PackSignsBothProgramsTheSameEveryRun)
{
    NEED_TOOLS();
    PackWork work;
    PackOptions options = work.Options(Pem("code.pem", "code-locked.key", "pass.txt"));
    Pack(options);
    std::map<std::string, Bytes> first = Tree(work.Dir + "/out");
    sleep(1);  // a clock that leaked in would show
    Pack(options);
    EXPECT_TRUE(first == Tree(work.Dir + "/out")) << "two signed packs differ";

    std::string setup = work.Dir + "/out/disk1/SETUP.EXE", uninst = work.Dir + "/uninst.exe";
    WriteFileAtomic(uninst, ExpandLz(ReadFileBytes(work.Dir + "/out/disk1/UNINST.EX_"), "UNINST.EX_").Data);
    for (const std::string &program : {setup, uninst}) {
        std::string verified = Verify(program);
        EXPECT_NE(verified.find("Signature verification: ok"), std::string::npos) << program << verified;
    }
    EXPECT_NE(Verify(setup).find("Signed App Setup"), std::string::npos);
    EXPECT_NE(Verify(uninst).find("Uninstall Signed App"), std::string::npos);
}

TEST(Sign, PackThatCannotSignLeavesNothing)
{
    NEED_TOOLS();
    struct Case {
        const char *Name;
        SigningOptions Signing;
        const char *Named;
    };
    const Case cases[] = {
        {"wrong password", Pem("code.pem", "code-locked.key", "wrong.txt"), "code-locked.key"},
        {"mismatched key", Pem("code.pem", "other.key"), "other.key"},
        {"not for code signing", Pem("web.pem", "web.key"), "web.pem"},
    };
    for (const Case &c : cases) {
        PackWork work;
        std::vector<std::string> before = work.Names();
        try {
            Pack(work.Options(c.Signing));
            ADD_FAILURE() << c.Name << ": packed";
        } catch (const Error &error) {
            EXPECT_NE(std::string(error.what()).find(c.Named), std::string::npos)
                << c.Name << ": " << error.what();
        }
        EXPECT_EQ(work.Names(), before) << c.Name << ": left something behind";
    }
}

// The start of validity comes back, for pack's signing time: the fixture's
// certificates were issued moments ago.
TEST(Sign, KeyCheckGivesTheCertificateStart)
{
    NEED_TOOLS();
    const int64_t now = (int64_t)time(nullptr);
    const int64_t start = CheckSigningKey(Pem("code.pem", "code.key"), now);
    EXPECT_LE(start, now);
    EXPECT_GT(start, now - 3600);
}

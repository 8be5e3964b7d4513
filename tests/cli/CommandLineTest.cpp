// The kelvora command line, run as a user runs it.
#include "../assembly/PackageFixtures.h"
#include "PdfText.h"
#include "platform/Cp1252.h"
#include "rtf2html/GroupScanner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

bool Exists(const std::string& name) { return std::ifstream(name).good(); }

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun Kelvora(const std::vector<std::string>& args, const std::string& standardOutput = "cli-out.txt") {
    std::string cmd = KELVORA_EXE;
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + standardOutput + " 2>cli-err.txt </dev/null";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile("cli-out.txt"), ReadFile("cli-err.txt")};
}

// Each test runs in a fresh folder of its own, so tests running side by side never
// share their files.
class InScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_EQ(chdir(folder.path().toLocal8Bit().constData()), 0);
    }
    QTemporaryDir folder;
};

using EvalCommand = InScratchFolder;
using Samples = InScratchFolder;

TEST_F(EvalCommand, PrintsValuesAsTheMergeFormatsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"10-2-3", "       11.00\n"}, {"12/05/2001", "     4802.40\n"}, {"150*2", "      300.00\n"},
        {"2+3*(4-1)-5", "       -4.00\n"}, {"555-1234", "     -679.00\n"}, {"7", "        7.00\n"},
    };
    for (const auto& [expr, out] : cases) {
        const CliRun r = Kelvora({"eval", expr});
        EXPECT_EQ(r.status, 0) << expr;
        EXPECT_EQ(r.out, out) << expr;
    }
    for (const char* bad : {"-2-3", "1/0", "(1+2"}) {
        const CliRun r = Kelvora({"eval", bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
    }
    EXPECT_EQ(Kelvora({"eval", "(1+2"}).err, "missing ')'\n");
}

class MergeCommand : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        WriteFile("letter.tem", "{\\rtf1 Dear @1,\\par Fee: @2\\par Time: @3\\par Regards @1\\par}\n");
        // LF breaks and no final break: read as the information editor shows them
        WriteFile("letter.inf", "Client\nMr J. Brown\r\nFee\r150*2\nTime\n1/2 day");
    }
};

TEST_F(MergeCommand, InsertModeWorkedExample) {
    const CliRun r = Kelvora({"merge", "letter.tem", "letter.inf", "-o", "out.rtf"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "4 replacements were made\n");
    EXPECT_EQ(ReadFile("out.rtf"),
              "{\\rtf1 Dear Mr J. Brown,\\par Fee:       300.00\\par Time: 1/2 day\\par Regards Mr J. Brown\\par}\r\n");
    const CliRun toStdout = Kelvora({"merge", "letter.tem", "letter.inf"});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, ReadFile("out.rtf"));
}

TEST_F(MergeCommand, OverwriteModeWorkedExample) {
    WriteFile("form.tem", "Name: @1            Date: @2        \\par\n");
    WriteFile("form.inf", "Name\nMr J. Brown\nDate\n1 May\n");
    const CliRun r = Kelvora({"merge", "form.tem", "form.inf", "--overwrite", "-o", "out.rtf"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "2 replacements were made\n");
    EXPECT_EQ(ReadFile("out.rtf"), "Name: Mr J. Brown   Date: 1 May     \\par\r\n");
}

TEST_F(MergeCommand, AlsoWritesThePageThroughTheScratchFile) {
    const CliRun r = Kelvora({"merge", "letter.tem", "letter.inf", "--html", "out.html"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ""); // the page takes the place of standard output
    const std::string page = ReadFile("out.html");
    EXPECT_NE(page.find("<TITLE>$$$</TITLE>"), std::string::npos);
    EXPECT_NE(page.find("Regards Mr J. Brown"), std::string::npos);
    EXPECT_FALSE(Exists("$$$"));
}

// The page is the one a conversion of the merged text from "$$$" gives, but a
// user's own "$$$" in the current folder is neither used nor removed.
TEST_F(MergeCommand, PageNeedsNoScratchFileInTheCurrentFolder) {
    WriteFile("$$$", "the user's own file");
    ASSERT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-o", "merged.rtf", "--html", "out.html"}).status, 0);
    EXPECT_EQ(ReadFile("$$$"), "the user's own file");
    ASSERT_EQ(mkdir("elsewhere", 0755), 0);
    WriteFile("elsewhere/$$$", ReadFile("merged.rtf"));
    ASSERT_EQ(chdir("elsewhere"), 0);
    ASSERT_EQ(Kelvora({"html", "$$$", "expected.html"}).status, 0);
    EXPECT_EQ(ReadFile("../out.html"), ReadFile("expected.html"));
}

// A full disk behind standard output is a failure, as a failed file write is.
TEST_F(MergeCommand, WriteErrorsOnStandardOutputAreErrors) {
    const std::vector<std::string> cases[] = {
        {"merge", "letter.tem", "letter.inf"},
        {"eval", "150*2"},
        {"text", "letter.inf"},
        {"--help"},
        {"--version"},
    };
    for (const auto& args : cases) {
        const CliRun r = Kelvora(args, "/dev/full");
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("Stream write error"), std::string::npos) << args[0] << ": " << r.err;
        EXPECT_EQ(r.err.find("replacements were made"), std::string::npos);
    }
}

// Outputs are replaced whole or not at all: a read-only page is refused, the old one kept.
TEST_F(MergeCommand, ReadOnlyOutputsAreRefusedAndKept) {
    for (const char* name : {"ro.html", "ro.rtf"}) {
        WriteFile(name, "previous");
        chmod(name, 0444);
    }
    const struct {
        std::vector<std::string> args;
        const char* target;
    } cases[] = {
        {{"merge", "letter.tem", "letter.inf", "-o", "ro.rtf"}, "ro.rtf"},
        {{"merge", "letter.tem", "letter.inf", "--html", "ro.html"}, "ro.html"},
        {{"html", "letter.tem", "ro.html"}, "ro.html"},
        {{"convert", "letter.tem", "ro.rtf"}, "ro.rtf"},
    };
    for (const auto& c : cases) {
        const CliRun r = Kelvora(c.args);
        EXPECT_EQ(r.status, 1) << c.args[0];
        EXPECT_EQ(r.err, std::string("Cannot create file ") + c.target + ": Permission denied\n");
        EXPECT_EQ(ReadFile(c.target), "previous");
    }
}

// Every failed page keeps the old one: nesting deeper than the converter takes, or
// a full disk (a file-size limit), whose message names the page, not the temporary.
TEST_F(MergeCommand, AFailedPageKeepsTheOldOne) {
    WriteFile("page.html", "previous");
    const size_t tooDeep = rtf2html::kMaxGroupDepth + 1;
    WriteFile("deep.rtf", "{\\rtf1 " + std::string(tooDeep, '{') + "caf\xE9" + std::string(tooDeep, '}') + "}");
    CliRun r = Kelvora({"html", "deep.rtf", "page.html"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nested more than"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile("page.html"), "previous");

    std::string big = "{\\rtf1\\ansi ";
    for (int i = 0; i < 2000; ++i) big += "Caf\xE9 \x80 paragraph " + std::to_string(i) + "\\par\n";
    WriteFile("big.rtf", big + "}");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const int raw = std::system((std::string("ulimit -f 4; ") + KELVORA_EXE + " html big.rtf page.html 2>cli-err.txt").c_str());
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(ReadFile("cli-err.txt"), "Cannot write file page.html: File too large\n");
    EXPECT_EQ(ReadFile("page.html"), "previous");
    int hidden = 0; // no temporary is left behind
    for (const auto& entry : std::filesystem::directory_iterator("."))
        hidden += entry.path().filename().string()[0] == '.';
    EXPECT_EQ(hidden, 0);
}

TEST_F(MergeCommand, InformationFileSavedAsRtfIsReadAsTheEditorShowsIt) {
    WriteFile("rich.inf", "{\\rtf1\\ansi Client\\par Mr {\\b J.} Brown\\par Fee\\par 150*2\\par Time\\par 1/2 day\\par}");
    const CliRun r = Kelvora({"merge", "letter.tem", "rich.inf"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "4 replacements were made\n");
    EXPECT_NE(r.out.find("Dear Mr J. Brown,\\par Fee:       300.00"), std::string::npos);
}

TEST_F(MergeCommand, MissingValueWritesNothing) {
    WriteFile("short.inf", "Client\nMr J. Brown\n");
    const CliRun r = Kelvora({"merge", "letter.tem", "short.inf", "-o", "out.rtf", "--html", "out.html"});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists("out.html"));
    EXPECT_EQ(r.err, "Your TEMPLATE file contains a value\nthat is not in the INFORMATION file \n the value is @2\n"
                     "Please use \"edit/ find\" to  correct the error \nand  re-save the template before proceeding\n");
    EXPECT_FALSE(Exists("out.rtf"));
}

TEST_F(MergeCommand, RefusedOverwriteWritesNothing) {
    WriteFile("tight.tem", "@1 @2\\par\n");
    WriteFile("tight.inf", "a\nMr J. Brown\nb\nx\n");
    WriteFile("out.rtf", "previous");
    const CliRun r = Kelvora({"merge", "tight.tem", "tight.inf", "--overwrite", "-o", "out.rtf"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("The programme wants to insert Mr J. Brown\nin place of @1"), std::string::npos);
    EXPECT_EQ(ReadFile("out.rtf"), "previous");
}

TEST_F(MergeCommand, FileAndUsageErrors) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"merge", "nowhere.tem", "letter.inf"}, "Cannot open file nowhere.tem\n"},
        {{"merge", "letter.tem", "nowhere.inf"}, "Cannot open file nowhere.inf\n"},
        {{"merge", "letter.tem", "letter.inf", "-o", "no-dir/out.rtf"}, "Cannot create file no-dir/out.rtf: No such file or directory\n"},
    };
    for (const auto& [args, message] : cases) {
        const CliRun r = Kelvora(args);
        EXPECT_EQ(r.status, 1) << message;
        EXPECT_EQ(r.err, message);
    }
    for (const auto& args : std::vector<std::vector<std::string>>{{"merge"}, {"merge", "a"}, {"merge", "a", "b", "--bogus"},
                                                                  {"merge", "a", "b", "-o"}, {"no-such-command", "x"}, {"--helps"}, {"--help", "merge"}}) {
        const CliRun r = Kelvora(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

// --help and --version answer on standard output and succeed, as a desktop's tools expect.
TEST_F(InScratchFolder, HelpAndVersionSucceedOnStandardOutput) {
    CliRun r = Kelvora({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const char* command : {"usage: kelvora [FILE]", "kelvora merge TEMPLATE INFO", "kelvora html", "kelvora eval",
                                "kelvora text", "kelvora convert", "--version", "kelvorahelp.htm"})
        EXPECT_NE(r.out.find(command), std::string::npos) << command;

    // Every form a command's own usage message gives, with all its options.
    const std::string help = r.out;
    for (const char* command : {"merge", "check", "html", "eval", "text", "convert", "print"}) {
        const CliRun usage = Kelvora({command});
        ASSERT_EQ(usage.status, 1) << command;
        std::istringstream lines(usage.err);
        int forms = 0;
        for (std::string line; std::getline(lines, line);) {
            const size_t at = line.find("kelvora ");
            if (at == std::string::npos) continue;
            ++forms;
            EXPECT_NE(help.find(line.substr(at)), std::string::npos) << line;
        }
        EXPECT_GT(forms, 0) << command << ": " << usage.err;
    }

    r = Kelvora({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "kelvora " KELVORA_VERSION "\n");
}

TEST_F(Samples, BundledPairsMerge) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    CliRun r = Kelvora({"merge", dir + "engagement-letter.tem", dir + "engagement-letter.inf"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "12 replacements were made\n");
    EXPECT_NE(r.out.find("fee of \\u163?     2880.00."), std::string::npos);
    EXPECT_EQ(r.out.find('@'), std::string::npos);

    r = Kelvora({"merge", dir + "remittance-form.tem", dir + "remittance-form.inf", "--overwrite"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "14 replacements were made\n");
    EXPECT_NE(r.out.find("Total due:       801.00   \\par"), std::string::npos);
    // Overwrite mode keeps every line's length, so the columns stay put.
    EXPECT_EQ(r.out.size(), ReadFile(dir + "remittance-form.tem").size());
}

// A name with each kind of character, from a UTF-8 and (where it fits) a Windows-1252
// information file, along every road of the command line: the merged letter read back
// with `kelvora text`, the check report, the refused-overwrite message and the HTML.
TEST_F(MergeCommand, NamesWithAnyCharacterSurviveEveryRoad) {
    struct Case {
        const char* what;
        std::string name; // UTF-8
        std::string html; // how the HTML page writes it (Windows-1252 bytes and references)
    };
    const Case cases[] = {
        {"e acute", "Caf\xC3\xA9 Noir", "Caf\xE9 Noir"},
        {"u umlaut", "M\xC3\xBCller", "M\xFCller"},
        {"sharp s", "Stra\xC3\x9F" "e", "Stra\xDF" "e"},
        {"pound", "\xC2\xA3 5", "\xA3 5"},
        {"euro", "\xE2\x82\xAC 5", "\x80 5"},
        {"pilcrow", "\xC2\xB6 3", "\xB6 3"},
        {"guillemets and L stroke", "\xC2\xAB\xC5\x81ukasz\xC2\xBB", "\xAB&#321;ukasz\xBB"},
        {"emoji", "Smile \xF0\x9F\x98\x80", "Smile &#128512;"},
    };
    WriteFile("name.tem", "{\\rtf1\\ansi Dear @1,\\par}\n");
    WriteFile("tight.tem", "{\\rtf1\\ansi @1 @2\\par}\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string cp1252 = Platform::Utf8ToCp1252(c.name);
        std::vector<std::string> files = {"Client\n" + c.name + "\nb\nx\n"};
        if (Platform::Cp1252ToUtf8(cp1252) == c.name) files.push_back("Client\r\n" + cp1252 + "\r\nb\r\nx\r\n");
        for (const std::string& info : files) {
            WriteFile("name.inf", info);
            const CliRun merged = Kelvora({"merge", "name.tem", "name.inf", "-o", "out.rtf", "--html", "out.html"});
            ASSERT_EQ(merged.status, 0) << merged.err;
            EXPECT_NE(Kelvora({"text", "out.rtf"}).out.find("Dear " + c.name + ","), std::string::npos);
            EXPECT_NE(ReadFile("out.html").find("Dear " + c.html + ","), std::string::npos) << ReadFile("out.html");
            const CliRun check = Kelvora({"check", "name.tem", "name.inf"});
            EXPECT_NE(check.out.find("\"Client\" = \"" + c.name + "\""), std::string::npos) << check.out;
            const CliRun refused = Kelvora({"merge", "tight.tem", "name.inf", "--overwrite"});
            EXPECT_NE(refused.err.find("The programme wants to insert " + c.name + "\n"), std::string::npos)
                << refused.err;
        }
    }
}

using CheckCommand = MergeCommand;

TEST_F(CheckCommand, ExitStatusSaysWhetherTheMergeIsClean) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    CliRun r = Kelvora({"check", dir + "engagement-letter.tem", dir + "engagement-letter.inf"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("The merge would succeed."), std::string::npos) << r.out;

    WriteFile("split.tem", "{\\rtf1 Dear @}{\\b\\insrsid7 1}{,\\par Fee @2 @7\\par}\n");
    r = Kelvora({"check", "split.tem", "letter.inf"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.out.find("SPLIT MARKER: you wrote @1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("@7  at"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("line 5 \"Time\" = \"1/2 day\""), std::string::npos) << r.out; // unused

    EXPECT_EQ(Kelvora({"check", "split.tem", "nowhere.inf"}).status, 1);
    EXPECT_EQ(Kelvora({"check", "nowhere.tem", "letter.inf"}).err, "Cannot open file nowhere.tem\n");
    EXPECT_NE(Kelvora({"check", "split.tem"}).err.find("usage:"), std::string::npos);
}

TEST_F(CheckCommand, JsonGivesTheSameFindingsForScripts) {
    WriteFile("form.tem", "@1 @2 @3\\par\n");
    const CliRun r = Kelvora({"check", "form.tem", "letter.inf", "--overwrite", "--json"});
    EXPECT_EQ(r.status, 4);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    const QJsonObject root = doc.object();
    EXPECT_EQ(root["mode"].toString(), "overwrite");
    EXPECT_FALSE(root["mergeWouldSucceed"].toBool());
    const QJsonArray findings = root["findings"].toArray();
    ASSERT_EQ(findings.size(), 4); // @1 and @2 would cover the next marker; @3 fits; "1/2 day" is a note
    const QJsonObject first = findings[0].toObject();
    EXPECT_EQ(first["kind"].toString(), "refused");
    EXPECT_EQ(first["outcome"].toString(), "overwrite-refused");
    EXPECT_EQ(first["position"].toInt(), 0);
    EXPECT_EQ(first["marker"].toString(), "@1");
    EXPECT_EQ(first["heading"].toString(), "Client");
    EXPECT_EQ(first["value"].toString(), "Mr J. Brown");
    EXPECT_TRUE(first["stopsMerge"].toBool());
    EXPECT_TRUE(first["reason"].toString().contains("which will overwrite a placemaker"));
    EXPECT_EQ(first["after"].toString(), "@1 @2 @3\\par\xC2\xB6"); // not RTF: shown as written
    EXPECT_EQ(findings[2].toObject()["kind"].toString(), "replaced");
    EXPECT_EQ(findings[3].toObject()["kind"].toString(), "not-evaluated");
}

using BatchMerge = MergeCommand;

TEST_F(BatchMerge, EachInformationFileGivesWhatASingleMergeGives) {
    WriteFile("brown.inf", "Client\nMr J. Brown\nFee\n150*2\nTime\n1/2 day\n");
    WriteFile("green.INF", "Client\r\nMrs Green\r\nFee\r\n75\r\nTime\r\n1 day\r\n");
    WriteFile("short.inf", "Client\nNobody\n");
    WriteFile("rich.inf", "{\\rtf1\\ansi Client\\par Mr {\\b J.} Brown\\par Fee\\par 5\\par Time\\par now\\par}");
    const CliRun r = Kelvora({"merge", "letter.tem", "brown.inf", "short.inf", "green.INF", "rich.inf", "nowhere.inf",
                              "-d", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("short.inf: Your TEMPLATE file contains a value that is not in the INFORMATION file the "
                         "value is @2 Please use"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nowhere.inf: Cannot open file nowhere.inf\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 merged, 2 failed\n"), std::string::npos) << r.err;
    for (const char* name : {"brown", "green", "rich"}) {
        const std::string info = std::string(name) + (std::string(name) == "green" ? ".INF" : ".inf");
        const CliRun single = Kelvora({"merge", "letter.tem", info});
        ASSERT_EQ(single.status, 0) << name;
        EXPECT_EQ(ReadFile(std::string("out/") + name + ".rtf"), single.out) << name;
    }
    EXPECT_FALSE(Exists("out/short.rtf"));
}

TEST_F(BatchMerge, DeepSumsOnEveryCoreGiveWhatTheSingleMergeGives) {
    // Hundreds of files whose fee is a long sum, merged on every core at once.
    std::string sum = "1";
    for (int i = 1; i < 1200; ++i) sum += "+1";
    const std::string fees[] = {sum, "(" + sum + ")*2", "sqrt(" + sum + "+96)"};
    ASSERT_EQ(mkdir("infs", 0755), 0);
    std::vector<std::string> args = {"merge", "letter.tem"};
    constexpr int kFiles = 240;
    for (int i = 0; i < kFiles; ++i) {
        args.push_back("infs/" + std::to_string(i) + ".inf");
        WriteFile(args.back(), "Client\nClient " + std::to_string(i % 3) + "\nFee\n" + fees[i % 3] + "\nTime\nnow\n");
    }
    args.insert(args.end(), {"-d", "out"});
    const CliRun r = Kelvora(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, std::to_string(kFiles) + " merged, 0 failed\n");
    const char* expectedFee[] = {"Fee:      1200.00\\par", "Fee:      2400.00\\par", "Fee:        36.00\\par"};
    for (int k = 0; k < 3; ++k) {
        const CliRun single = Kelvora({"merge", "letter.tem", "infs/" + std::to_string(k) + ".inf"});
        ASSERT_EQ(single.status, 0) << single.err;
        ASSERT_NE(single.out.find(expectedFee[k]), std::string::npos) << single.out.substr(0, 200);
        int differing = 0;
        for (int i = k; i < kFiles; i += 3) differing += ReadFile("out/" + std::to_string(i) + ".rtf") != single.out;
        EXPECT_EQ(differing, 0) << "of the documents like " << k << ".inf";
    }
}

TEST_F(BatchMerge, SpreadsheetRowsGiveWhatSingleMergesGive) {
    WriteFile("clients.csv",
              "Client,Fee,Time\r\n"
              "\"Brown, J.\",150*2,1/2 day\r\n"
              "\"Say \"\"Hi\"\"\",75,\"two\r\nlines\"\r\n"
              "write to a@b,1,x\r\n"
              "Green,,\r\n");
    const CliRun r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("row 4: Your TEMPLATE file contains a value that is not in the INFORMATION file the value "
                         "is @b"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 merged, 1 failed\n"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out/0004.rtf"));
    // Each row is the information file a person would write for it.
    const std::pair<const char*, const char*> rows[] = {
        {"0002", "Client\nBrown, J.\nFee\n150*2\nTime\n1/2 day\n"},
        {"0003", "Client\nSay \"Hi\"\nFee\n75\nTime\ntwo\\line lines\n"},
        {"0005", "Client\nGreen\nFee\n\nTime\n\n"},
    };
    for (const auto& [row, info] : rows) {
        WriteFile("row.inf", info);
        const CliRun single = Kelvora({"merge", "letter.tem", "row.inf"});
        ASSERT_EQ(single.status, 0) << row;
        EXPECT_EQ(ReadFile(std::string("out/") + row + ".rtf"), single.out) << row;
    }
}

// A row without the cell a marker needs fails as an information file without that
// value does; an empty cell is an empty value.
TEST_F(BatchMerge, ShortSpreadsheetRowFailsWithTheMergesMessage) {
    WriteFile("clients.csv", "Client,Fee,Time\r\n"
                             "Harrow & Fenwick LLP,150\r\n"
                             "\xC5\x81ukasz \xC2\xAB\xE2\x82\xAC\xC2\xBB,,\r\n"
                             "Brown\r\n");
    const CliRun r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out"});
    EXPECT_EQ(r.status, 1);
    for (const char* row : {"row 2", "row 4"})
        EXPECT_NE(r.err.find(std::string(row) + ": Your TEMPLATE file contains a value that is not in the "
                                                 "INFORMATION file the value is @"),
                  std::string::npos)
            << r.err;
    EXPECT_NE(r.err.find("1 merged, 2 failed\n"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out/0002.rtf"));
    EXPECT_FALSE(Exists("out/0004.rtf"));
    const std::string merged = ReadFile("out/0003.rtf");
    EXPECT_NE(merged.find("Fee: \\par"), std::string::npos) << merged;
}

TEST_F(BatchMerge, NamesFromAColumnAndEncodings) {
    // The same clients in UTF-8 and in Windows-1252, tab-separated, named by column 1.
    WriteFile("utf8.tsv", "Client\tFee\tTime\nM\xC3\xBCller/G\xC3\xB6rg\t5\tnow\n\t6\tlater\nBrown\t7\tsoon\nBrown\t8\tnever\n");
    WriteFile("cp1252.tsv", "Client\tFee\tTime\nM\xFCller/G\xF6rg\t5\tnow\n\t6\tlater\n");
    CliRun r = Kelvora({"merge", "letter.tem", "--data", "utf8.tsv", "-d", "a", "--name-column", "1"});
    EXPECT_EQ(r.status, 1) << r.err; // the second Brown would overwrite the first
    EXPECT_NE(r.err.find("row 5: another document of this batch is already named Brown.rtf"), std::string::npos)
        << r.err;
    EXPECT_NE(ReadFile("a/Brown.rtf").find("Fee: 7\\par"), std::string::npos);
    const std::string muller = ReadFile("a/M\xC3\xBCller_G\xC3\xB6rg.rtf");
    EXPECT_NE(muller.find("Dear M\xFCller/G\xF6rg,"), std::string::npos) << muller; // the merge's own bytes
    EXPECT_TRUE(Exists("a/0003.rtf")); // an empty name falls back to the row number

    r = Kelvora({"merge", "letter.tem", "--data", "cp1252.tsv", "-d", "b", "--name-column", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "2 merged, 0 failed\n");
    EXPECT_EQ(ReadFile("b/M\xC3\xBCller_G\xC3\xB6rg.rtf"), muller);
    EXPECT_EQ(ReadFile("b/0003.rtf"), ReadFile("a/0003.rtf"));
}

// Names from a column keep letters of any script, and are measured in the UTF-8
// bytes they are written in: 150 «€» are cut to fit, not refused as too long.
TEST_F(BatchMerge, NamesFromAColumnKeepEveryScript) {
    std::string euros;
    for (int i = 0; i < 150; ++i) euros += "\xE2\x82\xAC";
    WriteFile("utf8.csv", "Client,Fee,Time\n\xE5\xBC\xA0\xE4\xBC\x9F,5,now\n\xE6\x9D\x8E\xE5\xA8\x9C,6,later\n" + euros +
                              ",7,soon\n");
    WriteFile("cp1252.csv", "Client,Fee,Time\n" + std::string(150, '\x80') + ",7,soon\n");
    CliRun r = Kelvora({"merge", "letter.tem", "--data", "utf8.csv", "-d", "a", "--name-column", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "3 merged, 0 failed\n");
    std::string cut;
    for (int i = 0; i < 66; ++i) cut += "\xE2\x82\xAC"; // 198 bytes: a 67th would pass 200
    for (const std::string name : {"\xE5\xBC\xA0\xE4\xBC\x9F", "\xE6\x9D\x8E\xE5\xA8\x9C", cut.c_str()})
        EXPECT_TRUE(Exists("a/" + name + ".rtf")) << name;
    EXPECT_NE(ReadFile("a/\xE5\xBC\xA0\xE4\xBC\x9F.rtf").find("Dear \\u24352?\\u20255?,"), std::string::npos);
    r = Kelvora({"merge", "letter.tem", "--data", "cp1252.csv", "-d", "b", "--name-column", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Exists("b/" + cut + ".rtf"));
}

TEST_F(BatchMerge, Utf8SpreadsheetNamesBeyondTheCodePageArriveIntact) {
    // «Łukasz Wójcik»: «Ł» has no Windows-1252 byte, «ó» has one.
    const std::string name = "\xC5\x81ukasz W\xC3\xB3jcik";
    WriteFile("clients.csv", "Client,Fee,Time\r\n" + name + ",5,now\r\n\"" + name + "\r\nJr\",6,later\r\n");
    const CliRun r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string merged = ReadFile("out/0002.rtf");
    EXPECT_NE(merged.find("Dear \\u321?ukasz W\xF3jcik,"), std::string::npos) << merged;
    EXPECT_NE(ReadFile("out/0003.rtf").find("Dear \\u321?ukasz W\xF3jcik\\line Jr,"), std::string::npos);
    // The same as a single merge of a UTF-8 information file holding that row.
    WriteFile("row.inf", "Client\n" + name + "\nFee\n5\nTime\nnow\n");
    const CliRun single = Kelvora({"merge", "letter.tem", "row.inf"});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(merged, single.out);
    EXPECT_NE(Kelvora({"text", "out/0002.rtf"}).out.find("Dear " + name + ","), std::string::npos);
}

TEST_F(BatchMerge, UsageAndFolderErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"merge", "letter.tem", "-d", "out"},                                   // nothing to merge
             {"merge", "letter.tem", "letter.inf", "--data", "x.csv", "-d", "out"},  // both kinds
             {"merge", "letter.tem", "--data", "x.csv"},                             // no folder
             {"merge", "letter.tem", "letter.inf", "-d", "out", "-o", "x.rtf"},
             {"merge", "letter.tem", "--data", "x.csv", "-d", "out", "--name-column", "0"},
             {"merge", "letter.tem", "letter.inf", "--name-column", "1"}}) {
        const CliRun r = Kelvora(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args[2];
    }
    WriteFile("file", "");
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-d", "file"}).err,
              "Cannot create file file: it is not a folder\n");
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-d", "missing/out"}).err,
              "Cannot create file missing/out: No such file or directory\n");
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-o", "x.rtf", "--replace-existing"}).status, 1);
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "--data", "none.csv", "-d", "out"}).err, "Cannot open file none.csv\n");
}

// A batch never writes over one of its inputs, whatever name or link leads there,
// nor over a document already in the folder unless told to.
TEST_F(BatchMerge, InputsAndExistingDocumentsAreKept) {
    const std::string templateText = ReadFile("letter.tem");
    WriteFile("letter.rtf", templateText);
    std::filesystem::create_directory("out");
    WriteFile("out/rich.rtf", "{\\rtf1\\ansi Client\\par Mr {\\b J.} Brown\\par Fee\\par 5\\par Time\\par now\\par}");
    std::filesystem::create_symlink("../letter.tem", "out/letter.rtf");
    WriteFile("out/0002.rtf", "caf\xE9 \x80 \xB6 the user's own");
    WriteFile("clients.csv", "Client,Fee,Time\r\nBrown,5,now\r\nGreen,6,later\r\n");
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replacing" : "keeping");
        std::vector<std::string> args{"merge", "letter.rtf", "letter.inf", "-d", "."};
        if (replace) args.push_back("--replace-existing");
        CliRun r = Kelvora(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("./letter.rtf is an input of this batch; it is kept\n"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile("letter.rtf"), templateText);

        args = {"merge", "letter.tem", "out/rich.rtf", "letter.inf", "-d", "out"};
        if (replace) args.push_back("--replace-existing");
        r = Kelvora(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("out/rich.rtf is an input of this batch; it is kept\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("out/letter.rtf is an input of this batch; it is kept\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("0 merged, 2 failed\n"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile("letter.tem"), templateText);
        EXPECT_NE(ReadFile("out/rich.rtf").find("{\\b J.}"), std::string::npos);
    }

    CliRun r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("row 2: out/0002.rtf exists already; it is kept (--replace-existing replaces it)\n"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1 merged, 1 failed\n"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile("out/0002.rtf"), "caf\xE9 \x80 \xB6 the user's own");
    EXPECT_NE(ReadFile("out/0003.rtf").find("Dear Green,"), std::string::npos);

    chmod("out/0003.rtf", 0640);
    r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out", "--replace-existing"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "2 merged, 0 failed\n");
    EXPECT_NE(ReadFile("out/0002.rtf").find("Dear Brown,"), std::string::npos);
    struct stat st{};
    ASSERT_EQ(stat("out/0003.rtf", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u); // a replaced document keeps its mode

    WriteFile("out/0002.pdf", "the user's own");
    r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out", "--pdf"});
    EXPECT_NE(r.err.find("row 2: out/0002.pdf exists already; it is kept"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile("out/0002.pdf"), "the user's own");
    EXPECT_TRUE(Exists("out/0003.pdf"));
}

using PrintCommand = InScratchFolder;

std::string PdfText(const std::string& file) { return ReadablePdfText(QString::fromStdString(file)).toStdString(); }

TEST_F(PrintCommand, PrintsTheMergedLetterWithItsFooter) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    ASSERT_EQ(Kelvora({"merge", dir + "engagement-letter.tem", dir + "engagement-letter.inf", "-o", "letter.rtf"}).status, 0);
    const CliRun r = Kelvora({"print", "letter.rtf", "-o", "letter.pdf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string text = PdfText("letter.pdf");
    EXPECT_NE(text.find("Dear Mrs Eleanor Whitfield,"), std::string::npos);
    EXPECT_NE(text.find("fee of \u00a3 2880.00."), std::string::npos);
    EXPECT_NE(text.find("Page 1"), std::string::npos);
    EXPECT_EQ(text.find("Page 2"), std::string::npos);
}

TEST_F(PrintCommand, PlainTextWithAFormFeedPrintsTwoPages) {
    WriteFile("plain.txt", "caf\xe9 \x80 one\r\n\fsecond page\r\n");
    ASSERT_EQ(Kelvora({"print", "plain.txt", "-o", "two.pdf"}).status, 0);
    const std::string text = PdfText("two.pdf");
    const auto first = text.find("caf\u00e9 \u20ac one"), second = text.find("second page");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    // The footer of page 1 comes between the two texts.
    const auto footer1 = text.find("Page 1");
    EXPECT_TRUE(first < footer1 && footer1 < second);
    EXPECT_NE(text.find("Page 2", second), std::string::npos);
}

TEST_F(PrintCommand, FailuresKeepTheOldFileAndSayWhy) {
    WriteFile("old.pdf", "previous");
    CliRun r = Kelvora({"print", "missing.rtf", "-o", "old.pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot open file missing.rtf"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile("old.pdf"), "previous");
    for (const auto& args : std::vector<std::vector<std::string>>{{"print"}, {"print", "a.rtf"}, {"print", "a", "b", "-o", "c.pdf"}}) {
        r = Kelvora(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("usage: kelvora print IN -o OUT.pdf"), std::string::npos);
    }
}

using MergeToPdf = MergeCommand;

// A full disk (here a file-size limit) while the PDF is written: the old file stays,
// no temporary is left, and the message names the file and the cause.
TEST_F(MergeToPdf, AFullDiskKeepsTheOldFileAndSaysWhy) {
    WriteFile("letter.pdf", "previous");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // inherited: the write fails instead of killing
    const std::string cmd = std::string("ulimit -f 2; ") + KELVORA_EXE +
                            " merge letter.tem letter.inf --pdf letter.pdf 2>cli-err.txt </dev/null";
    const int raw = std::system(cmd.c_str());
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    const std::string err = ReadFile("cli-err.txt");
    EXPECT_EQ(err.rfind("Cannot write file letter.pdf: ", 0), 0u) << err;
    EXPECT_EQ(err.find("Not be able"), std::string::npos) << err;
    EXPECT_EQ(ReadFile("letter.pdf"), "previous");
    int names = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++names;
    EXPECT_EQ(names, 4); // letter.tem, letter.inf, letter.pdf, cli-err.txt
}

TEST_F(MergeToPdf, PrintsTheMergedDocumentAsCtrlPDoes) {
    CliRun r = Kelvora({"merge", "letter.tem", "letter.inf", "--pdf", "letter.pdf"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ""); // the PDF takes the place of standard output
    EXPECT_EQ(r.err, "4 replacements were made\n");
    const std::string text = PdfText("letter.pdf");
    EXPECT_NE(text.find("Dear Mr J. Brown,"), std::string::npos) << text;
    EXPECT_NE(text.find("300.00"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 1"), std::string::npos) << text; // the printer's footer
    // The same pages as printing the merged RTF through the print door.
    ASSERT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-o", "letter.rtf"}).status, 0);
    ASSERT_EQ(Kelvora({"print", "letter.rtf", "-o", "printed.pdf"}).status, 0);
    EXPECT_EQ(PdfText("printed.pdf"), text);
    // A failed merge prints nothing.
    WriteFile("short.inf", "Client\nMr J. Brown\n");
    r = Kelvora({"merge", "letter.tem", "short.inf", "--pdf", "short.pdf"});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists("short.pdf"));
}

TEST_F(MergeToPdf, OnePdfPerDocument) {
    WriteFile("clients.csv", "Client,Fee,Time\r\nBrown,150*2,now\r\nwrite to a@b,1,x\r\nGreen,75,later\r\n");
    const CliRun r = Kelvora({"merge", "letter.tem", "--data", "clients.csv", "-d", "out", "--pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("2 merged, 1 failed\n"), std::string::npos) << r.err;
    EXPECT_NE(PdfText("out/0002.pdf").find("Dear Brown,"), std::string::npos);
    EXPECT_NE(PdfText("out/0004.pdf").find("Regards Green"), std::string::npos);
    EXPECT_FALSE(Exists("out/0003.pdf"));
    EXPECT_FALSE(Exists("out/0002.rtf"));
}

} // namespace

// .docx and .odt templates from the command line: the sample letter saved by a word
// processor, its markers split by formatting and spelling marks.
using PackageTemplate = InScratchFolder;

TEST_F(PackageTemplate, SampleLettersMergeAsTheRtfLetterDoes) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    const CliRun rtf = Kelvora({"merge", dir + "engagement-letter.tem", dir + "engagement-letter.inf", "-o", "l.rtf"});
    ASSERT_EQ(rtf.status, 0) << rtf.err;
    for (const char* ext : {".docx", ".odt"}) {
        SCOPED_TRACE(ext);
        const std::string out = std::string("letter") + ext;
        const CliRun r = Kelvora({"merge", dir + "engagement-letter" + ext, dir + "engagement-letter.inf", "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, rtf.err); // "N replacements were made"
        ASSERT_TRUE(Exists(out));
        // The merged package is a template again, one without markers.
        const CliRun check = Kelvora({"check", out, dir + "engagement-letter.inf"});
        EXPECT_NE(check.out.find("Markers the merge replaces (insert mode): 0\n"), std::string::npos) << check.out;
    }
}

TEST_F(PackageTemplate, CheckListsTheMarkersPutTogether) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    const CliRun r = Kelvora({"check", dir + "engagement-letter.docx", dir + "engagement-letter.inf"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("The merge would succeed.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Markers put together from several runs: 12\n  word/document.xml: @3 (2 runs)"),
              std::string::npos)
        << r.out;
    const CliRun json = Kelvora({"check", dir + "engagement-letter.odt", dir + "engagement-letter.inf", "--json"});
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_TRUE(report["mergeWouldSucceed"].toBool()) << json.out;
    EXPECT_GE(report["reassembled"].toArray().size(), 10) << json.out;
}

TEST_F(PackageTemplate, RefusalsAndFailuresWriteNothing) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    const std::string docx = dir + "engagement-letter.docx";
    WriteFile("short.inf", "Client name\nMrs Whitfield\n");
    WriteFile("evil.docx", "PK\x03\x04 not really a zip");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"merge", docx, dir + "engagement-letter.inf", "--overwrite", "-o", "out.docx"}, 1,
         "Overwrite mode has no meaning for a .docx or .odt template"},
        {{"check", docx, dir + "engagement-letter.inf", "--overwrite"}, 1, "Overwrite mode has no meaning"},
        {{"merge", docx, "short.inf", "-o", "out.docx"}, 2, "the value is @3"},
        {{"merge", "evil.docx", "short.inf", "-o", "out.docx"}, 1, "The package is damaged"},
        {{"merge", docx, dir + "engagement-letter.inf", "--pdf", "out.pdf"}, 1, "need an RTF template"},
        {{"merge", docx, "short.inf", "-d", "out", "--overwrite"}, 1, "Overwrite mode has no meaning"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[2]);
        const CliRun r = Kelvora(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("out.docx") || Exists("out.pdf") || Exists("out"));
    }
}

TEST_F(PackageTemplate, SpreadsheetRowsGiveWhatSingleMergesGive) {
    const std::string dir = std::string(KELVORA_SOURCE_DIR) + "/samples/";
    WriteFile("clients.csv",
              "Client name,Client address,Date,Matter,Rate,Hours,Fee,Account,Partner\r\n"
              "Mrs Whitfield,\"22 Orchard Lane\r\nTopsham\",10 December 2026,a sale,240,12,240*12,240*12/2,T. Harrow\r\n"
              "write to a@b,x,x,x,x,x,x,x,x\r\n");
    const CliRun r = Kelvora({"merge", dir + "engagement-letter.docx", "--data", "clients.csv", "-d", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("row 3: Your TEMPLATE file contains a value that is not in the INFORMATION file"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("1 merged, 1 failed\n"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out/0003.docx"));
    WriteFile("row.inf", "Client name\nMrs Whitfield\nClient address\n22 Orchard Lane|Topsham\nDate\n10 December 2026\n"
                         "Matter\na sale\nRate\n240\nHours\n12\nFee\n240*12\nAccount\n240*12/2\nPartner\nT. Harrow\n");
    ASSERT_EQ(Kelvora({"merge", dir + "engagement-letter.docx", "row.inf", "-o", "single.docx"}).status, 0);
    // The cell's line break is a line break of the document; everything else as a single merge.
    const auto batch = PackageFixtures::Unzip(ReadFile("out/0002.docx"));
    const auto single = PackageFixtures::Unzip(ReadFile("single.docx"));
    ASSERT_EQ(batch.size(), single.size());
    for (size_t i = 0; i < batch.size(); ++i) {
        std::string content = batch[i].content;
        const std::string br = "</w:t><w:br/><w:t xml:space=\"preserve\">";
        if (batch[i].name == "word/document.xml") {
            ASSERT_NE(content.find("22 Orchard Lane" + br + "Topsham"), std::string::npos) << content;
            content.replace(content.find(br), br.size(), "|");
        }
        EXPECT_EQ(content, single[i].content) << batch[i].name;
    }
}

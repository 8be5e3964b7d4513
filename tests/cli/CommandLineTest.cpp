// The kelvora command line, run as a user runs it.
#include "PdfText.h"
#include "platform/Cp1252.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
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
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "letter.inf", "-d", "file"}).err, "Cannot create file file\n");
    EXPECT_EQ(Kelvora({"merge", "letter.tem", "--data", "none.csv", "-d", "out"}).err, "Cannot open file none.csv\n");
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

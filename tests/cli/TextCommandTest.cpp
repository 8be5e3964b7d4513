// `kelvora text` and `kelvora convert`: the editor's loading and saving from the command line.
#include "cli/TextCommands.h"
#include "richedit/RichEdit98.h"
#include "rtf/RtfReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ControlTextCommand : public ::testing::Test {
protected:
    std::string Write(const char* name, const std::string& bytes) const {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return dir.filePath(name).toStdString();
    }
    std::string PathOf(const char* name) const { return dir.filePath(name).toStdString(); }
    struct Result {
        int status;
        std::string out, err;
    };
    template <typename Command>
    static Result Run(Command command, const std::vector<std::string>& args) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = command(args);
        std::string out = testing::internal::GetCapturedStdout();
        return {status, out, testing::internal::GetCapturedStderr()};
    }
    QTemporaryDir dir;
};

TEST_F(ControlTextCommand, TextPrintsTheLinesOfRtfAndOfPlainFilesInUtf8) {
    std::string longParagraph;
    for (int i = 0; longParagraph.size() < 6000; ++i) longParagraph += "word" + std::to_string(i) + " ";
    longParagraph += "end";
    struct Case {
        const char* name;
        std::string bytes;
        std::string out;
    };
    const Case cases[] = {
        {"rtf", "{\\rtf1\\ansi {\\b Dear} @1,\\par caf\\'e9 \\u8364?\\par}", "Dear @1,\ncaf\xC3\xA9 \xE2\x82\xAC\n"},
        {"plain", "Name\r\nJohn\r\n\r\nlast", "Name\nJohn\n\nlast\n"},
        {"empty", "", ""},
        {"control bytes dropped, tabs kept", std::string("a\0b\x01" "c\td\x7f\r\n", 10), "abc\td\n"},
        {"escaped control bytes too", "{\\rtf1\\ansi x\\'00y\\'1bz\\'b6\\par}", "xyz\xC2\xB6\n"},
        {"a line break inside a paragraph", "{\\rtf1\\ansi Hello world\\line Lithuanian\\par}", "Hello world\nLithuanian\n"},
        // Longer than a line of the editor's line list gives: printed whole.
        {"a long paragraph", "{\\rtf1\\ansi " + longParagraph + "\\par}", longParagraph + "\n"},
    };
    for (const Case& c : cases) {
        const Result result = Run(RunTextCommand, {Write(c.name, c.bytes)});
        EXPECT_EQ(result.status, 0) << c.name;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, "") << c.name;
    }
}

TEST_F(ControlTextCommand, RtfNestedTooDeeplyIsRefusedNotShownAsSource) {
    const size_t depth = size_t(RtfEngine::MaxGroupDepth()) + 1;
    const std::string deep = "{\\rtf1\\ansi " + std::string(depth, '{') + "x" + std::string(depth, '}') + "}";
    const Result result = Run(RunTextCommand, {Write("deep.rtf", deep)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Failed to Load Stream: RTF groups are nested too deeply\n");
}

TEST_F(ControlTextCommand, FailuresGoToStandardErrorWithStatusOne) {
    const std::string missing = PathOf("missing.rtf");
    const Result noFile = Run(RunTextCommand, {missing});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.err, "Cannot open file " + missing + "\n");
    EXPECT_EQ(noFile.out, "");
    EXPECT_EQ(Run(RunTextCommand, {}).status, 1);
    EXPECT_EQ(Run(RunConvertCommand, {missing}).status, 1);
    const Result convertMissing = Run(RunConvertCommand, {missing, PathOf("out.rtf")});
    EXPECT_EQ(convertMissing.status, 1);
    EXPECT_EQ(convertMissing.err, "Cannot open file " + missing + "\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PathOf("out.rtf"))));
}

TEST_F(ControlTextCommand, ConvertWritesRtfThatTheEditorReadsBack) {
    for (const bool plain : {false, true}) {
        const std::string in = Write("in.txt", "Heading\r\nValue \x80 5\r\n");
        const std::string out = PathOf(plain ? "plain.rtf" : "full.rtf");
        std::vector<std::string> args = {in, out};
        if (plain) args.push_back("--plain");
        const Result result = Run(RunConvertCommand, args);
        ASSERT_EQ(result.status, 0) << result.err;

        QFile file(QString::fromStdString(out));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().startsWith("{\\rtf1")) << plain;
        TRichEdit98 edit;
        edit.SetWordWrap(false);
        edit.Lines().LoadFromFile(out);
        EXPECT_EQ(edit.Lines().ToVector(), (std::vector<std::string>{"Heading", "Value \x80 5"})) << plain;
    }
}

} // namespace

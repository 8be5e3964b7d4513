// TCompress: what it writes is one zlib stream at the fastest level, read back
// whole whatever the size against the 4096-byte chunks; damage is reported.
#include "preview/Compress.h"

#include "PrintTestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <zlib.h>

using Print::TCompress;

namespace {

QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& name, const QByteArray& data)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

// zlib's one-call inflate, independent of TCompress.
QByteArray Inflate(const QByteArray& packed, uLongf expectedSize)
{
    QByteArray out(static_cast<int>(expectedSize), '\0');
    uLongf size = expectedSize;
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                              reinterpret_cast<const Bytef*>(packed.constData()), packed.size());
    return rc == Z_OK && size == expectedSize ? out : QByteArray("inflate failed");
}

QByteArray Noise(int size)
{
    QByteArray data(size, '\0');
    QRandomGenerator generator(size);
    for (char& c : data) c = static_cast<char>(generator.bounded(256));
    return data;
}

} // namespace

class CompressTest : public ScratchDirTest {};

TEST_F(CompressTest, RoundTripsEverySizeAroundTheChunk)
{
    struct Case {
        const char* name;
        QByteArray data;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"short text", QByteArray("Page 1 \xe9 \x80 \xb6")},
        {"one chunk", Noise(4096)},
        {"one chunk and a byte", Noise(4097)},
        {"several chunks of noise", Noise(3 * 4096 + 17)},
        {"compressible, many chunks out", QByteArray(200000, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll("source", c.data);
        TCompress::CompressFile("source", "packed");
        const QByteArray packed = ReadAll("packed");
        ASSERT_GE(packed.size(), 2);
        // zlib header: deflate with a 32K window (0x78), level "fastest" (0x01).
        EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
        EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x01);
        EXPECT_EQ(Inflate(packed, c.data.size()), c.data);

        TCompress::DecompressFile("packed", "unpacked");
        EXPECT_EQ(ReadAll("unpacked"), c.data);
    }
}

TEST_F(CompressTest, DamagedOrMissingDataRaises)
{
    const QByteArray data = Noise(10000);
    WriteAll("source", data);
    TCompress::CompressFile("source", "packed");
    const QByteArray packed = ReadAll("packed");

    WriteAll("cut", packed.left(packed.size() / 2));
    EXPECT_THROW(TCompress::DecompressFile("cut", "out"), Print::EDecompressionError);

    QByteArray badChecksum = packed;
    badChecksum[badChecksum.size() - 1] = static_cast<char>(badChecksum.back() ^ 0x55);
    WriteAll("checksum", badChecksum);
    EXPECT_THROW(TCompress::DecompressFile("checksum", "out"), Print::EDecompressionError);

    WriteAll("plain", "this was never compressed");
    EXPECT_THROW(TCompress::DecompressFile("plain", "out"), Print::EDecompressionError);

    EXPECT_THROW(TCompress::CompressFile("no such file", "out"), Platform::EFOpenError);
    QDir().mkdir("a folder");
    EXPECT_THROW(TCompress::CompressFile("source", "a folder"), Platform::EFCreateError);
}

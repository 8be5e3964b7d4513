#include "preview/Compress.h"

#include "platform/FileNames.h"

namespace Print {

TCompress::TCompress(const QString& sourceName, const QString& targetName)
    : FSourceFile(sourceName), FTargetFile(targetName), FSource(FSourceFile), FTarget(FTargetFile),
      FSourceName(sourceName)
{
    if (!FSourceFile.open(QIODevice::ReadOnly)) throw Platform::EFOpenError(Platform::NativeFileName(sourceName));
    if (!FTargetFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Platform::EFCreateError(Platform::NativeFileName(targetName));
}

TCompress::TCompress(QIODevice& source, QIODevice& target, const QString& sourceName)
    : FSource(source), FTarget(target), FSourceName(sourceName)
{
}

TCompress::~TCompress()
{
    if (!FStreamOpen) return;
    if (FDeflating) deflateEnd(&FStream);
    else inflateEnd(&FStream);
}

void TCompress::FillInput()
{
    const qint64 got = FSource.read(reinterpret_cast<char*>(FInput), ChunkSize);
    if (got < 0) throw Platform::EFOpenError(Platform::NativeFileName(FSourceName));
    FStream.next_in = FInput;
    FStream.avail_in = static_cast<uInt>(got);
}

void TCompress::WriteTarget(const unsigned char* data, qint64 size)
{
    if (size > 0 && FTarget.write(reinterpret_cast<const char*>(data), size) != size)
        throw Platform::EWriteError();
}

void TCompress::Compress()
{
    if (deflateInit(&FStream, Z_BEST_SPEED) != Z_OK) throw ECompressionError("Compression error");
    FStreamOpen = true;
    FDeflating = true;
    int flush = Z_NO_FLUSH;
    do {
        FillInput();
        flush = FSource.atEnd() || FStream.avail_in == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            FStream.next_out = FBuffer;
            FStream.avail_out = ChunkSize;
            if (deflate(&FStream, flush) == Z_STREAM_ERROR) throw ECompressionError("Compression error");
            WriteTarget(FBuffer, ChunkSize - FStream.avail_out);
        } while (FStream.avail_out == 0);
    } while (flush != Z_FINISH);
    if (FTargetFile.isOpen() && !FTargetFile.flush()) throw Platform::EWriteError();
}

qint64 TCompress::ReadDecompressed()
{
    if (FStreamEnded) return 0;
    FStream.next_out = FBuffer;
    FStream.avail_out = ChunkSize;
    while (FStream.avail_out > 0) {
        if (FStream.avail_in == 0) {
            FillInput();
            if (FStream.avail_in == 0) throw EDecompressionError("Page data is cut short: " + Platform::NativeFileName(FSourceName));
        }
        const int result = inflate(&FStream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            FStreamEnded = true;
            break;
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
            throw EDecompressionError("Page data is damaged: " + Platform::NativeFileName(FSourceName));
    }
    return ChunkSize - FStream.avail_out;
}

void TCompress::Decompress()
{
    if (inflateInit(&FStream) != Z_OK) throw EDecompressionError("Decompression error");
    FStreamOpen = true;
    FDeflating = false;
    for (qint64 got; (got = ReadDecompressed()) > 0;) WriteTarget(FBuffer, got);
    if (FTargetFile.isOpen() && !FTargetFile.flush()) throw Platform::EWriteError();
}

void TCompress::CompressFile(const QString& sourceName, const QString& targetName)
{
    TCompress(sourceName, targetName).Compress();
}

void TCompress::DecompressFile(const QString& sourceName, const QString& targetName)
{
    TCompress(sourceName, targetName).Decompress();
}

} // namespace Print

// TCompress: one file conversion through zlib. The preview keeps its pages on disk
// in this form: one zlib stream (header and checksum) at the fastest level.
#pragma once
#include "platform/Errors.h"

#include <QFile>
#include <QString>
#include <zlib.h>

namespace Print {

// The compressed data is damaged or cut short.
class EDecompressionError : public Platform::Exception { using Exception::Exception; };
// zlib refused to compress (out of memory).
class ECompressionError : public Platform::Exception { using Exception::Exception; };

class TCompress {
public:
    static constexpr int ChunkSize = 4096;

    // Opens the source for reading and creates (or truncates) the target. Raises
    // EFOpenError or EFCreateError.
    TCompress(const QString& sourceName, const QString& targetName);
    // Between open devices (a page held in memory); `sourceName` names the data in errors.
    TCompress(QIODevice& source, QIODevice& target, const QString& sourceName);
    ~TCompress();
    TCompress(const TCompress&) = delete;
    TCompress& operator=(const TCompress&) = delete;

    // The whole source through a level-1 compression stream into the target.
    void Compress();
    // Reads the decompression stream in chunks of up to ChunkSize bytes and writes
    // each to the target until a read returns nothing. Data after the end of the
    // stream is ignored.
    void Decompress();

    // One call for one file.
    static void CompressFile(const QString& sourceName, const QString& targetName);
    static void DecompressFile(const QString& sourceName, const QString& targetName);

private:
    // Up to ChunkSize decompressed bytes into FBuffer; 0 at the end of the stream.
    qint64 ReadDecompressed();
    void WriteTarget(const unsigned char* data, qint64 size);
    void FillInput();

    QFile FSourceFile;
    QFile FTargetFile;
    QIODevice& FSource;
    QIODevice& FTarget;
    QString FSourceName;
    z_stream FStream{};
    bool FStreamOpen = false;
    bool FDeflating = false;
    bool FStreamEnded = false;
    unsigned char FInput[ChunkSize];
    unsigned char FBuffer[ChunkSize];
};

} // namespace Print

// Exception classes of the platform layer. Messages are the program's own texts.
#pragma once
#include <stdexcept>
#include <string>

namespace Platform {

// Root of every exception a command may let reach the application's error box.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not read as a number.
class EConvertError : public Exception { using Exception::Exception; };

// File errors of the stream layer.
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& fileName) : Exception("Cannot open file " + fileName) {}
};
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& fileName) : Exception("Cannot create file " + fileName) {}
    // With the operating system's reason ("Permission denied").
    EFCreateError(const std::string& fileName, const std::string& reason)
        : Exception("Cannot create file " + fileName + ": " + reason) {}
};
// An existing file a write was told to keep (Platform::TWriteOptions::replaceExisting).
class EFileExistsError : public EFCreateError {
public:
    explicit EFileExistsError(const std::string& fileName) : EFCreateError(fileName, "it exists already") {}
};
class EWriteError : public Exception {
public:
    EWriteError() : Exception("Stream write error") {}
    explicit EWriteError(const std::string& message) : Exception(message) {}
};

// Floating-point errors (invalid operation, division by zero, overflow).
class EMathError : public Exception { using Exception::Exception; };
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
};
class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
};

} // namespace Platform

// Exception classes shared by every layer of the player.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string Message);
    const char* what() const noexcept override;
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A stream delivered fewer bytes than the caller needed.
class EReadError : public EStreamError {
public:
    EReadError();
};

// A stream accepted fewer bytes than the caller wrote.
class EWriteError : public EStreamError {
public:
    EWriteError();
};

// A file could not be opened; the message names the file and the system's reason.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EInvalidCast : public Exception {
public:
    EInvalidCast();
};

// The system refused memory or address space.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// The text of the calling thread's errno, as the system words it.
std::string SysErrorMessage(int ErrorCode);

#include "SysUtils.h"

#include <cstring>
#include <utility>

Exception::Exception(std::string Message) : FMessage(std::move(Message)) {}

const char* Exception::what() const noexcept { return FMessage.c_str(); }

EReadError::EReadError() : EStreamError("Stream read error") {}

EWriteError::EWriteError() : EStreamError("Stream write error") {}

EInvalidCast::EInvalidCast() : Exception("Invalid class typecast") {}

std::string SysErrorMessage(int ErrorCode)
{
    char Buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in Buffer.
    return strerror_r(ErrorCode, Buffer, sizeof Buffer);
}

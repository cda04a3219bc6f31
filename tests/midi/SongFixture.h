// Songs made in memory from bytes written in the test.
#pragma once

#include "cmpMidiData.h"

#include "SmfBytes.h"

#include <memory>

inline std::unique_ptr<TMidiData> SongFrom(const TBytes& File)
{
    auto Song = std::make_unique<TMidiData>(nullptr);
    TMemoryStream Stream(File.data(), static_cast<int64_t>(File.size()));
    Song->LoadFromStream(Stream);
    return Song;
}

#include "unitMidiTrackStream.h"

#include "SmfBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t Room = 100000;

// What a stored event should hold: the block for 0xF0/0xF7/0xFF, else the data bytes.
struct TExpected {
    int32_t Tick;
    uint8_t Status;
    TBytes Payload;

    friend bool operator==(const TExpected&, const TExpected&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TExpected& Event)
    {
        Out << "{tick " << Event.Tick << ", status 0x" << std::hex << int(Event.Status) << ",";
        for (uint8_t Byte : Event.Payload)
            Out << ' ' << int(Byte);
        return Out << std::dec << '}';
    }
};

std::vector<TExpected> StoredEvents(const TMidiTrackStream& Track)
{
    std::vector<TExpected> Events;
    for (int32_t I = 0; I < Track.EventCount(); ++I) {
        const TTrackEvent* Event = Track.Events(I);
        TExpected Stored{Event->Tick, Event->Data.Status, {}};
        if (HasDataBlock(Event->Data.Status))
            Stored.Payload.assign(Event->Data.Buffer, Event->Data.Buffer + Event->DataLength);
        else
            Stored.Payload = {Event->Data.Data1, Event->Data.Data2};
        Events.push_back(Stored);
    }
    return Events;
}

std::unique_ptr<TMidiTrackStream> LoadChunk(const TBytes& ChunkBytes, int32_t MaxEvents = Room)
{
    TMemoryStream Stream(ChunkBytes.data(), static_cast<int64_t>(ChunkBytes.size()));
    auto Track = std::make_unique<TMidiTrackStream>(MaxEvents);
    Track->LoadFromStream(Stream);
    return Track;
}

const TBytes EndOfTrackBlock = {0x2F};

struct TDecodeCase {
    std::string Name;
    TBytes Events;
    std::vector<TExpected> Expected;
    TChannel Channel = 0;
    TPatchNo Patch = 0;
};

class TrackDecoding : public testing::TestWithParam<TDecodeCase> {};

} // namespace

TEST_P(TrackDecoding, StoresEventsByTheDecodingRules)
{
    const TDecodeCase& Case = GetParam();
    const auto Loaded = LoadChunk(Track(Case.Events));
    EXPECT_EQ(StoredEvents(*Loaded), Case.Expected);
    EXPECT_EQ(Loaded->Channel(), Case.Channel);
    EXPECT_EQ(Loaded->Patch(), Case.Patch);
}

INSTANTIATE_TEST_SUITE_P(Rules, TrackDecoding,
    testing::Values(
        TDecodeCase{"EmptyChunkGetsEndOfTrackAtZero", {}, {{0, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"RunningStatusAndVelocityZero",
            {0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0x90, {0x3C, 0x64}}, {96, 0x90, {0x3C, 0x00}}, {96, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"ChannelAndPatchFromFirstMessages",
            {0x00, 0x99, 0x24, 0x64, 0x00, 0xC9, 0x10, 0x00, 0xC2, 0x05, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0x99, {0x24, 0x64}}, {0, 0xC9, {0x10, 0x00}}, {0, 0xC2, {0x05, 0x00}}, {0, 0xFF, EndOfTrackBlock}},
            9, 16},
        TDecodeCase{"RunningStatusSurvivesMetaEvent",
            {0x00, 0x90, 0x40, 0x7F, 0x00, 0xFF, 0x01, 0x01, 0x41, 0x00, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0x90, {0x40, 0x7F}}, {0, 0xFF, {0x01, 0x41}}, {0, 0x90, {0x40, 0x00}}, {0, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"SysexPacketFollowedByContinuation",
            {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0x00, 0x00, 0xF7, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0x00}}, {0, 0xF7, {0xF7}}, {0, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"EmptySysexPacketExpectsContinuation",
            {0x00, 0xF0, 0x00, 0x00, 0xF7, 0x01, 0xF7},
            {{0, 0xF0, {}}, {0, 0xFF, EndOfTrackBlock}, {0, 0xF7, {0xF7}}}},
        TDecodeCase{"UnterminatedSysexAtTheEndIsAccepted",
            {0x00, 0xF0, 0x02, 0x01, 0x02},
            {{0, 0xFF, EndOfTrackBlock}, {0, 0xF0, {0x01, 0x02}}}},
        TDecodeCase{"SystemStatusHasNoData",
            {0x00, 0xF8, 0x05, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0xF8, {0, 0}}, {5, 0x90, {0x3C, 0x40}}, {5, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"DataBytesAreNotChecked",
            {0x00, 0x90, 0x80, 0x40, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0x90, {0x80, 0x40}}, {0, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"MissingEndOfTrackGoesJustBeforeTheFinalEvent",
            {0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0x80, 0x3C, 0x00},
            {{0, 0x90, {0x3C, 0x40}}, {480, 0xFF, EndOfTrackBlock}, {480, 0x80, {0x3C, 0x00}}}},
        TDecodeCase{"FourByteDeltaAndTempoBlock",
            {0x81, 0x80, 0x80, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00},
            {{2097152, 0xFF, {0x51, 0x07, 0xA1, 0x20}}, {2097152, 0xFF, EndOfTrackBlock}}},
        TDecodeCase{"OneDataByteMessages",
            {0x00, 0xD1, 0x22, 0x00, 0x33, 0x00, 0xFF, 0x2F, 0x00},
            {{0, 0xD1, {0x22, 0x00}}, {0, 0xD1, {0x33, 0x00}}, {0, 0xFF, EndOfTrackBlock}}, 1}),
    [](const testing::TestParamInfo<TDecodeCase>& Info) { return Info.param.Name; });

struct TErrorCase {
    std::string Name;
    TBytes ChunkBytes;
    std::string Message;
};

class TrackErrors : public testing::TestWithParam<TErrorCase> {};

TEST_P(TrackErrors, FailWithTheirMessageAndStoreNothing)
{
    const TErrorCase& Case = GetParam();
    TMemoryStream Stream(Case.ChunkBytes.data(), static_cast<int64_t>(Case.ChunkBytes.size()));
    TMidiTrackStream Track(Room);
    try {
        Track.LoadFromStream(Stream);
        FAIL() << "loaded";
    } catch (const Exception& Error) {
        EXPECT_EQ(std::string(Error.what()), Case.Message);
    }
    EXPECT_EQ(Track.EventCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Messages, TrackErrors,
    testing::Values(
        TErrorCase{"WrongChunkId", Chunk("MTrx", {0x00, 0xFF, 0x2F, 0x00}), "Invalid track start ID"},
        TErrorCase{"DataByteWithoutRunningStatus", Track({0x00, 0x40, 0x00}), "Error in Running Status"},
        TErrorCase{"RunningStatusIsNotSetBySysex", Track({0x00, 0xF0, 0x01, 0xF7, 0x00, 0x40, 0x00}),
            "Error in Running Status"},
        TErrorCase{"UnterminatedSysexFollowedByChannelMessage",
            Track({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0x00, 0x00, 0x90, 0x3C, 0x40}), "Error in Sysex"},
        TErrorCase{"TruncatedDataByte", Track({0x00, 0x90, 0x3C}), "Unexpected end of track chunk"},
        TErrorCase{"TruncatedDeltaTime", Track({0x00, 0xF8, 0x81}), "Unexpected end of track chunk"},
        TErrorCase{"TruncatedMetaBlock", Track({0x00, 0xFF, 0x01, 0x05, 0x41}), "Unexpected end of track chunk"},
        TErrorCase{"TruncatedSysexLength", Track({0x00, 0xF0, 0x83}), "Unexpected end of track chunk"},
        TErrorCase{"HugeSysexLength", Track({0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}), "System exclusive packet too long"},
        TErrorCase{"SysexOf65536Bytes", Track({0x00, 0xF0, 0x84, 0x80, 0x00}), "System exclusive packet too long"},
        TErrorCase{"MetaOf65535DataBytes", Track({0x00, 0xFF, 0x01, 0x83, 0xFF, 0x7F}), "Meta event too long"},
        TErrorCase{"ChunkLongerThanTheStream", Concat({{'M', 'T', 'r', 'k', 0, 0, 0, 0x10}, {0x00, 0xF8, 0x00}}),
            "Stream read error"},
        TErrorCase{"LengthCutShort", {'M', 'T', 'r', 'k', 0, 0}, "Stream read error"},
        TErrorCase{"IdCutShort", {'M', 'T', 'r'}, "Stream read error"}),
    [](const testing::TestParamInfo<TErrorCase>& Info) { return Info.param.Name; });

TEST(TrackStream, LongestBlocksThatFitAreStoredWhole)
{
    TBytes Events = {0x00, 0xF0, 0x83, 0xFF, 0x7F};
    Events.insert(Events.end(), 65534, 0x11);
    Events.push_back(0xF7);
    Events.insert(Events.end(), {0x00, 0xFF, 0x01, 0x83, 0xFF, 0x7E});
    Events.insert(Events.end(), 65534, 0x22);
    const auto Loaded = LoadChunk(Track(Events));
    ASSERT_EQ(Loaded->EventCount(), 3);
    EXPECT_EQ(Loaded->Events(0)->DataLength, 65535);
    EXPECT_EQ(Loaded->Events(0)->Data.Buffer[65534], 0xF7);
    EXPECT_EQ(Loaded->Events(2)->DataLength, 65535); // the end of track came before the final event
    EXPECT_EQ(Loaded->Events(2)->Data.Buffer[0], 0x01);
    EXPECT_EQ(Loaded->Events(2)->Data.Buffer[65534], 0x22);
}

TEST(TrackStream, StreamIsLeftJustAfterTheChunk)
{
    const TBytes Bytes = Concat({Track({}), {0xAA, 0xBB}});
    TMemoryStream Stream(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TMidiTrackStream Track(Room);
    Track.LoadFromStream(Stream);
    EXPECT_EQ(Stream.Position(), 8);
}

TEST(TrackStream, EventsOutsideTheTrackAreNone)
{
    const auto Loaded = LoadChunk(Track({}));
    EXPECT_EQ(Loaded->Events(-1), nullptr);
    EXPECT_EQ(Loaded->Events(Loaded->EventCount()), nullptr);
    EXPECT_NE(Loaded->Events(0), nullptr);
}

// Room for 100,000 records: a chunk of exactly that many events loads, one more fails.
TEST(TrackStream, RoomIsFixedAtCreation)
{
    auto ClockEvents = [](int Count, bool EndOfTrack) {
        TBytes Events;
        for (int I = 0; I < Count; ++I)
            Events.insert(Events.end(), {0x00, 0xF8});
        if (EndOfTrack)
            Events.insert(Events.end(), {0x00, 0xFF, 0x2F, 0x00});
        return Track(Events);
    };
    EXPECT_EQ(LoadChunk(ClockEvents(Room - 1, true))->EventCount(), Room);
    EXPECT_EQ(LoadChunk(ClockEvents(Room - 1, false))->EventCount(), Room);
    for (const TBytes& TooMany : {ClockEvents(Room, true), ClockEvents(Room, false)}) {
        try {
            LoadChunk(TooMany);
            FAIL() << "loaded";
        } catch (const EVirtualMemory& Error) {
            EXPECT_STREQ(Error.what(), "Size exceeds capacity");
        }
    }
}

struct TInsertCase {
    std::string Name;
    TBytes Events;
    int32_t Tick;
    std::vector<int32_t> ExpectedTicks;
    int NewIndex;
};

class TrackInsert : public testing::TestWithParam<TInsertCase> {};

TEST_P(TrackInsert, NewEventGoesLastAmongEqualTicksButBeforeTheFinalEvent)
{
    const TInsertCase& Case = GetParam();
    const auto Loaded = LoadChunk(Track(Case.Events));
    const TTrackEvent* Inserted = Loaded->InsertEvent(Case.Tick, MakeShortEvent(0xB0, 7, 99), 0);
    std::vector<int32_t> Ticks;
    for (int32_t I = 0; I < Loaded->EventCount(); ++I)
        Ticks.push_back(int32_t{Loaded->Events(I)->Tick}); // a copy: the record is packed
    EXPECT_EQ(Ticks, Case.ExpectedTicks);
    EXPECT_EQ(Inserted, Loaded->Events(Case.NewIndex));
    EXPECT_EQ(Loaded->Events(Case.NewIndex)->Data.Status, 0xB0);
}

// A (tick 0), B (tick 10), end of track (tick 10); and A (tick 0), end of track (tick 0).
const TBytes AbEnd = {0x00, 0x90, 0x3C, 0x40, 0x0A, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
const TBytes AEnd = {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};

INSTANTIATE_TEST_SUITE_P(Places, TrackInsert,
    testing::Values(TInsertCase{"EqualTickGoesBeforeEndOfTrack", AbEnd, 10, {0, 10, 10, 10}, 2},
        TInsertCase{"EarlierTickGoesBeforeLaterEvent", AbEnd, 5, {0, 5, 10, 10}, 1},
        TInsertCase{"LaterTickMovesEndOfTrack", AEnd, 50, {0, 50, 50}, 1},
        TInsertCase{"TickZeroAmongEqualTicks", AEnd, 0, {0, 0, 0}, 1}),
    [](const testing::TestParamInfo<TInsertCase>& Info) { return Info.param.Name; });

TEST(TrackStream, InsertAfterAFinalEventThatIsNotEndOfTrackFails)
{
    TMidiTrackStream Track(Room);
    Track.InsertEvent(10, MakeShortEvent(0x90, 60, 100), 0);
    try {
        Track.InsertEvent(20, MakeShortEvent(0x80, 60, 0), 0);
        FAIL() << "inserted";
    } catch (const EMidiTrackStream& Error) {
        EXPECT_STREQ(Error.what(), "System error inserting event");
    }
    EXPECT_EQ(Track.EventCount(), 1);
}

TEST(TrackStream, InsertMetaEventOwnsItsBlock)
{
    TMidiTrackStream Track(Room);
    const uint8_t Tempo[3] = {0x07, 0xA1, 0x20};
    const TTrackEvent* Event = Track.InsertMetaEvent(0, 0x51, 3, Tempo);
    EXPECT_EQ(Event->Data.Status, 0xFF);
    EXPECT_EQ(Event->DataLength, 4);
    EXPECT_EQ(TBytes(Event->Data.Buffer, Event->Data.Buffer + 4), (TBytes{0x51, 0x07, 0xA1, 0x20}));
}

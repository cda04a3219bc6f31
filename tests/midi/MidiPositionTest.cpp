#include "cmpMidiIterator.h"

#include "SongFixture.h"

#include <gtest/gtest.h>

namespace {

// A song whose first track holds the given events (a conductor track).
std::unique_ptr<TMidiData> ConductorSong(uint16_t Ppqn, const TBytes& Events)
{
    return SongFrom(Concat({Header(1, 1, Ppqn), Track(Events)}));
}

TBytes Tempo(uint32_t Microseconds, uint8_t Delta0 = 0)
{
    return {Delta0, 0xFF, 0x51, 0x03, static_cast<uint8_t>(Microseconds >> 16), static_cast<uint8_t>(Microseconds >> 8),
        static_cast<uint8_t>(Microseconds)};
}

TBytes TimeSignature(uint8_t Numerator, uint8_t DenominatorPower, TBytes Delta = {0x00})
{
    TBytes Event = Delta;
    Event.insert(Event.end(), {0xFF, 0x58, 0x04, Numerator, DenominatorPower, 24, 8});
    return Event;
}

struct TPlace {
    int32_t Tick, Time, Bar, Beat, BeatTick;
    friend bool operator==(const TPlace&, const TPlace&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TPlace& P)
    {
        return Out << "{tick " << P.Tick << ", time " << P.Time << ", " << P.Bar << ":" << P.Beat << ":" << P.BeatTick << "}";
    }
};

TPlace PlaceOf(const TMidiPosition& Position)
{
    return {Position.Tick(), Position.Time(), Position.Bar(), Position.Beat(), Position.BeatTick()};
}

} // namespace

TEST(MidiPosition, WithoutASongUsesTheDefaults)
{
    TMidiPosition Position(nullptr);
    EXPECT_EQ(Position.PPQN(), 180);
    EXPECT_EQ(Position.Tempo(), 600);
    EXPECT_EQ(Position.TicksPerBar(), 720);
    Position.SetTick(960);
    EXPECT_EQ(PlaceOf(Position), (TPlace{960, 3200, 1, 1, 60}));
    Position.MoveToTime(5000); // without a song only the time moves
    EXPECT_EQ(PlaceOf(Position), (TPlace{960, 5000, 1, 1, 60}));
    Position.SetTick(-5); // backwards to the start, and no further
    EXPECT_EQ(PlaceOf(Position), (TPlace{0, 0, 0, 0, 0}));
    Position.SetBarBeatTick(2, 1, 10);
    EXPECT_EQ(PlaceOf(Position), (TPlace{1630, 5433, 2, 1, 10}));
}

struct TConversionCase {
    std::string Name;
    uint16_t Ppqn;
    TBytes Conductor;
    bool ByTime; // move by time instead of by tick
    int32_t Target;
    TPlace Expected;
};

class Conversions : public testing::TestWithParam<TConversionCase> {};

TEST_P(Conversions, FollowTheTempoMap)
{
    const auto& Case = GetParam();
    const auto Song = ConductorSong(Case.Ppqn, Case.Conductor);
    TMidiPosition Position(nullptr);
    Position.SetMidiData(Song.get());
    if (Case.ByTime)
        Position.SetTime(Case.Target);
    else
        Position.SetTick(Case.Target);
    EXPECT_EQ(PlaceOf(Position), Case.Expected);
}

// 3/4 then, at 2 bars and a beat (mid-bar) of 480 ppqn, 4/4: the new meter starts bar 3.
const TBytes ThreeFourThenFourFour = Concat({TimeSignature(3, 2), TimeSignature(4, 2, {0x9A, 0x20})});

INSTANTIATE_TEST_SUITE_P(Cases, Conversions,
    testing::Values(
        TConversionCase{"TempoAtTickZeroAppliesAtZero", 96, Tempo(500000), false, 0, {0, 0, 0, 0, 0}},
        TConversionCase{"TickToTime", 96, Tempo(500000), false, 96, {96, 500, 0, 1, 0}},
        TConversionCase{"TimeToTick", 96, Tempo(500000), true, 1000, {192, 1000, 0, 2, 0}},
        TConversionCase{"TempoTruncatedToWholeMilliseconds", 100, Tempo(468750), false, 1000, {1000, 4680, 2, 2, 0}},
        TConversionCase{"TempoChangeMidSong", 100, Concat({Tempo(500000), Tempo(250000, 0x64)}), false, 300,
            {300, 1000, 0, 3, 0}},
        TConversionCase{"TempoChangeByTime", 100, Concat({Tempo(500000), Tempo(250000, 0x64)}), true, 1000,
            {300, 1000, 0, 3, 0}},
        TConversionCase{"NewMeterStartsANewBar", 480, ThreeFourThenFourFour, false, 3360, {3360, 4200, 3, 0, 0}},
        TConversionCase{"BeatsOfTheNewMeter", 480, ThreeFourThenFourFour, false, 3360 + 1920 + 500, {5780, 7225, 4, 1, 20}},
        TConversionCase{"EighthNoteBeats", 480, TimeSignature(3, 3), false, 1000, {1000, 1250, 1, 1, 40}},
        TConversionCase{"HalfNoteBeats", 480, TimeSignature(2, 1), false, 2000, {2000, 2500, 1, 0, 80}},
        TConversionCase{"HoursLongSongsDoNotOverflow", 96, Tempo(500000), false, 100000000, {100000000, 520833333, 260416, 2, 64}},
        TConversionCase{"ZeroPpqnDividesByOne", 0, Tempo(500000), false, 10, {10, 5000, 2, 2, 0}},
        TConversionCase{"TempoBelowOneMillisecond", 96, Tempo(999), true, 50, {4800, 50, 12, 2, 0}},
        TConversionCase{"NumeratorZero", 96, TimeSignature(0, 2), false, 500, {500, 3125, 5, 0, 20}},
        TConversionCase{"BeatLengthZero", 96, TimeSignature(4, 40), false, 500, {500, 3125, 125, 0, 0}}),
    [](const testing::TestParamInfo<TConversionCase>& Info) { return Info.param.Name; });

TEST(MidiPosition, BeatLengthFollowsTheDenominator)
{
    const struct {
        uint8_t Numerator, Power;
        int32_t Beat, Bar;
    } Cases[] = {{3, 3, 240, 720}, {2, 1, 960, 1920}, {4, 2, 480, 1920}, {6, 4, 120, 720}};
    for (const auto& Case : Cases) {
        const auto Song = ConductorSong(480, TimeSignature(Case.Numerator, Case.Power));
        TMidiPosition Position(nullptr);
        Position.SetMidiData(Song.get());
        Position.SetTick(0);
        EXPECT_EQ(Position.TicksPerBeat(), Case.Beat) << int(Case.Numerator) << "/" << int(Case.Power);
        EXPECT_EQ(Position.TicksPerBar(), Case.Bar) << int(Case.Numerator) << "/" << int(Case.Power);
    }
}

TEST(MidiPosition, BindingASongKeepsTheTickUnderItsTempoMap)
{
    const auto Song = ConductorSong(96, Tempo(500000));
    TMidiPosition Position(nullptr);
    Position.SetTick(192);
    Position.SetMidiData(Song.get());
    EXPECT_EQ(PlaceOf(Position), (TPlace{192, 1000, 0, 2, 0}));
    TMidiPosition Copy(nullptr);
    Copy.Assign(&Position);
    EXPECT_EQ(PlaceOf(Copy), PlaceOf(Position));
    EXPECT_EQ(Copy.MidiData(), Song.get());
    TComponent Other(nullptr);
    EXPECT_THROW(Copy.Assign(&Other), EInvalidCast);
}

TEST(MidiPosition, BarBeatTickAcrossAMeterChange)
{
    const auto Song = ConductorSong(480, ThreeFourThenFourFour);
    TMidiPosition Position(nullptr);
    Position.SetMidiData(Song.get());
    Position.SetBarBeatTick(3, 1, 5);
    EXPECT_EQ(Position.Tick(), 3360 + 480 + 5);
    Position.SetBarBeatTick(1, 2, 0); // backwards: from the start again
    EXPECT_EQ(Position.Tick(), 1440 + 960);
    EXPECT_EQ(Position.TicksPerBar(), 1440);
}

TEST(MidiPosition, LastEventTickIgnoresTrailingMetaEvents)
{
    // Notes to tick 300 with the end of track at 500; a track of meta events only, from 384.
    const auto Song = SongFrom(Concat({Header(1, 2, 96),
        Track({0x00, 0x90, 0x3C, 0x40, 0x82, 0x2C, 0x80, 0x3C, 0x00, 0x81, 0x48, 0xFF, 0x01, 0x00, 0x00, 0xFF, 0x2F, 0x00}),
        Track({0x83, 0x00, 0xFF, 0x01, 0x00, 0x64, 0xFF, 0x2F, 0x00})}));
    TMidiPosition Position(nullptr);
    EXPECT_EQ(Position.LastEventTick(), 0);
    Position.SetMidiData(Song.get());
    EXPECT_EQ(Position.LastEventTick(), 384); // the meta-only track's first event
}

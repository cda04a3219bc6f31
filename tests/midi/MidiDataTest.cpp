#include "cmpMidiData.h"

#include "SmfBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

const TBytes NoteTrack = Track({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
const TBytes TwoTrackSong = Concat({Header(1, 2, 96), Track({0x00, 0xFF, 0x2F, 0x00}), NoteTrack});
const TBytes RiffSong = Riff("RMID", RiffChunk("data", TwoTrackSong));

// The message of the failed load, or "loaded: <tracks> tracks, PPQN <n>".
std::string LoadResult(TMidiData& Song, const std::string& Path)
{
    Song.SetFileName(Path);
    try {
        Song.SetActive(true);
        return "loaded: " + std::to_string(Song.TrackCount()) + " tracks, PPQN " + std::to_string(Song.PPQN());
    } catch (const Exception& Error) {
        EXPECT_FALSE(Song.Active());
        EXPECT_EQ(Song.TrackCount(), 0);
        EXPECT_EQ(Song.PPQN(), 180);
        return Error.what();
    }
}

struct TFileCase {
    std::string Name;
    std::string FileName;
    TBytes Bytes;
    std::string Result;
};

class SongFiles : public testing::TestWithParam<TFileCase> {};

} // namespace

TEST_P(SongFiles, LoadOrFailWithTheirMessage)
{
    const TFileCase& Case = GetParam();
    TTempDir Dir;
    TMidiData Song(nullptr);
    EXPECT_EQ(LoadResult(Song, Dir.Write(Case.FileName, Case.Bytes)), Case.Result);
}

INSTANTIATE_TEST_SUITE_P(Cases, SongFiles,
    testing::Values(
        TFileCase{"PlainMid", "song.mid", TwoTrackSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"PlainKar", "song.kar", TwoTrackSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"PlainWithoutExtension", "song", TwoTrackSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"RiffByMixedCaseExtension", "song.Rmi", RiffSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"RiffByRiffExtension", "song.riff", RiffSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"RiffOfAnotherFormType", "song.rmi", Riff("WAVE", RiffChunk("data", TwoTrackSong)),
            "loaded: 2 tracks, PPQN 96"},
        TFileCase{"RiffDataThatIsNoSong", "song.rmi", Riff("WAVE", RiffChunk("data", {1, 2, 3, 4, 5, 6, 7, 8})),
            "Invalid MIDI file ID"},
        TFileCase{"RiffNamedMid", "song.mid", RiffSong, "Invalid MIDI file ID"},
        TFileCase{"PlainNamedRmi", "song.rmi", TwoTrackSong, "Unable to descend into RMID"},
        TFileCase{"RiffWithoutData", "song.rmi", Riff("RMID", RiffChunk("LIST", {1, 2})), "Unable to descend into data"},
        TFileCase{"DotInFolderOnly", "a.rmi.d/song", TwoTrackSong, "loaded: 2 tracks, PPQN 96"},
        TFileCase{"HeaderLength8", "song.mid",
            Concat({Chunk("MThd", {0, 1, 0, 1, 0x01, 0xE0, 0xAA, 0xBB}), NoteTrack}), "loaded: 1 tracks, PPQN 480"},
        TFileCase{"HeaderLength5", "song.mid", Concat({Chunk("MThd", {0, 1, 0, 1, 0}), NoteTrack}),
            "Invalid MIDI header size"},
        TFileCase{"HeaderLengthNegative", "song.mid", {'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
            "Invalid MIDI header size"},
        TFileCase{"HeaderLengthBeyondFile", "song.mid", {'M', 'T', 'h', 'd', 0x00, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
            "Stream read error"},
        TFileCase{"NoTracks", "song.mid", Header(1, 0, 96), "loaded: 0 tracks, PPQN 96"},
        TFileCase{"FewerTracksThanAnnounced", "song.mid", Concat({Header(1, 3, 96), NoteTrack, NoteTrack}),
            "Stream read error"},
        TFileCase{"BytesAfterTheLastTrackAreNotRead", "song.mid", Concat({Header(1, 1, 96), NoteTrack, {'x', 'y'}}),
            "loaded: 1 tracks, PPQN 96"},
        TFileCase{"FormatZero", "song.mid", Concat({Header(0, 1, 96), NoteTrack}), "loaded: 1 tracks, PPQN 96"},
        TFileCase{"FormatTwo", "song.mid", Concat({Header(2, 2, 96), NoteTrack, NoteTrack}), "loaded: 2 tracks, PPQN 96"},
        TFileCase{"DivisionReadUnsigned", "song.mid", Header(1, 0, 0xE728), "loaded: 0 tracks, PPQN 59176"},
        TFileCase{"NotAMidiFile", "song.mid", {'R', 'I', 'F', 'X', 0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, "Invalid MIDI file ID"},
        TFileCase{"EmptyFile", "song.mid", {}, "Stream read error"},
        TFileCase{"SecondChunkIsNoTrack", "song.mid", Concat({Header(1, 2, 96), NoteTrack, Chunk("XFIH", {})}),
            "Invalid track start ID"},
        TFileCase{"BrokenTrack", "song.mid", Concat({Header(1, 2, 96), NoteTrack, Track({0x00, 0x40})}),
            "Error in Running Status"}),
    [](const testing::TestParamInfo<TFileCase>& Info) { return Info.param.Name; });

TEST(MidiData, MissingFilesRaiseTheFileOpenErrorOfTheirWrapper)
{
    TMidiData Song(nullptr);
    EXPECT_EQ(LoadResult(Song, "/nonexistent/a.mid"), "Cannot open file \"/nonexistent/a.mid\". No such file or directory");
    EXPECT_EQ(LoadResult(Song, "/nonexistent/a.rmi"), "Unable to open /nonexistent/a.rmi");
}

TEST(MidiData, ActiveTakesANewFileNameOnlyAfterBeingFalse)
{
    TTempDir Dir;
    const std::string First = Dir.Write("first.mid", TwoTrackSong);
    const std::string Second = Dir.Write("second.mid", Concat({Header(1, 1, 480), NoteTrack}));
    TMidiData Song(nullptr);
    EXPECT_EQ(Song.PPQN(), 180);
    Song.SetFileName(First);
    Song.SetActive(true);
    Song.SetFileName(Second);
    Song.SetActive(true); // already active: nothing happens
    EXPECT_EQ(Song.TrackCount(), 2);
    EXPECT_EQ(Song.Tracks(1)->EventCount(), 3);
    EXPECT_EQ(Song.Tracks(2), nullptr);

    Song.SetActive(false);
    EXPECT_EQ(Song.TrackCount(), 0);
    EXPECT_EQ(Song.PPQN(), 180);
    EXPECT_EQ(Song.FileName(), Second);
    Song.SetActive(true);
    EXPECT_EQ(Song.PPQN(), 480);
    EXPECT_EQ(Song.TrackCount(), 1);
}

TEST(MidiData, EmptyFileNameMakesAnEmptyActiveSong)
{
    TMidiData Song(nullptr);
    Song.SetPPQN(96);
    Song.SetActive(true);
    EXPECT_TRUE(Song.Active());
    EXPECT_EQ(Song.TrackCount(), 0);
    EXPECT_EQ(Song.PPQN(), 180);
    Song.SetPPQN(0x12345);
    EXPECT_EQ(Song.PPQN(), 0x2345); // the low 16 bits are stored
}

// Every public test file either loads or fails with one of the loader's own messages.
#include "cmpMidiData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cctype>
#include <set>

namespace {

const std::set<std::string> LoaderMessages = {
    "Invalid MIDI file ID", "Invalid MIDI header size", "Invalid track start ID", "Error in Running Status",
    "Error in Sysex", "Size exceeds capacity", "Stream read error", "Unexpected end of track chunk",
    "System exclusive packet too long", "Meta event too long", "System error inserting event",
};

std::filesystem::path JazzSoft() { return std::filesystem::path(BIVOXA_TESTDATA_DIR) / "jazz-soft"; }

} // namespace

TEST(SongBreadth, EveryTestFileLoadsOrFailsCleanly)
{
    ASSERT_TRUE(std::filesystem::is_directory(JazzSoft())) << JazzSoft();
    int Loaded = 0, Refused = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(JazzSoft())) {
        if (Entry.path().extension() != ".mid")
            continue;
        TMidiData Song(nullptr);
        Song.SetFileName(Entry.path().string());
        try {
            Song.SetActive(true);
            for (int32_t T = 0; T < Song.TrackCount(); ++T)
                EXPECT_GT(Song.Tracks(T)->EventCount(), 0) << Entry.path();
            ++Loaded;
        } catch (const Exception& Error) {
            EXPECT_TRUE(LoaderMessages.count(Error.what())) << Entry.path() << ": " << Error.what();
            EXPECT_FALSE(Song.Active());
            EXPECT_EQ(Song.TrackCount(), 0);
            ++Refused;
        }
    }
    EXPECT_GT(Loaded, 50);
    std::printf("%d files loaded, %d refused\n", Loaded, Refused);
}

struct TKnownFile {
    const char* Name;
    const char* Message; // nullptr when the file loads
};

class KnownFiles : public testing::TestWithParam<TKnownFile> {};

TEST_P(KnownFiles, LoadAsTheirFaultsSay)
{
    TMidiData Song(nullptr);
    Song.SetFileName((JazzSoft() / GetParam().Name).string());
    if (GetParam().Message == nullptr) {
        Song.SetActive(true);
        EXPECT_TRUE(Song.Active());
    } else {
        try {
            Song.SetActive(true);
            FAIL() << "loaded";
        } catch (const Exception& Error) {
            EXPECT_STREQ(Error.what(), GetParam().Message);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(JazzSoft, KnownFiles,
    testing::Values(TKnownFile{"test-empty-file.mid", "Stream read error"},
        TKnownFile{"test-not-a-midi-file.mid", "Invalid MIDI file ID"},
        TKnownFile{"test-non-midi-track.mid", "Invalid track start ID"},
        TKnownFile{"test-c-major-scale.mid", nullptr}, TKnownFile{"test-karaoke-kar.mid", nullptr},
        TKnownFile{"test-running-status-metaevent.mid", nullptr}, TKnownFile{"test-vlq-4-byte.mid", nullptr},
        TKnownFile{"test-2-tracks-type-2.mid", nullptr}),
    [](const testing::TestParamInfo<TKnownFile>& Info) {
        std::string Name = Info.param.Name;
        Name = Name.substr(5, Name.size() - 9); // without "test-" and ".mid"
        for (char& C : Name)
            if (!std::isalnum(static_cast<unsigned char>(C)))
                C = '_';
        return Name;
    });
